// The show's entry point: the command line, the start-up question, the window, loading, the
// timed main loop and the shutdown, in that fixed order.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/options.h"
#include "app/playback.h"
#include "audio/audio.h"
#include "platform/data_folder.h"
#include "platform/page.h"
#include "platform/platform.h"
#include "render/fast_tail.h"
#include "render/picture_path.h"
#include "render/render.h"
#include "scenes/scenes.h"

int32_t stopFlag;

// The show itself: the music started, then one frame a pass until Escape or the end.
static void playShow() {
  if (!startMusic(dataPath("maronekt-mix6.mp3")) && musicDeviceError()[0])
    std::fprintf(stderr, "show: no sound device (%s): playing silent\n", musicDeviceError());
  startPlayback();

  while (!stopFlag) {
    int32_t elapsed = playbackTime();
    if (playbackFrameDue()) {
      beginEffectsFrame(elapsed);
      renderFrame(elapsed);
    } else {
      presentHeldFrame();
    }
    stopFlag = (escapeKeyState() != 0) || playbackEnded(elapsed);
#ifdef __EMSCRIPTEN__
    // A page never ends its program: the end screen, and "Play again" starts from 0.
    if (stopFlag) {
      pauseMusic(1);
      awaitPlayAgain();
      playAgain();
      stopFlag = 0;
    }
#endif
    sleepMs(1);
  }
}

// The whole run; its result is the exit code. In a page the program has yielded to the browser
// by the time most of these return, so main hands the code to exit itself.
static int runShow(int argc, char** argv) {
  OptionsResult options = parseShowOptions(argc, argv, &showOptions);
  if (options != RunShow) return options == ExitAfterHelp ? ExitShowEnded : ExitBadCommandLine;
#ifdef __EMSCRIPTEN__
  // In a page the start question is the page's, asked over the loading picture while the
  // data set downloads into data/; on Yes the page has made itself fullscreen. Without the
  // data set the page has said why.
  if (awaitPageStart() < 0) return ExitNoDataFolder;
  showOptions.fullscreen = 0;
  // A still is read back from the frame drawn, which the browser would clear once shown.
  if (showOptions.stillMs >= 0) requestHiddenWindow(1);
#endif
  setDataFolder(showOptions.dataFolder);
  requestRenderer(showOptions.renderer);
  playbackOptions = showOptions.playback;
  // Started from the wrong folder nothing could be shown: one line, before any question.
  if (reportMissingDataFolder("show")) return ExitNoDataFolder;
  // --resolution draws the picture for that frame, in a window of that size unless --size
  // says otherwise; without it the picture is 1024x768, scaled to whatever shows it.
  bool resolution = showOptions.frameWidth != 0;
  if (showOptions.frameWidth > 0) {
    setScreenSize(showOptions.frameWidth, showOptions.frameHeight);
    if (showOptions.windowWidth == 0) requestWindowSize(showOptions.frameWidth, showOptions.frameHeight);
  }
  if (showOptions.windowWidth > 0) requestWindowSize(showOptions.windowWidth, showOptions.windowHeight);

  // The display is looked for before the question is asked: without one there is no show
  // to ask about. From here on a display that goes away ends the show with one line.
  exitWhenDisplayGoes("show", ExitDisplayGone);
  if (!startVideo()) {
    std::fprintf(stderr,
                 "show: no display to open a window on (%s): ./run.sh renders the show into a "
                 "video instead, or see the capture tool\n",
                 platformError());
    return ExitNoWindow;
  }

  int fullscreen = showOptions.fullscreen >= 0 ? showOptions.fullscreen
                                               : (askYesNo("Fullscreen?", nullptr) ? 1 : 0);
  // The display switches to 1024x768 for the default picture; a picture drawn for another
  // screen is shown at the desktop's own resolution.
  if (fullscreen && !resolution) requestFullscreenMode(DEFAULT_SCREEN_WIDTH, DEFAULT_SCREEN_HEIGHT, 32);

  if (!createDisplay(fullscreen)) {
    std::fprintf(stderr, "show: cannot open a window with an OpenGL context (%s)\n", platformError());
    destroyDisplay();
    return ExitNoWindow;
  }
  if (showOptions.frameWidth < 0) fitScreenToDrawable();
  if (!initGlState()) {
    // initGlState has shown which entry points are missing (gl1, in boxes) or why the context
    // does not fit the shader path (one line): without them nothing can be drawn.
    if (pictureRefusal()[0]) std::fprintf(stderr, "show: %s\n", pictureRefusal());
    std::fflush(stdout);
    destroyDisplay();
    return ExitGlDriverLacking;
  }
  loadAssets();
  if (showOptions.exact) setExactPath(true);
  fastTailReady();   // builds the fast tail's program now, not in the first frame
#ifdef __EMSCRIPTEN__
  if (showOptions.stillMs >= 0)
    drawPageStill(showOptions.stillMs);
  else if (showOptions.bench)
    benchPageScenes();
  else
#endif
    playShow();

  freeAssets();
  stopMusic();
  shutdownFastTail();
  releaseShaderProgram();
  destroyDisplay();                   // the display's own mode back
  std::fflush(stdout);
  return ExitShowEnded;
}

int main(int argc, char** argv) { std::exit(runShow(argc, argv)); }
