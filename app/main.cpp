// The show's entry point: the start-up question, the window, loading, the timed main loop
// and the shutdown, in that fixed order.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/playback.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "render/render.h"
#include "scenes/scenes.h"

// The playback flags alone, until the show's command line takes them in.
static void readPlaybackFlags(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* problem = "";
    int used = parsePlaybackFlag(argv[i], i + 1 < argc ? argv[i + 1] : nullptr, &playbackOptions, &problem);
    if (used < 0) {
      std::fprintf(stderr, "show: %s\nusage: show [--window | --fullscreen] [--from MS | --scene N] "
                           "[--controls] [--loop]\n%s", problem, PLAYBACK_USAGE);
      std::exit(2);
    }
    if (used == 0) std::fprintf(stderr, "show: ignoring unknown argument '%s'\n", argv[i]);
    if (used == 2) ++i;
  }
}

int main(int argc, char** argv) {
  readPlaybackFlags(argc, argv);
  int fullscreen = playbackOptions.display >= 0 ? playbackOptions.display
                                                : askYesNo("Fullscreen?", nullptr) ? 1 : 0;
  if (fullscreen) requestFullscreenMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32);

  if (!createDisplay(fullscreen)) {
    std::fprintf(stderr, "show: cannot open a %dx%d window with an OpenGL context (%s)\n",
                 SCREEN_WIDTH, SCREEN_HEIGHT, platformError());
    return 1;
  }
  if (!initGlState()) {
    // initGlState has shown which entry points are missing: without them nothing can be drawn.
    std::fflush(stdout);
    return 1;
  }
  loadAssets();
  startMusic("data/maronekt-mix6.mp3");
  startPlayback();

  while (!stopFlag) {
    int32_t elapsed = playbackTime();
    if (playbackFrameDue()) {
      beginEffectsFrame(elapsed);
      renderFrame(elapsed);
    }
    stopFlag = (escapeKeyState() != 0) || playbackEnded(elapsed);
    sleepMs(1);
  }

  freeAssets();
  stopMusic();
  releaseShaderProgram();
  std::fflush(stdout);
  std::exit(0);
}
