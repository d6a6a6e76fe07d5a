// The synthesiser's whole-buffer effects: reverb, ping-pong delay and the look-ahead limiter.
#include "synth_dsp.h"

#include <algorithm>

StereoAudio makeStereoAudio(long frames) {
  StereoAudio a;
  a.left.assign((size_t)frames, 0.0f);
  a.right.assign((size_t)frames, 0.0f);
  return a;
}

namespace {

struct Comb {
  std::vector<float> buffer;
  size_t index;
  float store;
};
struct Allpass {
  std::vector<float> buffer;
  size_t index;
};

inline float stepComb(Comb& c, float x, float feedback, float damping) {
  float y = c.buffer[c.index];
  c.store = y * (1.0f - damping) + c.store * damping;
  c.buffer[c.index] = x + c.store * feedback;
  if (++c.index == c.buffer.size()) c.index = 0;
  return y;
}

inline float stepAllpass(Allpass& a, float x) {
  float b = a.buffer[a.index];
  a.buffer[a.index] = x + b * 0.5f;
  if (++a.index == a.buffer.size()) a.index = 0;
  return b - x;
}

}  // namespace

void addReverb(const std::vector<float>& input, StereoAudio& output, const ReverbSettings& s) {
  // Delay lengths in samples at 44.1 kHz, mutually prime-ish so the echoes stay diffuse.
  static const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const int allpassLengths[4] = {556, 441, 341, 225};
  const int spread = 23;
  Comb combs[2][8];
  Allpass allpasses[2][4];
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < 8; ++i) combs[ch][i] = Comb{std::vector<float>((size_t)(combLengths[i] + ch * spread), 0.0f), 0, 0.0f};
    for (int i = 0; i < 4; ++i) allpasses[ch][i] = Allpass{std::vector<float>((size_t)(allpassLengths[i] + ch * spread), 0.0f), 0};
  }
  Highpass4 lowCut = makeHighpass4(s.lowCutHz);
  Svf highCut = makeSvf(s.highCutHz, 0.7071f);
  const size_t n = std::min(input.size(), output.left.size());
  const float inputGain = 0.015f;
  for (size_t i = 0; i < n; ++i) {
    float x = input[i] * inputGain;
    x = stepSvf(highCut, stepHighpass4(lowCut, x)).low;
    float out[2];
    for (int ch = 0; ch < 2; ++ch) {
      float sum = 0.0f;
      for (Comb& c : combs[ch]) sum += stepComb(c, x, s.roomSize, s.damping);
      for (Allpass& a : allpasses[ch]) sum = stepAllpass(a, sum);
      out[ch] = sum;
    }
    output.left[i] += out[0] * s.wet;
    output.right[i] += out[1] * s.wet;
  }
}

void addPingPongDelay(const std::vector<float>& input, StereoAudio& output, const DelaySettings& s) {
  const size_t length = (size_t)std::max(1L, s.delayFrames);
  std::vector<float> lineL(length, 0.0f), lineR(length, 0.0f);
  Svf toneL = makeSvf(s.toneHz, 0.7071f), toneR = makeSvf(s.toneHz, 0.7071f);
  const size_t n = std::min(input.size(), output.left.size());
  size_t at = 0;
  for (size_t i = 0; i < n; ++i) {
    float echoL = lineL[at], echoR = lineR[at];
    // The mono input enters the left line; each line feeds the other, so repeats alternate.
    float in = input[i];
    lineL[at] = in + stepSvf(toneL, echoR).low * s.feedback;
    lineR[at] = stepSvf(toneR, echoL).low * s.feedback;
    if (++at == length) at = 0;
    output.left[i] += echoL * s.wet;
    output.right[i] += echoR * s.wet;
  }
}

float peakOf(const StereoAudio& audio) {
  float peak = 0.0f;
  for (float v : audio.left) peak = std::max(peak, std::fabs(v));
  for (float v : audio.right) peak = std::max(peak, std::fabs(v));
  return peak;
}

void limitPeaks(StereoAudio& audio, float ceiling, int lookahead, float releaseSeconds) {
  const long n = (long)audio.left.size();
  if (n == 0) return;
  if (lookahead < 1) lookahead = 1;
  // Gain each sample needs on its own.
  std::vector<float> need((size_t)n);
  for (long i = 0; i < n; ++i) {
    float p = std::max(std::fabs(audio.left[i]), std::fabs(audio.right[i]));
    // A hair under the exact ratio, so that rounding in gain * sample cannot pass the ceiling.
    need[i] = p > ceiling ? ceiling / p * 0.999999f : 1.0f;
  }
  // Minimum over the coming window [i, i + lookahead] (block-wise prefix and suffix minima).
  const long w = lookahead + 1;
  std::vector<float> prefix((size_t)n), suffix((size_t)n), ahead((size_t)n);
  for (long i = 0; i < n; ++i) prefix[i] = (i % w == 0) ? need[i] : std::min(prefix[i - 1], need[i]);
  for (long i = n - 1; i >= 0; --i)
    suffix[i] = (i % w == w - 1 || i == n - 1) ? need[i] : std::min(suffix[i + 1], need[i]);
  for (long i = 0; i < n; ++i) {
    long j = std::min(n - 1, i + lookahead);
    ahead[i] = std::min(suffix[i], prefix[j]);
  }
  // Release: the gain may rise only slowly, and never above what the window demands.
  const float release = onePoleCoefficient(releaseSeconds);
  float g = 1.0f;
  for (long i = 0; i < n; ++i) {
    g += (1.0f - g) * release;
    g = std::min(g, ahead[i]);
    ahead[i] = g;
  }
  // A moving average over the window smooths the attack; every value averaged into sample i
  // comes from a window that covers i, so the average stays at or below what i needs.
  double sum = 0.0;
  for (long i = 0; i < n; ++i) {
    sum += ahead[i];
    if (i >= w) sum -= ahead[i - w];
    long count = std::min(i + 1, w);
    float gain = (float)(sum / (double)count);
    gain = std::min(gain, need[i]);   // guards against rounding in the running sum
    audio.left[i] *= gain;
    audio.right[i] *= gain;
  }
}
