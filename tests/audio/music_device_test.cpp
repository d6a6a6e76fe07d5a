// Playback through SDL audio devices: the dummy driver (the test default), a driver that
// does not exist, and the disk driver, which writes what it plays to a file.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "audio/audio.h"
#include "audio/mp3_fixture.h"
#include "support/gl_context.h"

namespace {
std::string toneMp3(const char* name, double seconds = 1.0, double amplitude = 0.5) {
  std::string path = scratchPath(name);
  ToneFile tone;
  tone.toneSeconds = seconds, tone.amplitude = amplitude;
  return makeToneMp3(path, tone) > 0 ? path : std::string();
}
// Each test names its driver itself rather than trusting the environment it was given, and
// starts from the sound layer as the show starts: no device yet.
void useAudioDriver(const char* name) {
  closeMusicDevice();
  setenv("SDL_AUDIODRIVER", name, 1);
}

// The float samples the disk driver wrote; false when the file cannot be opened.
bool readFloats(const std::string& path, std::vector<float>* samples) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  float block[4096];
  size_t n;
  while ((n = std::fread(block, sizeof(float), 4096, f)) > 0) samples->insert(samples->end(), block, block + n);
  std::fclose(f);
  return true;
}

// Polls every 10 ms until `done()` holds or `deadlineMs` have passed; true when it held. The
// deadline is far beyond what a quiet machine needs, so a loaded one only makes it slower.
template <class Condition>
bool waitUntil(Condition done, uint32_t deadlineMs = 10000) {
  uint32_t begin = SDL_GetTicks();
  while (!done()) {
    if (SDL_GetTicks() - begin > deadlineMs) return false;
    SDL_Delay(10);
  }
  return true;
}
}  // namespace

// A second start closes the first stream (one decoder open, not two) on the same device,
// opened once; stopping twice is harmless and leaves nothing playing.
TEST(MusicDevice, RestartAndStop) {
  useAudioDriver("dummy");
  EXPECT_EQ(stopMusic(), 1);          // no stream yet: nothing to close
  std::string a = toneMp3("a.mp3"), b = toneMp3("b.mp3");
  ASSERT_FALSE(a.empty() || b.empty());
  ASSERT_EQ(startMusic(a.c_str()), 1);
  EXPECT_EQ(soundReady, 1);
  ASSERT_NE(musicStream, nullptr);
  uint32_t device = audioDevice;
  EXPECT_NE(device, 0u);
  EXPECT_EQ(mp3DecodersOpen, 1);
  // The device reaches the tone's level (a 0.5 sine) and no more.
  float playing = 0;
  EXPECT_TRUE(waitUntil([&] { return (playing = bandLevel(989, 1032)) > 0.4f; })) << playing;
  EXPECT_LT(playing, 0.6f);
  ASSERT_EQ(startMusic(b.c_str()), 1);
  EXPECT_EQ(audioDevice, device);     // not initialised again
  EXPECT_EQ(mp3DecodersOpen, 1);      // the first stream was closed
  EXPECT_EQ(stopMusic(), 1);
  EXPECT_EQ(musicStream, nullptr);
  EXPECT_EQ(mp3DecodersOpen, 0);
  EXPECT_EQ(bandLevel(989, 1032), 0.0f);
  EXPECT_EQ(stopMusic(), 1);
  EXPECT_EQ(soundReady, 1);           // never reset
}

// Files that cannot be played leave the device open and silent, with no stream and no
// decoder; a good file still plays afterwards.
TEST(MusicDevice, BadFilesRunSilent) {
  useAudioDriver("dummy");
  std::string empty = scratchPath("empty.mp3"), text = scratchPath("text.mp3");
  std::fclose(std::fopen(empty.c_str(), "wb"));
  FILE* f = std::fopen(text.c_str(), "wb");
  for (int i = 0; i < 500; ++i) std::fputs("no frames in here, only words. ", f);
  std::fclose(f);
  const std::string bad[] = {scratchPath("missing.mp3"), empty, text};
  for (const std::string& p : bad) {
    EXPECT_EQ(startMusic(p.c_str()), 0) << p;
    EXPECT_EQ(musicStream, nullptr) << p;
    EXPECT_EQ(bandLevel(0, 22050), 0.0f) << p;
  }
  EXPECT_EQ(startMusic(nullptr), 0);
  EXPECT_EQ(soundReady, 1);
  EXPECT_EQ(mp3DecodersOpen, 0);
  std::string good = toneMp3("good.mp3", 0.3);
  ASSERT_FALSE(good.empty());
  EXPECT_EQ(startMusic(good.c_str()), 1);
  // A bad file after a good one: the good stream is closed first, as on any second start.
  EXPECT_EQ(startMusic(text.c_str()), 0);
  EXPECT_EQ(musicStream, nullptr);
  EXPECT_EQ(mp3DecodersOpen, 0);
}

