// Playback controls, used only when their flags are given: start at a time or a scene, pause,
// jump with the keys, loop. Without them the show plays from 0 to its end and reads Escape
// alone.
#pragma once
#include <cstdint>

struct PlaybackOptions {
  int32_t fromMs;                     // --from MS, or --scene N (1 ms after its start); 0 by default
  int controls;                       // --controls: the playback keys
  int loop;                           // --loop: start again from 0 at the end
};
extern PlaybackOptions playbackOptions;

// One flag of the show's command line with its value (null for none): 0 when it is not a
// playback flag, 1 when taken, -1 for a bad or missing value, with *problem saying what is
// wrong on one line. The show's parser (app/options.cpp) calls it.
int parsePlaybackFlag(const char* flag, const char* value, PlaybackOptions* options,
                      const char** problem);

// The show's clock under the controls. startPlayback, once the music started, jumps to
// --from (picture and sound) and starts the clock.
void startPlayback();
int32_t playbackTime();               // the elapsed time of the next frame
int playbackFrameDue();               // 0 while paused with the picture held
// After each frame: handles the queued keys and the end of the show; 1 when the show ends.
int playbackEnded(int32_t elapsed);

// After the end screen of a web page: everything a straight run has at 0, playing, as the
// loop's start again.
void playAgain();
