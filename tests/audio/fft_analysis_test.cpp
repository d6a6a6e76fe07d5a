// The spectrum of a window of samples and the band arithmetic over its 512 bins.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/audio.h"

namespace {
// Bin k holds 2^-(k % 20) + k: every sum of a run of bins tells which bins were added.
void markedSpectrum(float* spectrum) {
  for (int k = 0; k < SPECTRUM_BINS; ++k) spectrum[k] = std::ldexp(1.0f, -(k % 20)) + (float)k;
}
float meanOf(const float* spectrum, int lo, int hi) {
  float sum = 0.0f;
  for (int k = lo; k < hi; ++k) sum += spectrum[k];
  return sum / (float)(hi - lo);
}
void sine(float* mono, double bin, double amplitude, double dc = 0.0) {
  for (int n = 0; n < SPECTRUM_WINDOW; ++n)
    mono[n] = (float)(dc + amplitude * std::sin(2.0 * M_PI * bin * n / SPECTRUM_WINDOW + 0.3));
}
}  // namespace

// The show's bands and the edge cases of the integer bin arithmetic (43 Hz per bin).
TEST(BandLevel, BinArithmetic) {
  float spectrum[SPECTRUM_BINS];
  markedSpectrum(spectrum);
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 20, 90), meanOf(spectrum, 0, 2));
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 2500, 3500), meanOf(spectrum, 58, 81));
  EXPECT_EQ(bandLevelOf(spectrum, 0, 42), 0.0f);       // both ends in bin 0: empty
  EXPECT_EQ(bandLevelOf(spectrum, 50, 60), 0.0f);      // narrower than a bin
  EXPECT_EQ(bandLevelOf(spectrum, 3500, 2500), 0.0f);  // inverted
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 43, 86), spectrum[1]);
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 42, 86), meanOf(spectrum, 0, 2));
}

// Ranges reaching past the top bin or below 0 Hz read only the bins that exist, and their
// mean is over those bins.
TEST(BandLevel, RangesClampedToTheBins) {
  float spectrum[SPECTRUM_BINS];
  markedSpectrum(spectrum);
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 21000, 30000), meanOf(spectrum, 488, 512));
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, 0, 1000000), meanOf(spectrum, 0, 512));
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, -5000, 86), meanOf(spectrum, 0, 2));
  EXPECT_EQ(bandLevelOf(spectrum, 30000, 40000), 0.0f);
  EXPECT_EQ(bandLevelOf(spectrum, -9000, -1000), 0.0f);
  EXPECT_FLOAT_EQ(bandLevelOf(spectrum, -2147483647 - 1, 2147483647), meanOf(spectrum, 0, 512));
}

// A full-scale sine at a bin centre reads 1.0 in its bin and almost nothing two bins away;
// half scale reads 0.5; between bins the Hann window loses at most 15 %.
TEST(Spectrum, Normalisation) {
  float mono[SPECTRUM_WINDOW], spectrum[SPECTRUM_BINS];
  const struct { double bin, amplitude, expected, tolerance; int peak; } cases[] = {
      {23.0, 1.0, 1.0, 1e-4, 23},   {23.0, 0.5, 0.5, 1e-4, 23},  {100.0, 0.25, 0.25, 1e-4, 100},
      {23.22, 1.0, 0.969, 0.005, 23}, {40.4, 1.0, 0.901, 0.005, 40}, {511.0, 1.0, 1.0, 1e-3, 511},
  };
  for (const auto& c : cases) {
    sine(mono, c.bin, c.amplitude);
    computeSpectrum(mono, spectrum);
    int peak = 0;
    for (int k = 1; k < SPECTRUM_BINS; ++k)
      if (spectrum[k] > spectrum[peak]) peak = k;
    EXPECT_EQ(peak, c.peak) << c.bin;
    EXPECT_NEAR(spectrum[peak], c.expected, c.tolerance) << c.bin;
    if (c.bin == 23.0) {
      EXPECT_NEAR(spectrum[22], 0.5 * c.amplitude, 1e-3);   // the Hann window's side taps
      EXPECT_LT(spectrum[20], 1e-4f);
      EXPECT_LT(spectrum[26], 1e-4f);
    }
  }
}

// Every magnitude stays in [0, 1]: a DC offset (which reads twice its size at bin 0),
// overloaded samples and NaN all come out clamped.
TEST(Spectrum, ValuesClampedToUnitRange) {
  float mono[SPECTRUM_WINDOW], spectrum[SPECTRUM_BINS];
  sine(mono, 10.0, 4.0, 0.9);
  mono[7] = NAN;
  computeSpectrum(mono, spectrum);
  for (int k = 0; k < SPECTRUM_BINS; ++k) {
    EXPECT_GE(spectrum[k], 0.0f) << k;
    EXPECT_LE(spectrum[k], 1.0f) << k;
  }
  sine(mono, 10.0, 4.0, 0.9);
  computeSpectrum(mono, spectrum);
  EXPECT_EQ(spectrum[0], 1.0f);
  EXPECT_EQ(spectrum[10], 1.0f);
  for (float& s : mono) s = 0.0f;
  computeSpectrum(mono, spectrum);
  for (int k = 0; k < SPECTRUM_BINS; ++k) EXPECT_EQ(spectrum[k], 0.0f) << k;
}
