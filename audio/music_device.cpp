// Playback of the soundtrack through an SDL2 audio device at 44100 Hz stereo float. The
// stream is decoded inside the device callback, one device buffer at a time, so memory is
// bounded and decoding keeps step with playback. The callback also copies the mono mix of
// what it produced into a ring; bandLevel takes its window from that ring at the position
// the listener hears, on the main thread.
// Owns: soundReady, musicStream, audioDevice, the stream record and the play ring.
#include <SDL2/SDL.h>

#include <atomic>
#include <cstdio>

#ifdef SHOW_HAS_ALSA
#include <alsa/asoundlib.h>
#endif

#include "audio/audio.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// What the device has mixed since the stream started or last moved, for the page's check of
// the sound: where in the music it started (frames), how many frames, and the sum of the
// squares of every sample of both channels. Written by the callback only; in a page the
// callback and the program take turns on one thread.
static double mixedFrom, mixedFrames, mixedSquares;
extern "C" EMSCRIPTEN_KEEPALIVE double soundMixedFrom() { return mixedFrom; }
extern "C" EMSCRIPTEN_KEEPALIVE double soundMixedFrames() { return mixedFrames; }
extern "C" EMSCRIPTEN_KEEPALIVE double soundMixedSquares() { return mixedSquares; }
static void countMixed(const float* stereo, int frames) {
  double squares = 0;
  for (int i = 0; i < 2 * frames; ++i) squares += (double)stereo[i] * stereo[i];
  mixedFrames += frames;
  mixedSquares += squares;
}
static void restartMixedCount(int64_t from) {
  mixedFrom = (double)from;
  mixedFrames = mixedSquares = 0;
}
#else
static void countMixed(const float*, int) {}
static void restartMixedCount(int64_t) {}
#endif

struct MusicStream {
  Mp3Decoder decoder;
};

int soundReady;
MusicStream* musicStream;
uint32_t audioDevice;

constexpr int PLAY_RING = 16384;      // mono samples; a power of two, far more than 2 buffers + a window

static MusicStream theStream;         // the one stream record musicStream points at while open
static int deviceBufferFrames;        // frames per callback, as the device was opened
static std::atomic<float> playRing[PLAY_RING];
// Written by the callback, read by bandLevel: a sequence count (odd while a callback
// publishes), the frames produced so far and the performance counter when they were.
static std::atomic<uint32_t> playSequence;
static std::atomic<int64_t> playFrames;
static std::atomic<uint64_t> playStamp;

void mixMusic(float* stereo, int frames) {
  int got = 0;
  if (musicStream && !musicStream->decoder.ended) got = readMp3(musicStream->decoder, stereo, frames);
  for (int i = 2 * got; i < 2 * frames; ++i) stereo[i] = 0.0f;
  if (got > 0) countMixed(stereo, got);
  int64_t first = playFrames.load(std::memory_order_relaxed);
  for (int i = 0; i < frames; ++i)
    playRing[(first + i) & (PLAY_RING - 1)].store(0.5f * (stereo[2 * i] + stereo[2 * i + 1]),
                                                  std::memory_order_relaxed);
  playSequence.fetch_add(1, std::memory_order_acq_rel);
  playFrames.store(first + frames, std::memory_order_relaxed);
  playStamp.store(SDL_GetPerformanceCounter(), std::memory_order_relaxed);
  playSequence.fetch_add(1, std::memory_order_release);
}

// The device callback, on SDL's audio thread.
static void deviceCallback(void*, Uint8* stream, int length) {
  mixMusic(reinterpret_cast<float*>(stream), length / (int)(2 * sizeof(float)));
}

