// The show's entry point: the start-up question, the window, loading, the timed main loop
// and the shutdown, in that fixed order.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"

int main() {
  int fullscreen = askYesNo("Fullscreen?", nullptr) ? 1 : 0;
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
  fastTailReady();   // builds the fast tail's program now, not in the first frame
  startMusic("data/maronekt-mix6.mp3");
  uint32_t startTick = tickCount();

  while (!stopFlag) {
    int32_t elapsed = (int32_t)(tickCount() - startTick);
    beginEffectsFrame(elapsed);
    renderFrame(elapsed);
    stopFlag = (escapeKeyState() != 0) || elapsed >= SHOW_LENGTH_MS;
    sleepMs(1);
  }

  freeAssets();
  stopMusic();
  shutdownFastTail();
  releaseShaderProgram();
  std::fflush(stdout);
  std::exit(0);
}
