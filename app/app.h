// Run control: the main loop's stop flag and the show's exit codes. The window, the screen
// size and the show's length are platform/display.h's.
#pragma once
#include <cstdint>
#include "platform/display.h"

extern int32_t stopFlag;              // non-zero ends the main loop

// What the show's exit code says; scripts that start it (run.sh) go by these.
enum ShowExitCode {
  ExitShowEnded = 0,                  // Escape, the window closed, or the show's end
  ExitNoWindow = 1,                   // no display, or no window or GL context could be made
  ExitBadCommandLine = 2,             // a bad flag value (the line and the usage on stderr)
  ExitNoDataFolder = 3,               // the data folder itself does not exist
  ExitGlDriverLacking = 4,            // the GL driver lacks what the show needs (initGlState), or its
                                      // context what --renderer es3 or core needs
  ExitDisplayGone = 5,                // the display went away while the show ran
};

#ifdef __EMSCRIPTEN__
// The web page's own modes (app/page_modes.cpp), run once the assets are loaded.
// The frame at `elapsed` as the capture tool draws a still there (the band levels from the
// soundtrack's analysis, the frames a straight run needs before it), handed to the page.
void drawPageStill(int32_t elapsed);
// Every scene's frame timed in its middle, and the figures handed to the page.
void benchPageScenes();
#endif