int heardWindow(float* mono) {
  if (!musicStream || !audioDevice) return 0;
  const int64_t buffer = deviceBufferFrames > 0 ? deviceBufferFrames : DEVICE_BUFFER_FRAMES;
  for (int attempt = 0; attempt < 16; ++attempt) {
    uint32_t sequence = playSequence.load(std::memory_order_acquire);
    if (sequence & 1) continue;
    int64_t produced = playFrames.load(std::memory_order_relaxed);
    uint64_t stamp = playStamp.load(std::memory_order_relaxed);
    if (playSequence.load(std::memory_order_acquire) != sequence) continue;
    // When a callback returns, the buffer before it starts playing and its own follows:
    // the listener hears `produced - 2 buffers`, advancing in real time until the next one.
    uint64_t now = SDL_GetPerformanceCounter();
    int64_t since = now > stamp ? (int64_t)((double)(now - stamp) * MUSIC_RATE /
                                            (double)SDL_GetPerformanceFrequency())
                                : 0;
    if (since > buffer) since = buffer;
    int64_t heard = produced - 2 * buffer + since;
    int64_t first = heard - SPECTRUM_WINDOW;
    for (int n = 0; n < SPECTRUM_WINDOW; ++n) {
      int64_t i = first + n;
      mono[n] = i < 0 ? 0.0f : playRing[i & (PLAY_RING - 1)].load(std::memory_order_relaxed);
    }
    // Valid unless the callback has since written over the oldest samples copied.
    std::atomic_thread_fence(std::memory_order_acquire);
    if (playFrames.load(std::memory_order_relaxed) + buffer <= first + PLAY_RING) return 1;
  }
  return 0;
}

static char deviceError[256];         // why the last opening failed, "" when it did not

static void noteDeviceError() {
  std::snprintf(deviceError, sizeof deviceError, "%s", SDL_GetError());
  for (char* c = deviceError; *c; ++c)
    if (*c == '\n' || *c == '\r') *c = ' ';
  if (!deviceError[0]) std::snprintf(deviceError, sizeof deviceError, "no reason given");
}

const char* musicDeviceError() { return deviceError; }

#ifdef SHOW_HAS_ALSA
// ALSA's library writes a line to stderr for each step of its configuration that finds no
// card; SDL's own error already says that the device could not be opened. Quiet while the
// device is looked for, ALSA's own handler again afterwards.
static void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}
#endif

// Initialises SDL's audio and opens the device, paused; 1 on success, else 0 with the reason
// in deviceError.
static int findAudioDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
    noteDeviceError();
    return 0;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = MUSIC_RATE;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = DEVICE_BUFFER_FRAMES;
  want.callback = deviceCallback;
  // No changes allowed: SDL converts to whatever the hardware takes, and the callback
  // always sees 44100 Hz stereo float in buffers of DEVICE_BUFFER_FRAMES.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    noteDeviceError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
  }
  audioDevice = device;
  deviceBufferFrames = have.samples > 0 ? have.samples : DEVICE_BUFFER_FRAMES;
  return 1;
}

static int openAudioDevice() {
  deviceError[0] = 0;
#ifdef SHOW_HAS_ALSA
  snd_lib_error_set_handler(quietAlsaError);
#endif
  int opened = findAudioDevice();
#ifdef SHOW_HAS_ALSA
  snd_lib_error_set_handler(nullptr);
#endif
  return opened;
}

// Detaches the stream from the callback, then releases its decoder.
static void closeStream() {
  SDL_LockAudioDevice(audioDevice);
  MusicStream* stream = musicStream;
  musicStream = nullptr;
  SDL_UnlockAudioDevice(audioDevice);
  if (stream) closeMp3(stream->decoder);
}

int startMusic(const char* path) {
  if (!soundReady) {
    if (!openAudioDevice()) return 0;
    soundReady = 1;
  }
  if (musicStream) closeStream();
  MusicStream opened{};
  if (!openMp3(opened.decoder, path)) return 0;
  SDL_LockAudioDevice(audioDevice);
  theStream = opened;
  musicStream = &theStream;
  restartMixedCount(0);
  SDL_UnlockAudioDevice(audioDevice);
  SDL_PauseAudioDevice(audioDevice, 0);
  if (SDL_GetAudioDeviceStatus(audioDevice) != SDL_AUDIO_PLAYING) {
    closeStream();
    return 0;
  }
  return 1;
}

