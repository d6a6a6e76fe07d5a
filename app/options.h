// The show's command line, for people and scripts. With no arguments the show asks its
// question, opens the 1024x768 window, draws the 1024x768 picture and reads data/ in the
// working directory.
#pragma once
#include "app/playback.h"
#include "platform/platform.h"

struct ShowOptions {
  int fullscreen;                     // -1 ask "Fullscreen?", 0 a window, 1 fullscreen
  int windowWidth, windowHeight;      // the window's size; 0, 0 for the default
  // --resolution: the output frame the picture is drawn for; 0, 0 without the flag (the
  // 1024x768 picture); -1, -1 for auto (the drawable's fit at start)
  int frameWidth, frameHeight;
  const char* dataFolder;             // null for "data"
  PlaybackOptions playback;           // --from, --scene, --controls, --loop
  int exact;                          // --exact: every pass of the frame tail as written
  Renderer renderer;                  // --renderer: the picture path (gl1 by default; es3 in a page)
  // The web page's own modes (taken only by the browser build, from its address):
  int stillMs;                        // --still MS: draw the frame at MS for the page and stop; -1 without
  int bench;                          // --bench: time every scene's frame for the page
};

enum OptionsResult { RunShow, ExitAfterHelp, BadOptions };

extern ShowOptions showOptions;       // what main runs with
extern const char* const SHOW_USAGE;

// Reads the arguments into *options (which starts from the defaults). --help prints the
// usage on stdout; a known flag with a bad or missing value, or a switch given one
// ("--loop=0"), prints one line and the usage on stderr; an unknown argument is ignored
// with one warning line on stderr.
OptionsResult parseShowOptions(int argc, char** argv, ShowOptions* options);
