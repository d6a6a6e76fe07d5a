// The decoder and the offline analysis, on MP3s the tests encode themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "audio/audio.h"
#include "support/gl_context.h"
#include "audio/mp3_fixture.h"

namespace {

// The bin holding the largest magnitude of the spectrum bandLevel would read now.
int peakBin(float* level) {
  int best = 0;
  float bestLevel = -1.0f;
  for (int k = 0; k < SPECTRUM_BINS; ++k) {
    // A one-bin band: k * 43 .. (k + 1) * 43 reads exactly bin k.
    float l = bandLevel(k * 43, (k + 1) * 43);
    if (l > bestLevel) bestLevel = l, best = k;
  }
  *level = bestLevel;
  return best;
}

long decodeAll(const std::string& path, std::vector<float>* stereo) {
  Mp3Decoder decoder;
  if (!openMp3(decoder, path.c_str())) return -1;
  float chunk[2 * 1000];
  int got;
  while ((got = readMp3(decoder, chunk, 1000)) > 0) stereo->insert(stereo->end(), chunk, chunk + 2 * got);
  closeMp3(decoder);
  return (long)(stereo->size() / 2);
}

// No stream from an earlier case: the decoder count and the band levels are this case's own.
void noMusicPlaying() {
  closeMusicAnalysis();
  closeMusicDevice();
}

}  // namespace

// Gapless decoding: exactly the encoded frames come back, none of the encoder's delay or
// padding, at 44100 Hz stereo whatever the file's rate and channel count.
TEST(Mp3Decoder, GaplessLengthAndForcedFormat) {
  noMusicPlaying();
  struct Case { int rate, channels; double seconds; };
  const Case cases[] = {{44100, 2, 1.0}, {44100, 1, 0.5}, {22050, 1, 0.5}, {48000, 2, 0.5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels");
    std::string path = scratchPath("tone" + std::to_string(c.rate) + "_" + std::to_string(c.channels) + ".mp3");
    ToneFile tone;
    tone.rate = c.rate, tone.channels = c.channels, tone.toneSeconds = c.seconds;
    long encoded = makeToneMp3(path, tone);
    ASSERT_GT(encoded, 0) << "lame failed";
    std::vector<float> stereo;
    long decoded = decodeAll(path, &stereo);
    long expected = std::lround(encoded * 44100.0 / c.rate);
    if (c.rate == 44100) EXPECT_EQ(decoded, expected);
    else EXPECT_NEAR(decoded, expected, 64);     // the resampler rounds at both ends
    // Both channels carry the tone: mono sources are doubled, not left-only.
    double left = 0, right = 0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) left += stereo[i] * stereo[i], right += stereo[i + 1] * stereo[i + 1];
    EXPECT_GT(left, 0.1 * decoded * 0.125);      // power of a 0.5 sine is 0.125
    EXPECT_NEAR(left, right, 0.01 * left);
  }
  EXPECT_EQ(mp3DecodersOpen, 0);
}

// Missing, empty, text and truncated files are refused and leave no decoder open.
TEST(Mp3Decoder, RefusesBadFiles) {
  noMusicPlaying();
  std::string empty = scratchPath("empty.mp3"), text = scratchPath("text.mp3"), cut = scratchPath("cut.mp3");
  std::fclose(std::fopen(empty.c_str(), "wb"));
  FILE* f = std::fopen(text.c_str(), "wb");
  for (int i = 0; i < 2000; ++i) std::fputs("this is not sound at all. ", f);
  std::fclose(f);
  std::string good = scratchPath("good.mp3");
  ASSERT_GT(makeToneMp3(good, ToneFile{}), 0);
  std::vector<char> bytes(300);
  f = std::fopen(good.c_str(), "rb");
  size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  f = std::fopen(cut.c_str(), "wb");
  std::fwrite(bytes.data(), 1, n / 2, f);
  std::fclose(f);
  const std::string paths[] = {scratchPath("missing.mp3"), empty, text, cut};
  for (const std::string& p : paths) {
    Mp3Decoder decoder;
    EXPECT_EQ(openMp3(decoder, p.c_str()), 0) << p;
    EXPECT_EQ(openMusicAnalysis(p.c_str()), 0) << p;
  }
  Mp3Decoder decoder;
  EXPECT_EQ(openMp3(decoder, nullptr), 0);
  EXPECT_EQ(mp3DecodersOpen, 0);
  EXPECT_EQ(bandLevel(0, 22050), 0.0f);        // nothing open, nothing playing
}