// No usable audio driver: startMusic fails at once and leaves soundReady at 0, so a later
// call tries again and succeeds once a device is there.
TEST(MusicDevice, NoDevice) {
  std::string path = toneMp3("tone.mp3", 0.3);
  ASSERT_FALSE(path.empty());
  useAudioDriver("no-such-driver");   // from no device: as at the show's start
  uint32_t before = SDL_GetTicks();
  EXPECT_EQ(startMusic(path.c_str()), 0);
  EXPECT_EQ(startMusic(path.c_str()), 0);
  EXPECT_LT(SDL_GetTicks() - before, 2000u);
  EXPECT_EQ(soundReady, 0);
  EXPECT_EQ(audioDevice, 0u);
  EXPECT_EQ(musicStream, nullptr);
  EXPECT_EQ(mp3DecodersOpen, 0);
  EXPECT_EQ(bandLevel(20, 90), 0.0f);
  EXPECT_EQ(stopMusic(), 1);
  useAudioDriver("dummy");
  EXPECT_EQ(startMusic(path.c_str()), 1);
  EXPECT_EQ(soundReady, 1);
}

// The real device path, headless: SDL's disk driver writes every buffer it plays to a file.
// The music's second of tone must be there, not silent, as long as the time it played.
TEST(MusicDevice, DiskDriverPlaysTheStream) {
  std::string path = toneMp3("tone.mp3", 0.6, 0.5), out = scratchPath("played.raw");
  ASSERT_FALSE(path.empty());
  useAudioDriver("disk");
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  ASSERT_EQ(startMusic(path.c_str()), 1);
  uint32_t started = SDL_GetTicks();
  // The whole stream, then silence: wait until the file holds a second of stereo floats.
  const long wanted = 44100L * 2 * (long)sizeof(float);
  EXPECT_TRUE(waitUntil([&] {
    FILE* played = std::fopen(out.c_str(), "rb");
    long size = played && std::fseek(played, 0, SEEK_END) == 0 ? std::ftell(played) : 0;
    if (played) std::fclose(played);
    return size >= wanted;
  }));
  EXPECT_EQ(stopMusic(), 1);
  closeMusicDevice();                 // closes the device and its file
  double wall = (SDL_GetTicks() - started) / 1000.0;

  std::vector<float> samples;
  ASSERT_TRUE(readFloats(out, &samples));
  long frames = (long)samples.size() / 2;
  long first = -1, last = -1;
  double power = 0;
  for (long i = 0; i < frames; ++i) {
    float s = samples[2 * i];
    if (std::fabs(s) > 0.02f) {
      if (first < 0) first = i;
      last = i;
    }
    power += (double)s * s;
  }
  ASSERT_GE(first, 0) << "the played file is silent";
  double toneSeconds = (last - first + 1) / 44100.0;
  EXPECT_NEAR(toneSeconds, 0.6, 0.03);          // all of the stream, once
  EXPECT_GT(power / (last - first + 1), 0.1);   // a 0.5 sine: 0.125
  // The device ran in real time: the file holds the whole stream and no more than the time
  // that went by (on a loaded machine the writer thread may fall behind, never ahead).
  EXPECT_GE(frames / 44100.0, 0.6);
  EXPECT_LT(frames / 44100.0, 1.3 * wall + 0.1);
}

