// The soundtrack's instruments, one note per call.
#include "synth_voices.h"

#include <algorithm>

namespace {

constexpr float INV_RATE = 1.0f / (float)SYNTH_RATE;
constexpr int RETUNE_EVERY = 16;   // filter coefficients follow their envelopes this often

Voice voiceOf(float seconds) { return Voice((size_t)(std::max(0.0f, seconds) * SYNTH_RATE) + 1, 0.0f); }

float centsRatio(float cents) { return std::pow(2.0f, cents / 1200.0f); }

// Gate envelope: linear attack, held, exponential release after `gate` seconds.
float gateAt(float t, float attack, float gate, float release) {
  float a = t < attack ? t / attack : 1.0f;
  return t < gate ? a : a * std::exp(-(t - gate) / release);
}

}  // namespace

Voice kickVoice(const KickSound& k, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  Voice v = voiceOf(k.hold + 7.0f * k.decay);
  Svf clickFilter = makeSvf(2500.0f, 0.7071f);
  const float norm = k.drive > 0.0f ? 1.0f / std::tanh(k.drive) : 1.0f;
  float phase = 0.0f;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    float hz = k.endHz + (k.startHz - k.endHz) * std::exp(-t / k.pitchTime);
    float amp = t < 0.0015f ? t / 0.0015f : (t < k.hold ? 1.0f : std::exp(-(t - k.hold) / k.decay));
    float x = sineAt(advancePhase(phase, hz * INV_RATE));
    if (k.drive > 0.0f) x = std::tanh(k.drive * x) * norm;
    x *= amp;
    if (k.click > 0.0f && t < 0.006f)
      x += k.click * stepSvf(clickFilter, randomBipolar(rng)).low * (1.0f - t / 0.006f);
    v[i] = x;
  }
  return v;
}

Voice subVoice(float hz, float seconds, float level2nd) {
  const float release = 0.03f;
  Voice v = voiceOf(seconds + 7.0f * release);
  float phase = 0.0f;
  const float norm = 1.0f / std::tanh(1.2f);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    float p = advancePhase(phase, hz * INV_RATE);
    float x = sineAt(p) + level2nd * std::sin(4.0f * SYNTH_PI * p);
    v[i] = std::tanh(1.2f * x) * norm * gateAt(t, 0.004f, seconds, release);
  }
  return v;
}

Voice pluckVoice(const std::vector<float>& hz, float seconds, const PluckSound& p, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  Voice v = voiceOf(seconds + 7.0f * p.release);
  const size_t n = hz.size();
  std::vector<float> phaseA(n), phaseB(n), dtA(n), dtB(n);
  float subPhase = 0.0f;
  const float spread = centsRatio(p.detuneCents);
  for (size_t j = 0; j < n; ++j) {
    phaseA[j] = randomUnit(rng);
    phaseB[j] = randomUnit(rng);
    dtA[j] = hz[j] * INV_RATE * spread;
    dtB[j] = hz[j] * INV_RATE / spread;
  }
  const float gain = 0.5f / std::sqrt((float)std::max<size_t>(1, n));
  Svf filter = makeSvf(p.cutoff + p.envHz, p.q);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    if (i % RETUNE_EVERY == 0) tuneSvf(filter, p.cutoff + p.envHz * std::exp(-t / p.envTime), p.q);
    float x = 0.0f;
    for (size_t j = 0; j < n; ++j) {
      float a = advancePhase(phaseA[j], dtA[j]), b = advancePhase(phaseB[j], dtB[j]);
      x += p.square > 0.5f ? squareAt(a, dtA[j]) + squareAt(b, dtB[j]) : sawAt(a, dtA[j]) + sawAt(b, dtB[j]);
    }
    float y = stepSvf(filter, x * gain).low;
    if (p.sub > 0.0f && n > 0) y += p.sub * sineAt(advancePhase(subPhase, 0.5f * hz[0] * INV_RATE));
    float amp = gateAt(t, 0.003f, seconds, p.release);
    if (p.ampDecay > 0.0f) amp *= std::exp(-t / p.ampDecay);
    v[i] = y * amp;
  }
  return v;
}

Voice epianoVoice(float hz, float seconds, float velocity) {
  const float release = 0.3f;
  Voice v = voiceOf(seconds + 7.0f * release);
  float carrier = 0.0f, modulator = 0.0f, tine = 0.0f;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    float index = (0.8f + 1.6f * velocity) * std::exp(-t / 0.45f) + 0.25f;
    float tineIndex = 0.9f * velocity * std::exp(-t / 0.04f);
    float m = std::sin(2.0f * SYNTH_PI * advancePhase(modulator, hz * INV_RATE));
    float bell = std::sin(2.0f * SYNTH_PI * advancePhase(tine, 14.0f * hz * INV_RATE));
    float c = advancePhase(carrier, hz * INV_RATE);
    float x = std::sin(2.0f * SYNTH_PI * c + index * m + tineIndex * bell);
    v[i] = x * std::exp(-t / 1.6f) * gateAt(t, 0.002f, seconds, release);
  }
  return v;
}