int stopMusic() {
  if (!musicStream) return 1;
  closeStream();
  // Nothing left to play: the device stays open, paused, for a later start.
  SDL_PauseAudioDevice(audioDevice, 1);
  return 1;
}

// Writes the mono mix of `frames` stereo frames into the play ring from index `at` on.
static void writeRing(int64_t at, const float* stereo, int frames) {
  for (int i = 0; i < frames; ++i)
    if (at + i >= 0)
      playRing[(at + i) & (PLAY_RING - 1)].store(0.5f * (stereo[2 * i] + stereo[2 * i + 1]),
                                                 std::memory_order_relaxed);
}

int seekMusic(int32_t elapsedMs) {
  if (!musicStream || !audioDevice) return 0;
  const int64_t buffer = deviceBufferFrames > 0 ? deviceBufferFrames : DEVICE_BUFFER_FRAMES;
  const int64_t target = elapsedMs > 0 ? (int64_t)elapsedMs * MUSIC_RATE / 1000 : 0;
  // The ring is rewritten so that the window heardWindow takes now (ending two buffers
  // behind what was produced) holds the music ending at the target, and the frames after it
  // up to the next callback are the two buffers that follow: the callback then goes on from
  // target + 2 buffers, which the listener hears when the clock gets there.
  const int64_t lead = SPECTRUM_WINDOW + 2 * buffer;
  const int64_t from = target - SPECTRUM_WINDOW > 0 ? target - SPECTRUM_WINDOW : 0;
  static float chunk[2 * DEVICE_BUFFER_FRAMES];
  SDL_LockAudioDevice(audioDevice);
  int moved = seekMp3(musicStream->decoder, from);
  if (moved) {
    int64_t produced = playFrames.load(std::memory_order_relaxed);
    playSequence.fetch_add(1, std::memory_order_acq_rel);
    // Before the music's first sample the window reads silence.
    int64_t at = produced - lead;
    for (; at < produced - (target + 2 * buffer - from); ++at)
      if (at >= 0) playRing[at & (PLAY_RING - 1)].store(0.0f, std::memory_order_relaxed);
    while (at < produced) {
      int frames = (int)(produced - at < DEVICE_BUFFER_FRAMES ? produced - at : DEVICE_BUFFER_FRAMES);
      int got = musicStream->decoder.ended ? 0 : readMp3(musicStream->decoder, chunk, frames);
      for (int i = 2 * got; i < 2 * frames; ++i) chunk[i] = 0.0f;
      writeRing(at, chunk, frames);
      at += frames;
    }
    playStamp.store(SDL_GetPerformanceCounter(), std::memory_order_relaxed);
    playSequence.fetch_add(1, std::memory_order_release);
    restartMixedCount(target + 2 * buffer);
  } else {
    musicStream->decoder.ended = 1;   // a time the stream cannot reach (a cut file): silence
  }
  SDL_UnlockAudioDevice(audioDevice);
  return moved;
}

void pauseMusic(int paused) {
  if (!musicStream || !audioDevice) return;
  if (!paused) {
    // The heard position restarts two buffers behind what was produced, as when playing
    // starts: the time spent paused must not count as heard.
    SDL_LockAudioDevice(audioDevice);
    playSequence.fetch_add(1, std::memory_order_acq_rel);
    playStamp.store(SDL_GetPerformanceCounter(), std::memory_order_relaxed);
    playSequence.fetch_add(1, std::memory_order_release);
    SDL_UnlockAudioDevice(audioDevice);
  }
  SDL_PauseAudioDevice(audioDevice, paused ? 1 : 0);
}

void closeMusicDevice() {
  if (audioDevice) {
    if (musicStream) closeStream();
    SDL_CloseAudioDevice(audioDevice);
  }
  if (soundReady) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audioDevice = 0;
  soundReady = 0;
  deviceBufferFrames = 0;
  deviceError[0] = 0;
  playSequence.store(0);
  playFrames.store(0);
  playStamp.store(0);
}
