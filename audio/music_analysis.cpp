// The offline analysis: the soundtrack decoded with no device, in step with a time the caller
// sets, keeping the most recent mono samples in a small ring so that bandLevel can take the
// spectrum of the 1024 samples that end at that time. Memory stays bounded whatever the
// length of the music; the time normally only moves forward, and a step back further than
// the ring reaches decodes again from the start.
// Owns: the analysis decoder, its ring and its clock.
#include "audio/audio.h"

constexpr int ANALYSIS_RING = 4096;   // mono samples kept; a power of two
constexpr int ANALYSIS_CHUNK = 1152;  // frames decoded per step (one MPEG-1 layer III frame)

static Mp3Decoder analysisDecoder;
static int analysisOpen;
static float analysisRing[ANALYSIS_RING];
static int64_t analysisDecoded;       // mono samples decoded (or silence past the end) so far
static int64_t analysisTime;          // the window ends here, in samples

static void clearAnalysisRing() {
  for (float& s : analysisRing) s = 0.0f;
  analysisDecoded = 0;
}

int openMusicAnalysis(const char* path) {
  closeMusicAnalysis();
  if (!openMp3(analysisDecoder, path)) return 0;
  clearAnalysisRing();
  analysisTime = 0;
  analysisOpen = 1;
  return 1;
}

// Decodes forward until `target` samples have entered the ring; silence past the end.
static void decodeAnalysisUntil(int64_t target) {
  static float stereo[2 * ANALYSIS_CHUNK];
  if (analysisDecoder.ended && target - analysisDecoded > ANALYSIS_RING) {
    for (float& s : analysisRing) s = 0.0f;   // only silence remains to be "decoded"
    analysisDecoded = target;
    return;
  }
  while (analysisDecoded < target) {
    int64_t left = target - analysisDecoded;
    int want = left < ANALYSIS_CHUNK ? (int)left : ANALYSIS_CHUNK;
    int got = readMp3(analysisDecoder, stereo, want);
    for (int i = got; i < want; ++i) stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
    for (int i = 0; i < want; ++i)
      analysisRing[(analysisDecoded + i) & (ANALYSIS_RING - 1)] =
          0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    analysisDecoded += want;
    if (analysisDecoder.ended && target - analysisDecoded > ANALYSIS_RING) {
      for (float& s : analysisRing) s = 0.0f;
      analysisDecoded = target;
    }
  }
}

void setMusicAnalysisTime(int32_t elapsedMs) {
  if (!analysisOpen) return;
  int64_t target = elapsedMs > 0 ? (int64_t)elapsedMs * MUSIC_RATE / 1000 : 0;
  if (target < analysisDecoded && analysisDecoded - (target - SPECTRUM_WINDOW) > ANALYSIS_RING) {
    // Further back than the ring holds: decode again from the first sample.
    if (!rewindMp3(analysisDecoder)) {
      closeMusicAnalysis();
      return;
    }
    clearAnalysisRing();
  }
  decodeAnalysisUntil(target);
  analysisTime = target;
}

int analysisWindow(float* mono) {
  if (!analysisOpen) return 0;
  int64_t first = analysisTime - SPECTRUM_WINDOW;
  for (int n = 0; n < SPECTRUM_WINDOW; ++n) {
    int64_t i = first + n;
    mono[n] = i < 0 ? 0.0f : analysisRing[i & (ANALYSIS_RING - 1)];
  }
  return 1;
}

void closeMusicAnalysis() {
  if (analysisOpen) closeMp3(analysisDecoder);
  analysisOpen = 0;
  analysisTime = 0;
}
