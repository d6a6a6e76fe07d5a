// Playback controls: the start time from the command line, the clock that pauses and jumps,
// the keys and the loop. Every jump moves the picture (jumpShowTo), the sound (seekMusic) and
// the clock together, and says where it landed on one line of stderr.
// Owns playbackOptions and the clock.
#include "app/playback.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "audio/audio.h"
#include "platform/page.h"
#include "platform/platform.h"
#include "scenes/scenes.h"

PlaybackOptions playbackOptions = {0, 0, 0};

// The table entry the scene clock gives at `elapsed` (the first one at 0).
static int entryAt(int32_t elapsed) {
  int i = 0;
  while (i + 1 < SCENE_TABLE_SIZE && sceneStartMs(i + 1) < elapsed) ++i;
  return i;
}

static bool parseWhole(const char* text, long low, long high, long* value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (*end || number < low || number > high) return false;
  *value = number;
  return true;
}

int parsePlaybackFlag(const char* flag, const char* value, PlaybackOptions* options,
                      const char** problem) {
  long number = 0;
  if (std::strcmp(flag, "--from") == 0) {
    if (!parseWhole(value, 0, SHOW_LENGTH_MS - 1, &number)) {
      *problem = "--from takes milliseconds, a whole number from 0 to 183999";
      return -1;
    }
    options->fromMs = (int32_t)number;
    return 1;
  }
  if (std::strcmp(flag, "--scene") == 0) {
    if (!parseWhole(value, 1, SCENE_TABLE_SIZE, &number)) {
      *problem = "--scene takes a scene number from 1 to 10";
      return -1;
    }
    // At its start the clock still gives the scene before: one millisecond later.
    options->fromMs = sceneStartMs((int)number - 1) + 1;
    return 1;
  }
  // Switches: a value ("--loop=0", "--controls=off") is refused, not taken as on.
  if (std::strcmp(flag, "--controls") == 0) {
    if (value) *problem = "--controls takes no value";
    return value ? -1 : (options->controls = 1);
  }
  if (std::strcmp(flag, "--loop") == 0) {
    if (value) *problem = "--loop takes no value";
    return value ? -1 : (options->loop = 1);
  }
  return 0;
}

// The clock: the elapsed time is baseElapsed plus the ticks since baseTick, or baseElapsed
// alone while paused.
static uint32_t baseTick;
static int32_t baseElapsed;
static int paused;
static int frameDue;                  // a jump while paused shows one frame of the new time

static int32_t clockNow() {
  return paused ? baseElapsed : baseElapsed + (int32_t)(tickCount() - baseTick);
}

static void setClock(int32_t elapsed) {
  baseElapsed = elapsed;
  baseTick = tickCount();
}

static void report(const char* what, int32_t elapsed) {
  int i = entryAt(elapsed);
  std::fprintf(stderr, "show: %s %d.%03d s, scene %d (%d ms into it)\n", what, (int)(elapsed / 1000),
               (int)(elapsed % 1000), (int)SceneTable[i].scene, (int)(elapsed - sceneStartMs(i)));
  std::fflush(stderr);
}

static void jumpTo(int32_t elapsed, const char* what) {
  if (elapsed < 0) elapsed = 0;
  if (elapsed > SHOW_LENGTH_MS - 1) elapsed = SHOW_LENGTH_MS - 1;
  jumpShowTo(elapsed);
  seekMusic(elapsed);
  setClock(elapsed);
  frameDue = 1;
  if (what) report(what, elapsed);
}

void startPlayback() {
  paused = 0;
  enablePlaybackKeys(playbackOptions.controls);
  if (playbackOptions.fromMs > 0) jumpTo(playbackOptions.fromMs, nullptr);
  setClock(playbackOptions.fromMs);
}

int32_t playbackTime() { return clockNow(); }

int playbackFrameDue() {
  int due = !paused || frameDue;
  frameDue = 0;
  return due;
}

static void handleKey(int key, int32_t now) {
  int i = entryAt(now);
  switch (key) {
    case PlaybackKeySpace:
      setClock(now);
      paused = !paused;
      pauseMusic(paused);
      report(paused ? "paused at" : "playing from", now);
      break;
    case PlaybackKeyRight: jumpTo(now + 5000, "jumped to"); break;
    case PlaybackKeyLeft: jumpTo(now - 5000, "jumped to"); break;
    case PlaybackKeyPageDown:
      jumpTo(i + 1 < SCENE_TABLE_SIZE ? sceneStartMs(i + 1) + 1 : SHOW_LENGTH_MS - 1, "jumped to");
      break;
    case PlaybackKeyPageUp: jumpTo(i > 0 ? sceneStartMs(i - 1) + 1 : 1, "jumped to"); break;
    case PlaybackKeyHome: jumpTo(0, "jumped to"); break;
    default: break;
  }
}

#ifdef __EMSCRIPTEN__
// A page in the background (a hidden tab) holds picture and sound as Space does, and plays on
// when shown again; a pause of the viewer's own stays.
static int heldWhileHidden;

static void holdWhileHidden(int32_t now) {
  int hidden = pageHidden();
  if (hidden && !paused) {
    heldWhileHidden = 1;
    handleKey(PlaybackKeySpace, now);
  } else if (!hidden && heldWhileHidden) {
    heldWhileHidden = 0;
    if (paused) handleKey(PlaybackKeySpace, now);
  }
}
#endif

void playAgain() {
  jumpTo(0, "playing again from");
  paused = 0;
  pauseMusic(0);
  // Nothing pressed on the end screen counts: the events are read, then the keys dropped.
  escapeKeyState();
  enablePlaybackKeys(playbackOptions.controls);
}

int playbackEnded(int32_t elapsed) {
#ifdef __EMSCRIPTEN__
  holdWhileHidden(clockNow());
#endif
  if (playbackOptions.controls)
    for (int key; (key = nextPlaybackKey()) != PlaybackKeyNone;) handleKey(key, clockNow());
  if (elapsed < SHOW_LENGTH_MS || clockNow() < SHOW_LENGTH_MS) return 0;
  if (!playbackOptions.loop) return 1;
  // Everything a straight run has at 0: the carried state, the generators, the sound.
  jumpTo(0, "looped to");
  return 0;
}
