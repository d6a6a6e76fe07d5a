// The synthesiser's building blocks: random source, oscillators, filters, effects and the
// instruments the scenes depend on, measured with the sound layer's own spectrum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "audio/audio.h"
#include "synth_dsp.h"
#include "synth_voices.h"

namespace {

double rms(const std::vector<float>& v, size_t from, size_t to) {
  double s = 0.0;
  for (size_t i = from; i < to; ++i) s += (double)v[i] * v[i];
  return std::sqrt(s / (double)std::max<size_t>(1, to - from));
}

// Frequency from rising zero crossings over [from, to).
double pitchOf(const std::vector<float>& v, size_t from, size_t to) {
  int crossings = 0;
  size_t first = 0, last = 0;
  for (size_t i = from + 1; i < to; ++i)
    if (v[i - 1] < 0.0f && v[i] >= 0.0f) {
      if (!crossings) first = i;
      last = i;
      ++crossings;
    }
  return crossings > 1 ? (double)(crossings - 1) * SYNTH_RATE / (double)(last - first) : 0.0;
}

// RMS gain of a filter on a sine, after it has settled.
template <typename Step>
double sineGain(float hz, Step step) {
  std::vector<float> out(SYNTH_RATE / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = step(std::sin(2.0f * SYNTH_PI * hz * (float)i / SYNTH_RATE));
  return rms(out, out.size() / 2, out.size()) / std::sqrt(0.5);
}

float bandOf(const std::vector<float>& v, size_t end, int lo, int hi) {
  float window[SPECTRUM_WINDOW], spectrum[SPECTRUM_BINS];
  for (int n = 0; n < SPECTRUM_WINDOW; ++n) {
    long i = (long)end - SPECTRUM_WINDOW + n;
    window[n] = i >= 0 && i < (long)v.size() ? v[(size_t)i] : 0.0f;
  }
  computeSpectrum(window, spectrum);
  return bandLevelOf(spectrum, lo, hi);
}

}  // namespace

TEST(SynthRandomSource, RepeatsPerSeedAndStaysInRange) {
  SynthRandom a = synthRandom(7), b = synthRandom(7), c = synthRandom(8);
  int same = 0;
  double sum = 0.0;
  float lo = 1.0f, hi = -1.0f;
  for (int i = 0; i < 100000; ++i) {
    uint32_t x = nextRandom(a);
    ASSERT_EQ(x, nextRandom(b));
    same += x == nextRandom(c);
    float u = randomBipolar(a);
    nextRandom(b);
    lo = std::min(lo, u);
    hi = std::max(hi, u);
    sum += u;
  }
  EXPECT_LT(same, 5) << "neighbouring seeds give the same stream";
  EXPECT_GE(lo, -1.0f);
  EXPECT_LT(hi, 1.0f);
  EXPECT_LT(lo, -0.999f);
  EXPECT_GT(hi, 0.999f);
  EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
  SynthRandom zero = synthRandom(0);
  EXPECT_NE(zero.state, 0u);   // xorshift would stick at zero
}

TEST(SynthOscillators, PitchLevelAndTuning) {
  EXPECT_NEAR(noteHz(69), 440.0f, 1e-3f);
  EXPECT_NEAR(noteHz(29), 43.6535f, 1e-3f);   // F1, the drop's sub, on the analyser's bin 1
  EXPECT_NEAR(noteHz(81) / noteHz(69), 2.0f, 1e-5f);

  for (float hz : {43.65f, 220.0f, 1760.0f, 5000.0f}) {
    std::vector<float> saw(SYNTH_RATE), square(SYNTH_RATE);
    float p1 = 0.3f, p2 = 0.0f, dt = hz / SYNTH_RATE;
    for (size_t i = 0; i < saw.size(); ++i) {
      saw[i] = sawAt(advancePhase(p1, dt), dt);
      square[i] = squareAt(advancePhase(p2, dt), dt);
    }
    double mean = 0.0;
    for (float v : saw) mean += v;
    EXPECT_NEAR(mean / saw.size(), 0.0, 0.01) << hz;
    EXPECT_LE(*std::max_element(saw.begin(), saw.end()), 1.1f) << hz;
    if (hz < 2000.0f) {   // higher up, band-limiting rightly takes harmonics away
      EXPECT_NEAR(rms(saw, 0, saw.size()), 1.0 / std::sqrt(3.0), 0.05) << hz;
      EXPECT_NEAR(rms(square, 0, square.size()), 1.0, 0.08) << hz;
    }
    EXPECT_NEAR(pitchOf(square, 0, square.size()), hz, hz * 0.002 + 0.5) << hz;
  }
  float phase = 0.9f;
  advancePhase(phase, 0.25f);
  EXPECT_NEAR(phase, 0.15f, 1e-6f);
  EXPECT_NEAR(triangleAt(0.25f), 0.0f, 1e-6f);
  EXPECT_NEAR(triangleAt(0.5f), 1.0f, 1e-6f);
}

TEST(SynthFilters, PassAndStopWhereTuned) {
  struct Case {
    float hz;
    double lowpass4, highpass4;   // expected gains of the 120 Hz Butterworth pair
    double tolerance;
  } cases[] = {{30.0f, 1.0, 0.004, 0.02}, {120.0f, 0.7071, 0.7071, 0.03}, {480.0f, 0.0039, 1.0, 0.02}};
  for (const Case& c : cases) {
    Lowpass4 lp = makeLowpass4(120.0f);
    Highpass4 hp = makeHighpass4(120.0f);
    EXPECT_NEAR(sineGain(c.hz, [&](float x) { return stepLowpass4(lp, x); }), c.lowpass4, c.tolerance) << c.hz;
    EXPECT_NEAR(sineGain(c.hz, [&](float x) { return stepHighpass4(hp, x); }), c.highpass4, c.tolerance) << c.hz;
  }
  // The state-variable band output peaks at its centre with gain Q; k * band is unity there.
  Svf band = makeSvf(3000.0f, 2.4f);
  EXPECT_NEAR(sineGain(3000.0f, [&](float x) { return band.k * stepSvf(band, x).band; }), 1.0, 0.03);
  Svf off = makeSvf(3000.0f, 2.4f);
  EXPECT_LT(sineGain(300.0f, [&](float x) { return off.k * stepSvf(off, x).band; }), 0.05);
  // Tuning beyond Nyquist or to nothing stays stable.
  Svf wild = makeSvf(40000.0f, 20.0f);
  Svf low = makeSvf(0.0f, 0.5f);
  SynthRandom r = synthRandom(3);
  for (int i = 0; i < SYNTH_RATE; ++i) {
    float x = randomBipolar(r);
    ASSERT_TRUE(std::isfinite(stepSvf(wild, x).low) && std::isfinite(stepSvf(low, x).high));
  }
}

TEST(SynthEnvelopes, AdsrShapes) {
  Adsr e{0.01f, 0.1f, 0.5f, 0.2f, 1.0f};
  EXPECT_EQ(adsrAt(e, -0.1f), 0.0f);
  EXPECT_NEAR(adsrAt(e, 0.005f), 0.5f, 1e-5f);
  EXPECT_NEAR(adsrAt(e, 0.01f), 1.0f, 1e-5f);
  EXPECT_NEAR(adsrAt(e, 0.9f), 0.5f, 1e-3f);
  float atGate = adsrAt(e, 1.0f);
  EXPECT_NEAR(adsrAt(e, 1.2f), atGate * std::exp(-1.0f), 1e-4f);
  EXPECT_LT(adsrAt(e, adsrLength(e)), 1e-4f);
  EXPECT_NEAR(1.0f - std::pow(1.0f - onePoleCoefficient(0.01f), 441.0f), 1.0f - std::exp(-1.0f), 1e-3f);
}

TEST(SynthEffects, DelayAndReverbEchoAndDecay) {
  const long n = 2 * SYNTH_RATE;
  std::vector<float> impulse((size_t)n, 0.0f);
  impulse[0] = 1.0f;
  StereoAudio out = makeStereoAudio(n);
  addPingPongDelay(impulse, out, DelaySettings{1000, 0.5f, 1.0f, 20000.0f});
  // First echo on the left after one delay, the second on the right after two, halved.
  EXPECT_NEAR(out.left[1000], 1.0f, 1e-4f);
  EXPECT_NEAR(out.right[1000], 0.0f, 1e-4f);
  EXPECT_EQ(out.left[999], 0.0f);
  double second = 0.0;   // the echo's energy: the feedback filter spreads it over a few samples
  for (int i = 1990; i < 2030; ++i) second += (double)out.right[i] * out.right[i];
  EXPECT_NEAR(second, 0.25, 0.06);
  float leftAtSecond = 0.0f;
  for (int i = 1990; i < 2030; ++i) leftAtSecond = std::max(leftAtSecond, std::fabs(out.left[i]));
  EXPECT_LT(leftAtSecond, 0.05f);

  StereoAudio wet = makeStereoAudio(n);
  std::vector<float> burst((size_t)n, 0.0f);
  SynthRandom r = synthRandom(11);
  for (int i = 0; i < 2205; ++i) burst[i] = randomBipolar(r);
  addReverb(burst, wet, ReverbSettings{0.86f, 0.35f, 1.0f, 180.0f, 7000.0f});
  double early = rms(wet.left, 2205, 8820), late = rms(wet.left, n - 4410, n);
  EXPECT_GT(early, 0.01);
  EXPECT_LT(late, early * 0.05) << "the tail does not decay";
  EXPECT_GT(rms(wet.right, 2205, 8820), 0.01);
  EXPECT_NE(wet.left[5000], wet.right[5000]) << "no stereo spread";
  // Bass stays dry: a 40 Hz tone barely reaches the reverb.
  std::vector<float> bass((size_t)n);
  for (long i = 0; i < n; ++i) bass[i] = std::sin(2.0f * SYNTH_PI * 40.0f * i / SYNTH_RATE);
  StereoAudio bassWet = makeStereoAudio(n);
  addReverb(bass, bassWet, ReverbSettings{0.86f, 0.35f, 1.0f, 180.0f, 7000.0f});
  EXPECT_LT(rms(bassWet.left, n / 2, n), 0.1 * early);
}

TEST(SynthInstruments, TheKicksAndHitsTheScenesRead) {
  // The drop's kick: its pitch settles on F1 and it drives bins 0 and 1 past 0.75 while held,
  // and is silent again before the next beat.
  KickSound drop = {130.0f, 43.65f, 0.025f, 0.17f, 0.045f, 0.08f, 3.0f};
  Voice kick = kickVoice(drop, 1);
  for (float& v : kick) v *= 0.86f;
  EXPECT_NEAR(pitchOf(kick, SYNTH_RATE / 10, SYNTH_RATE * 17 / 100), 43.65, 1.5);
  float best = 0.0f;
  for (int f = 1; f <= 10; ++f) best = std::max(best, bandOf(kick, (size_t)(f * SYNTH_RATE / 60), 20, 90));
  EXPECT_GE(best, 0.75f);
  EXPECT_LT(bandOf(kick, (size_t)(0.49 * SYNTH_RATE), 20, 90), 0.05f);
  EXPECT_LE(*std::max_element(kick.begin(), kick.end()), 0.87f);

  // Scene 8's hits: wherever the analyser's window falls inside the held part, the band
  // reads above 0.055; a moment after the hit it reads below 0.01; the crest stays low.
  for (bool falling : {false, true}) {
    Voice hit = bandHitVoice(0.075f, 0.042f, 0.012f, falling ? 0.16f : 0.0f, falling, 5);
    float lowest = 1.0f;
    for (size_t end = SPECTRUM_WINDOW + 40; end <= (size_t)(0.042 * SYNTH_RATE); end += 17)
      lowest = std::min(lowest, bandOf(hit, end, 2500, 3500));
    EXPECT_GT(lowest, 0.06f) << falling;
    EXPECT_LT(bandOf(hit, (size_t)(0.15 * SYNTH_RATE), 2500, 3500), 0.01f) << falling;
    float peak = 0.0f;
    for (float v : hit) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 0.65f) << falling;
  }

  // Sub and pluck: in tune and silent after their release.
  Voice sub = subVoice(noteHz(29), 0.3f, 0.12f);
  EXPECT_NEAR(pitchOf(sub, 2000, 12000), 43.65, 1.0);
  EXPECT_LT(std::fabs(sub.back()), 1e-3f);
  PluckSound bass = {160.0f, 700.0f, 0.05f, 2.5f, 0.25f, 0.02f, 9.0f, 0.9f, 0.0f};
  Voice pluck = pluckVoice({noteHz(41)}, 0.2f, bass, 3);
  EXPECT_LT(std::fabs(pluck.back()), 1e-3f);
  EXPECT_GT(rms(pluck, 0, SYNTH_RATE / 10), 0.1);
  // The razor keeps out of the bass envelope's band.
  Voice razor = razorVoice(1.0f, 77);
  Lowpass4 low = makeLowpass4(120.0f);
  std::vector<float> lowPart(razor.size());
  for (size_t i = 0; i < razor.size(); ++i) lowPart[i] = stepLowpass4(low, razor[i]);
  EXPECT_LT(rms(lowPart, 4410, 44100), 0.02 * rms(razor, 4410, 44100));
}