// A jump and a pause on the soundtrack, through the disk driver: after the jump to T the file
// holds, from a buffer boundary on, exactly the music decoded straight from T plus the two
// buffers still to be heard; bandLevel reads the music at T at once (a buffer on when the
// device's callback came in between); the pause writes silence
// and the music goes on after it from the very next sample.
TEST(MusicDevice, SeekAndPauseFollowTheDecodedStream) {
  const char* soundtrack = "data/maronekt-mix6.mp3";
  ASSERT_TRUE(std::ifstream(soundtrack).good()) << "no generated soundtrack in data/";
  const int32_t T = 96250;            // scene 8: hats and snares, never silent for long
  const long seekFrame = (long)((int64_t)T * 44100 / 1000) + 2 * DEVICE_BUFFER_FRAMES;
  Mp3Decoder straight;
  ASSERT_EQ(openMp3(straight, soundtrack), 1);
  std::vector<float> music(2 * (size_t)(seekFrame + 3 * 44100));
  ASSERT_EQ(readMp3(straight, music.data(), (int)(music.size() / 2)), (int)(music.size() / 2));
  closeMp3(straight);
  // The straight window ending `late` frames after T: bandLevel reads the one the listener
  // hears, which moves on in real time from the jump.
  auto straightLevel = [&](long late) {
    float window[SPECTRUM_WINDOW], spectrum[SPECTRUM_BINS];
    long end = (long)((int64_t)T * 44100 / 1000) + late;
    for (int n = 0; n < SPECTRUM_WINDOW; ++n) {
      long i = end - SPECTRUM_WINDOW + n;
      window[n] = 0.5f * (music[2 * i] + music[2 * i + 1]);
    }
    computeSpectrum(window, spectrum);
    return bandLevelOf(spectrum, 2500, 3500);
  };

  std::string out = scratchPath("played.raw");
  useAudioDriver("disk");
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  ASSERT_EQ(startMusic(soundtrack), 1);
  SDL_Delay(250);
  Uint64 before = SDL_GetPerformanceCounter();
  ASSERT_EQ(seekMusic(T), 1);
  float heard = bandLevel(2500, 3500);
  // The window moves on in real time from the jump, and one device buffer further when the
  // device's next callback comes in between (the jump cannot know when that will be). On a
  // loaded machine the reading may come a while after the jump: the closest window of those
  // spans must match.
  double seconds = double(SDL_GetPerformanceCounter() - before) / double(SDL_GetPerformanceFrequency());
  long latest = std::min<long>(DEVICE_BUFFER_FRAMES, (long)std::ceil(seconds * 44100) + 1);
  float nearest = 1e9f;
  for (long late = 0; late <= latest; ++late)
    for (long callbacks = 0; callbacks < 2; ++callbacks)
      nearest = std::min(nearest, std::fabs(heard - straightLevel(late + callbacks * DEVICE_BUFFER_FRAMES)));
  EXPECT_LT(nearest, 0.02f) << "read " << heard << " within " << latest << " frames of the jump";
  SDL_Delay(300);
  pauseMusic(1);
  SDL_Delay(300);
  pauseMusic(0);
  SDL_Delay(300);
  EXPECT_EQ(stopMusic(), 1);
  closeMusicDevice();                 // closes the device and its file

  std::vector<float> played;
  ASSERT_TRUE(readFloats(out, &played));
  const long frames = (long)played.size() / 2;
  auto near = [&](long p, long m) {
    return std::fabs(played[2 * p] - music[2 * m]) < 1e-4f && std::fabs(played[2 * p + 1] - music[2 * m + 1]) < 1e-4f;
  };
  // The buffer where the jumped-to music starts.
  long jump = -1;
  for (long b = 0; b + 4096 <= frames && jump < 0; b += DEVICE_BUFFER_FRAMES) {
    long same = 0;
    while (same < 4096 && near(b + same, seekFrame + same)) ++same;
    if (same == 4096) jump = b;
  }
  ASSERT_GE(jump, 0) << "the music after the jump is nowhere in what was played";
  // Before it, the start of the music (after the silence the device writes while it waits,
  // paused, for the stream); after it, the music from the jump on with one run of silence
  // (the pause) and no sample lost or repeated.
  bool startPlayed = false;
  for (long lead = 0; lead < jump && !startPlayed; lead += DEVICE_BUFFER_FRAMES) {
    bool same = true;
    for (long i = lead; i < jump && same; ++i) same = near(i, i - lead);
    startPlayed = same;
    for (long i = lead; i < lead + DEVICE_BUFFER_FRAMES; ++i)
      if (played[2 * i] != 0.0f || played[2 * i + 1] != 0.0f) lead = jump;   // not silence: stop
  }
  EXPECT_TRUE(startPlayed) << "what was played before the jump is not the start of the music";
  long m = seekFrame, silent = 0, longestSilence = 0;
  for (long p = jump; p < frames; ++p) {
    if (played[2 * p] == 0.0f && played[2 * p + 1] == 0.0f && !(music[2 * m] == 0.0f && music[2 * m + 1] == 0.0f)) {
      ++silent;
      continue;
    }
    if (silent > longestSilence) longestSilence = silent;
    silent = 0;
    if (p + 2 * DEVICE_BUFFER_FRAMES >= frames) break;   // the stop may cut the last buffers
    ASSERT_TRUE(near(p, m)) << "played frame " << p << " is not music frame " << m;
    ++m;
  }
  EXPECT_GT(longestSilence, 44100 / 5);     // the 300 ms pause
  EXPECT_GT(m - seekFrame, 44100 / 2);      // music before and after it
}