Voice leadVoice(float hz, float seconds, float cutoff, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  const float release = 0.18f;
  Voice v = voiceOf(seconds + 7.0f * release);
  float pa = randomUnit(rng), pb = randomUnit(rng), pc = randomUnit(rng), vib = 0.0f;
  const float up = centsRatio(7.0f), down = centsRatio(-7.0f);
  Svf filter = makeSvf(cutoff, 0.9f);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    float depth = t < 0.18f ? 0.0f : std::min(1.0f, (t - 0.18f) * 3.0f) * 0.004f;
    float f = hz * (1.0f + depth * sineAt(advancePhase(vib, 5.2f * INV_RATE)));
    float da = f * up * INV_RATE, db = f * down * INV_RATE, dc = 0.5f * f * INV_RATE;
    float x = 0.35f * (sawAt(advancePhase(pa, da), da) + sawAt(advancePhase(pb, db), db)) +
              0.25f * squareAt(advancePhase(pc, dc), dc);
    if (i % RETUNE_EVERY == 0) tuneSvf(filter, cutoff * (1.0f + 1.5f * std::exp(-t / 0.12f)), 0.9f);
    v[i] = stepSvf(filter, x).low * gateAt(t, 0.012f, seconds, release);
  }
  return v;
}

Voice noiseHitVoice(const NoiseHit& h, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  const float burstGap = 0.009f;
  const int bursts = std::max(1, h.bursts);
  Voice v = voiceOf((float)(bursts - 1) * burstGap + h.attack + h.hold + 8.0f * h.decay);
  Svf band = makeSvf(h.bandHz, h.bandQ), high = makeSvf(h.highHz, 0.7071f);
  float tonePhase = 0.0f;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    // The envelope restarts at each burst; the last one carries the decay.
    int burst = std::min(bursts - 1, (int)(t / burstGap));
    float local = t - (float)burst * burstGap;
    float amp;
    if (local < h.attack) amp = local / h.attack;
    else if (local < h.attack + h.hold) amp = 1.0f;
    else amp = std::exp(-(local - h.attack - h.hold) / (burst < bursts - 1 ? 0.004f : h.decay));
    float noise = randomBipolar(rng);
    float x = h.bandMix * stepSvf(band, noise).band + h.highMix * stepSvf(high, noise).high;
    x *= amp;
    if (h.toneMix > 0.0f) {
      float f = h.toneHz * (1.0f + 0.5f * std::exp(-t / 0.01f));
      x += h.toneMix * sineAt(advancePhase(tonePhase, f * INV_RATE)) * std::exp(-t / h.toneDecay) *
           std::min(1.0f, t / 0.001f);
    }
    v[i] = x;
  }
  return v;
}

Voice bandHitVoice(float partial, float hold, float decay, float toneMix, bool falling, uint64_t seed) {
  constexpr int PERIOD = 1024, FIRST_BIN = 58, PARTIALS = 23;
  SynthRandom rng = synthRandom(seed);
  std::vector<float> period(PERIOD, 0.0f);
  for (int j = 0; j < PARTIALS; ++j) {
    double phase = (falling ? -1.0 : 1.0) * M_PI * j * j / PARTIALS;
    for (int n = 0; n < PERIOD; ++n)
      period[(size_t)n] += (float)std::cos(2.0 * M_PI * (FIRST_BIN + j) * n / PERIOD + phase);
  }
  const float attack = 0.0008f;
  Voice v = voiceOf(attack + hold + 8.0f * decay);
  Svf sizzle = makeSvf(9000.0f, 0.7071f);
  float tonePhase = 0.0f;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    float amp = t < attack ? t / attack : (t < attack + hold ? 1.0f : std::exp(-(t - attack - hold) / decay));
    float x = partial * period[i % PERIOD] + 0.03f * stepSvf(sizzle, randomBipolar(rng)).high;
    v[i] = x * amp;
    if (toneMix > 0.0f) {
      float f = 185.0f * (1.0f + 0.5f * std::exp(-t / 0.01f));
      v[i] += toneMix * sineAt(advancePhase(tonePhase, f * INV_RATE)) * std::exp(-t / 0.05f) * std::min(1.0f, t / 0.001f);
    }
  }
  return v;
}

