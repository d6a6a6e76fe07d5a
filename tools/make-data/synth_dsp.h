// The generator's synthesiser building blocks: a seeded random source, band-limited
// oscillators, envelopes, a state-variable filter, a delay line, a reverb and a look-ahead
// limiter. Everything is plain data stepped one sample at a time, so a render depends only on
// its inputs and seeds.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

constexpr int SYNTH_RATE = 44100;
constexpr float SYNTH_PI = 3.14159265358979f;

// ---- Random source: xorshift64*, seeded explicitly --------------------------------------
struct SynthRandom {
  uint64_t state;
};
inline SynthRandom synthRandom(uint64_t seed) {
  // splitmix64 of the seed, so that nearby seeds give unrelated streams; never zero
  uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return SynthRandom{z ? z : 1};
}
inline uint32_t nextRandom(SynthRandom& r) {
  r.state ^= r.state >> 12;
  r.state ^= r.state << 25;
  r.state ^= r.state >> 27;
  return (uint32_t)((r.state * 0x2545F4914F6CDD1Dull) >> 32);
}
inline float randomUnit(SynthRandom& r) { return (float)(nextRandom(r) >> 8) * (1.0f / 16777216.0f); }
inline float randomBipolar(SynthRandom& r) { return randomUnit(r) * 2.0f - 1.0f; }

// ---- Pitch ------------------------------------------------------------------------------
inline float noteHz(float midiNote) { return 440.0f * std::pow(2.0f, (midiNote - 69.0f) / 12.0f); }

// ---- Oscillators: phase in [0, 1), advanced by hz / rate --------------------------------
// The polynomial band-limited step that removes most of a saw's or square's aliasing.
inline float polyBlep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}
inline float advancePhase(float& phase, float dt) {
  float p = phase;
  phase += dt;
  if (phase >= 1.0f) phase -= std::floor(phase);
  return p;
}
inline float sawAt(float phase, float dt) { return 2.0f * phase - 1.0f - polyBlep(phase, dt); }
inline float squareAt(float phase, float dt, float width = 0.5f) {
  float p2 = phase + (1.0f - width);
  if (p2 >= 1.0f) p2 -= 1.0f;
  return (phase < width ? 1.0f : -1.0f) + polyBlep(phase, dt) - polyBlep(p2, dt);
}
inline float sineAt(float phase) { return std::sin(2.0f * SYNTH_PI * phase); }
inline float triangleAt(float phase) {
  return phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
}

// ---- Envelopes --------------------------------------------------------------------------
// Attack (linear), decay (exponential towards sustain) and release (exponential from the
// level at note-off), all in seconds; note-off at `gate` seconds.
struct Adsr {
  float attack, decay, sustain, release, gate;
};
inline float adsrAt(const Adsr& e, float t) {
  auto held = [&](float x) {
    if (x < e.attack) return x / e.attack;
    return e.sustain + (1.0f - e.sustain) * std::exp(-(x - e.attack) / e.decay);
  };
  if (t < 0.0f) return 0.0f;
  if (t < e.gate) return held(t);
  return held(e.gate) * std::exp(-(t - e.gate) / e.release);
}
// Length in seconds after which the envelope is below -80 dB.
inline float adsrLength(const Adsr& e) { return e.gate + e.release * 9.3f; }

// One-pole smoother coefficient for a time constant in seconds.
inline float onePoleCoefficient(float seconds) {
  return 1.0f - std::exp(-1.0f / (seconds * (float)SYNTH_RATE));
}

// ---- State-variable filter (trapezoidal, stable under fast modulation) -------------------
struct Svf {
  float ic1, ic2;     // integrator states
  float a1, a2, a3, k;
};
struct SvfOut {
  float low, band, high;
};
inline void tuneSvf(Svf& f, float hz, float q) {
  float limit = 0.49f * (float)SYNTH_RATE;
  if (hz > limit) hz = limit;
  if (hz < 5.0f) hz = 5.0f;
  float g = std::tan(SYNTH_PI * hz / (float)SYNTH_RATE);
  f.k = 1.0f / q;
  f.a1 = 1.0f / (1.0f + g * (g + f.k));
  f.a2 = g * f.a1;
  f.a3 = g * f.a2;
}
inline Svf makeSvf(float hz, float q) {
  Svf f{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  tuneSvf(f, hz, q);
  return f;
}
inline SvfOut stepSvf(Svf& f, float x) {
  float v3 = x - f.ic2;
  float v1 = f.a1 * f.ic1 + f.a2 * v3;
  float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
  f.ic1 = 2.0f * v1 - f.ic1;
  f.ic2 = 2.0f * v2 - f.ic2;
  return SvfOut{v2, v1, x - f.k * v1 - v2};
}

// Fourth-order Butterworth low-pass: two filters with the Butterworth Q pair.
struct Lowpass4 {
  Svf a, b;
};
inline Lowpass4 makeLowpass4(float hz) { return Lowpass4{makeSvf(hz, 0.5411961f), makeSvf(hz, 1.3065630f)}; }
inline float stepLowpass4(Lowpass4& f, float x) { return stepSvf(f.b, stepSvf(f.a, x).low).low; }
struct Highpass4 {
  Svf a, b;
};
inline Highpass4 makeHighpass4(float hz) { return Highpass4{makeSvf(hz, 0.5411961f), makeSvf(hz, 1.3065630f)}; }
inline float stepHighpass4(Highpass4& f, float x) { return stepSvf(f.b, stepSvf(f.a, x).high).high; }

// ---- Buffers and effects (synth_dsp.cpp) -------------------------------------------------
struct StereoAudio {
  std::vector<float> left, right;
};
StereoAudio makeStereoAudio(long frames);   // silence

// Stereo reverb: parallel damped comb filters into series all-passes per channel, the right
// channel's delays slightly longer for width. Adds the wet signal of the mono send `input`
// into `output`, sample by sample.
struct ReverbSettings {
  float roomSize;     // comb feedback, 0.7 .. 0.98
  float damping;      // 0 (bright) .. 1 (dark)
  float wet;          // output gain
  float lowCutHz;     // the send is high-passed here so the bass stays dry
  float highCutHz;    // and low-passed here
};
void addReverb(const std::vector<float>& input, StereoAudio& output, const ReverbSettings& settings);

// Ping-pong delay of the mono send `input`: echoes alternate between the channels, each
// repeat darker.
struct DelaySettings {
  long delayFrames;
  float feedback;
  float wet;
  float toneHz;       // low-pass in the feedback path
};
void addPingPongDelay(const std::vector<float>& input, StereoAudio& output, const DelaySettings& settings);

// Look-ahead peak limiter: the gain reaches its reduction before a peak arrives (so no sample
// exceeds `ceiling`), then recovers with `releaseSeconds`. Works in place.
void limitPeaks(StereoAudio& audio, float ceiling, int lookaheadFrames, float releaseSeconds);

// Highest absolute sample value of both channels.
float peakOf(const StereoAudio& audio);
