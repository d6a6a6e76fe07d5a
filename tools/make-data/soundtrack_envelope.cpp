// The bass envelope of the scene-7 loop: its signal low-passed below 120 Hz, rectified and
// smoothed, sampled 2004.75 times per second into 8019 bytes whose peak is 255.
#include <algorithm>
#include <cmath>

#include "synth_soundtrack.h"

namespace {

constexpr float LOW_BAND_HZ = 120.0f;
constexpr float SMOOTH_SECONDS = 0.024f;   // about one period of the loop's lowest note

}  // namespace

std::vector<float> lowBandEnvelope(const std::vector<float>& cycle) {
  const long n = (long)cycle.size();
  std::vector<float> rectified((size_t)n, 0.0f);
  if (n == 0) return rectified;
  // Three passes through the cycle settle the filter; the last pass is kept, so the
  // envelope at the start already carries the end's tails.
  Lowpass4 low = makeLowpass4(LOW_BAND_HZ);
  for (int pass = 0; pass < 3; ++pass)
    for (long i = 0; i < n; ++i) {
      float y = stepLowpass4(low, cycle[(size_t)i]);
      if (pass == 2) rectified[(size_t)i] = std::fabs(y);
    }
  // Smoothing: a centred Hann-weighted average, taken cyclically, so the envelope neither
  // lags the bass nor ripples at twice its frequency.
  const long half = (long)(SMOOTH_SECONDS * SYNTH_RATE / 2.0f);
  std::vector<float> weight((size_t)(2 * half + 1));
  double total = 0.0;
  for (long j = -half; j <= half; ++j) {
    double w = 0.5 + 0.5 * std::cos(M_PI * (double)j / (double)(half + 1));
    weight[(size_t)(j + half)] = (float)w;
    total += w;
  }
  std::vector<float> smooth((size_t)n, 0.0f);
  for (long i = 0; i < n; ++i) {
    double sum = 0.0;
    for (long j = -half; j <= half; ++j) {
      long k = ((i + j) % n + n) % n;
      sum += weight[(size_t)(j + half)] * rectified[(size_t)k];
    }
    smooth[(size_t)i] = (float)(sum / total);
  }
  return smooth;
}

std::vector<uint8_t> bassEnvelopeTable(const std::vector<float>& cycle) {
  std::vector<uint8_t> table(ENVELOPE_ENTRIES, 0);
  std::vector<float> env = lowBandEnvelope(cycle);
  const long n = (long)env.size();
  if (n == 0) return table;
  // Sample at k / 2004.75 s with linear interpolation.
  std::vector<double> value(ENVELOPE_ENTRIES);
  for (int k = 0; k < ENVELOPE_ENTRIES; ++k) {
    double at = (double)k * (double)SYNTH_RATE / ENVELOPE_RATE;
    long i = (long)at;
    double f = at - (double)i;
    double a = env[(size_t)(i % n)], b = env[(size_t)((i + 1) % n)];
    value[(size_t)k] = a + (b - a) * f;
  }
  double lo = *std::min_element(value.begin(), value.end());
  double hi = *std::max_element(value.begin(), value.end());
  if (hi - lo <= 0.0) return table;
  for (int k = 0; k < ENVELOPE_ENTRIES; ++k) {
    double x = (value[(size_t)k] - lo) / (hi - lo) * 255.0;
    table[(size_t)k] = (uint8_t)std::clamp(std::lround(x), 0L, 255L);
  }
  return table;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n == 0) return 0.0;
  double ma = 0.0, mb = 0.0;
  for (size_t i = 0; i < n; ++i) {
    ma += a[i];
    mb += b[i];
  }
  ma /= (double)n;
  mb /= (double)n;
  double sab = 0.0, saa = 0.0, sbb = 0.0;
  for (size_t i = 0; i < n; ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
  }
  if (saa <= 0.0 || sbb <= 0.0) return 0.0;
  return sab / std::sqrt(saa * sbb);
}
