// The spectrum and band levels: a 1024-point real FFT (FFTW, single precision) over a Hann
// window of mono samples, where mono is the mean of the left and right channels. The plan
// and its buffers are made once, on the first call; later calls allocate nothing.
// Owns: the FFT plan, its buffers and the window.
#ifdef _WIN32
// mingw's <cmath> names M_PI only on request in strict C++ mode.
#define _USE_MATH_DEFINES
#endif
#include <fftw3.h>

#include <cmath>

#include "audio/audio.h"

static fftwf_plan spectrumPlan;
static float* fftInput;               // SPECTRUM_WINDOW windowed samples
static fftwf_complex* fftOutput;      // SPECTRUM_BINS + 1 complex values
static float hannWindow[SPECTRUM_WINDOW];
static float magnitudeScale;          // 2 / sum of the window: a bin-centre sine of amplitude A reads A

static int prepareSpectrum() {
  if (spectrumPlan) return 1;
  fftInput = fftwf_alloc_real(SPECTRUM_WINDOW);
  fftOutput = fftwf_alloc_complex(SPECTRUM_BINS + 1);
  if (!fftInput || !fftOutput) return 0;
  double sum = 0.0;
  for (int n = 0; n < SPECTRUM_WINDOW; ++n) {
    // Periodic Hann: its transform has exactly two side taps, so the bin-centre gain is exact.
    double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * n / SPECTRUM_WINDOW);
    hannWindow[n] = (float)w;
    sum += w;
  }
  magnitudeScale = (float)(2.0 / sum);
  spectrumPlan = fftwf_plan_dft_r2c_1d(SPECTRUM_WINDOW, fftInput, fftOutput, FFTW_ESTIMATE);
  return spectrumPlan != nullptr;
}

void computeSpectrum(const float* mono, float* spectrum) {
  if (!prepareSpectrum()) {
    for (int k = 0; k < SPECTRUM_BINS; ++k) spectrum[k] = 0.0f;
    return;
  }
  for (int n = 0; n < SPECTRUM_WINDOW; ++n) fftInput[n] = mono[n] * hannWindow[n];
  fftwf_execute(spectrumPlan);
  for (int k = 0; k < SPECTRUM_BINS; ++k) {
    float re = fftOutput[k][0], im = fftOutput[k][1];
    float m = std::sqrt(re * re + im * im) * magnitudeScale;
    spectrum[k] = m < 1.0f ? (m > 0.0f ? m : 0.0f) : 1.0f;   // NaN reads 0
  }
}

float bandLevelOf(const float* spectrum, int loHz, int hiHz) {
  int lo = loHz / 43, hi = hiHz / 43;   // 43 Hz per bin, truncated toward zero
  if (lo < 0) lo = 0;
  if (hi > SPECTRUM_BINS) hi = SPECTRUM_BINS;
  int count = hi - lo;
  float sum = 0.0f;
  for (int k = lo; k < hi; ++k) sum += spectrum[k];
  return sum / (float)(count > 0 ? count : 1);
}

float bandLevel(int loHz, int hiHz) {
  static float mono[SPECTRUM_WINDOW];
  static float spectrum[SPECTRUM_BINS];
  if (!analysisWindow(mono) && !heardWindow(mono)) return 0.0f;
  computeSpectrum(mono, spectrum);
  return bandLevelOf(spectrum, loHz, hiHz);
}