void padVoice(const std::vector<float>& hz, float seconds, const PadSound& p, uint64_t seed,
              Voice& left, Voice& right) {
  SynthRandom rng = synthRandom(seed);
  left = voiceOf(seconds + 7.0f * p.release);
  right = voiceOf(seconds + 7.0f * p.release);
  const size_t n = hz.size();
  // Per note three saws: one left, one centre, one right, detuned down, not, up.
  std::vector<float> phase(3 * n), dt(3 * n);
  for (size_t j = 0; j < n; ++j)
    for (int s = 0; s < 3; ++s) {
      phase[3 * j + s] = randomUnit(rng);
      dt[3 * j + s] = hz[j] * centsRatio(p.detuneCents * (float)(s - 1)) * INV_RATE;
    }
  const float gain = 0.5f / std::sqrt((float)std::max<size_t>(1, n));
  Svf lowL = makeSvf(p.cutoff, p.q), lowR = makeSvf(p.cutoff, p.q);
  Svf highL = makeSvf(p.highpassHz, 0.7071f), highR = makeSvf(p.highpassHz, 0.7071f);
  float lfo = randomUnit(rng);
  for (size_t i = 0; i < left.size(); ++i) {
    float t = (float)i * INV_RATE;
    if (i % RETUNE_EVERY == 0) {
      float sweep = sineAt(lfo);
      tuneSvf(lowL, p.cutoff * (1.0f + p.lfoDepth * sweep), p.q);
      tuneSvf(lowR, p.cutoff * (1.0f - p.lfoDepth * sweep), p.q);
    }
    advancePhase(lfo, p.lfoHz * INV_RATE);
    float l = 0.0f, c = 0.0f, r = 0.0f;
    for (size_t j = 0; j < n; ++j) {
      float* ph = &phase[3 * j];
      const float* d = &dt[3 * j];
      l += sawAt(advancePhase(ph[0], d[0]), d[0]);
      c += sawAt(advancePhase(ph[1], d[1]), d[1]);
      r += sawAt(advancePhase(ph[2], d[2]), d[2]);
    }
    float swell = t < p.attack ? std::sin(0.5f * SYNTH_PI * t / p.attack) : 1.0f;
    float amp = gain * (t < seconds ? swell : swell * std::exp(-(t - seconds) / p.release));
    float inL = (l + 0.7f * c) * amp, inR = (r + 0.7f * c) * amp;
    left[i] = stepSvf(highL, stepSvf(lowL, inL).low).high;
    right[i] = stepSvf(highR, stepSvf(lowR, inR).low).high;
  }
}

Voice sweepVoice(float seconds, float fromHz, float toHz, float q, float swellPower, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  Voice v = voiceOf(seconds + 0.05f);
  Svf band = makeSvf(fromHz, q);
  const float ratio = toHz / fromHz;
  for (size_t i = 0; i < v.size(); ++i) {
    float x = std::min(1.0f, (float)i * INV_RATE / seconds);
    if (i % RETUNE_EVERY == 0) tuneSvf(band, fromHz * std::pow(ratio, x), q);
    float amp = std::pow(x, swellPower) * (x < 1.0f ? 1.0f : 0.0f);
    float edge = std::min(1.0f, (seconds + 0.05f - (float)i * INV_RATE) / 0.05f);
    v[i] = stepSvf(band, randomBipolar(rng)).band * amp * std::max(edge, 0.0f);
  }
  // The sweep ends at full level: a short fade avoids a click.
  const size_t fade = (size_t)(0.03f * SYNTH_RATE);
  size_t end = (size_t)(seconds * SYNTH_RATE);
  for (size_t i = 0; i < fade && i <= end && end < v.size(); ++i) v[end - i] *= (float)i / (float)fade;
  for (size_t i = end + 1; i < v.size(); ++i) v[i] = 0.0f;
  return v;
}

Voice razorVoice(float seconds, uint64_t seed) {
  SynthRandom rng = synthRandom(seed);
  Voice v = voiceOf(seconds + 0.3f);
  float buzz = 0.0f, motor = 0.0f;
  Svf band = makeSvf(2400.0f, 2.5f);
  Highpass4 lowCut = makeHighpass4(300.0f);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = (float)i * INV_RATE;
    // The motor spins up over the first half second, its hum rising from 80 to 118 Hz.
    float spin = 1.0f - std::exp(-t / 0.25f);
    float hz = 80.0f + 38.0f * spin;
    float d = hz * INV_RATE;
    float width = 0.25f + 0.1f * sineAt(advancePhase(motor, 0.7f * INV_RATE));
    float x = squareAt(advancePhase(buzz, d), d, width) + 0.15f * randomBipolar(rng);
    float y = 0.8f * stepSvf(band, x).band + 0.25f * x;
    float amp = std::min(1.0f, t / 0.4f) * (t < seconds ? 1.0f : std::exp(-(t - seconds) / 0.05f));
    v[i] = stepHighpass4(lowCut, y) * amp;
  }
  return v;
}