// A 1 kHz sine of amplitude 0.5 peaks in bin 23 (1000 / 43.07 = 23.2) at about 0.5: the
// Hann window loses 3 % a quarter bin off centre, the encoder a little more.
TEST(MusicAnalysis, SinePeaksInBin23) {
  noMusicPlaying();
  const struct { int rate, channels; } cases[] = {{44100, 2}, {22050, 1}};
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz");
    std::string path = scratchPath("sine" + std::to_string(c.rate) + ".mp3");
    ToneFile tone;
    tone.rate = c.rate, tone.channels = c.channels;
    ASSERT_GT(makeToneMp3(path, tone), 0);
    ASSERT_EQ(openMusicAnalysis(path.c_str()), 1);
    // Before any time is set the window ends at the first sample: only silence.
    EXPECT_EQ(bandLevel(0, 22050), 0.0f);
    for (int ms : {100, 250, 600, 900}) {
      setMusicAnalysisTime(ms);
      float level = 0;
      EXPECT_EQ(peakBin(&level), 23) << ms << " ms";
      EXPECT_NEAR(level, 0.5f, 0.05f) << ms << " ms";
      EXPECT_LT(bandLevel(2500, 3500), 0.01f);
    }
    closeMusicAnalysis();
    EXPECT_EQ(bandLevel(989, 1032), 0.0f);
  }
  EXPECT_EQ(mp3DecodersOpen, 0);
}

// The window ends at the time set: silence then a tone at 500 ms reads silent just before
// the onset and full once the whole window is inside the tone. A stream that kept the
// encoder's 1105-sample delay (25 ms) would still read well below full at 540 ms.
TEST(MusicAnalysis, WindowEndsAtTheTimeSet) {
  noMusicPlaying();
  std::string path = scratchPath("onset.mp3");
  ToneFile tone;
  tone.silenceSeconds = 0.5, tone.toneSeconds = 0.5, tone.amplitude = 0.8;
  ASSERT_GT(makeToneMp3(path, tone), 0);
  ASSERT_EQ(openMusicAnalysis(path.c_str()), 1);
  setMusicAnalysisTime(495);
  EXPECT_LT(bandLevel(989, 1032), 0.05f);
  setMusicAnalysisTime(541);
  EXPECT_NEAR(bandLevel(989, 1032), 0.8f * 0.969f, 0.05f);
  // Past the end of the music, and far past it: silence, no hang.
  setMusicAnalysisTime(1100);
  EXPECT_LT(bandLevel(989, 1032), 0.01f);
  setMusicAnalysisTime(184000);
  EXPECT_EQ(bandLevel(0, 22050), 0.0f);
  // A step back beyond what the ring holds decodes again from the start.
  setMusicAnalysisTime(700);
  EXPECT_NEAR(bandLevel(989, 1032), 0.8f * 0.969f, 0.05f);
  setMusicAnalysisTime(300);
  EXPECT_LT(bandLevel(989, 1032), 0.01f);
  // Opening again replaces the stream rather than adding a decoder.
  ASSERT_EQ(openMusicAnalysis(path.c_str()), 1);
  EXPECT_EQ(mp3DecodersOpen, 1);
  closeMusicAnalysis();
  EXPECT_EQ(mp3DecodersOpen, 0);
}
