// The soundtrack generator's parts: the score rendered by the synthesiser, the bass loop and
// its envelope, the MP3 encoder path, decoding through the sound layer, the measurements
// the check mode makes and the plot.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "synth_dsp.h"

// ---- Timing: 120 beats per minute, one bar (2000 ms) per unit of the scene table ----------
constexpr long BEAT_FRAMES = SYNTH_RATE / 2;            // 500 ms
constexpr long BAR_FRAMES = 4 * BEAT_FRAMES;            // 2000 ms
constexpr long SOUNDTRACK_FRAMES = 185L * SYNTH_RATE;   // one second longer than the show
constexpr long LOOP_START_FRAME = 76L * SYNTH_RATE;     // the two-bar bass loop of scene 7
constexpr long LOOP_FRAMES = 2 * BAR_FRAMES;            // 4000 ms
constexpr int LOOP_REPEATS = 5;                         // 76 s .. 96 s
constexpr int ENVELOPE_ENTRIES = 8019;                  // 2004.75 entries per second of loop
constexpr double ENVELOPE_RATE = 2004.75;
constexpr float MIX_CEILING = 0.88f;                    // -1.1 dBFS

// ---- Score (soundtrack_score.cpp) -----------------------------------------------------
// The first `frames` frames of the music, mixed, effected and limited below MIX_CEILING.
// A shorter render is the same music cut short (the limiter aside, which only looks 5 ms ahead).
StereoAudio renderSoundtrack(long frames);
// One cycle of the scene-7 loop as it sounds in the steady state (tails of the previous
// cycle included), mono, LOOP_FRAMES long, at the level it has in the mix before limiting.
std::vector<float> renderBassLoopCycle();

// ---- Envelope (soundtrack_envelope.cpp) -------------------------------------------------
// The loop's low band below 120 Hz, rectified and smoothed, one value per frame, computed
// as if the cycle repeated for ever (so its start joins its end).
std::vector<float> lowBandEnvelope(const std::vector<float>& cycle);
// The 8019-byte table: the envelope sampled at k / 2004.75 s, floor at 0, peak at 255.
std::vector<uint8_t> bassEnvelopeTable(const std::vector<float>& cycle);
// Pearson correlation of two equally long series (0 when either is constant).
double correlation(const std::vector<double>& a, const std::vector<double>& b);

// ---- MP3 (soundtrack_mp3.cpp) -------------------------------------------------------------
// 192 kbit/s CBR stereo at 44.1 kHz, with the encoder-delay and padding tag in the first
// frame, no ID3 tags. `quality` is LAME's 0 (best, slowest) .. 9. False on encoder failure.
bool encodeMp3(const StereoAudio& audio, int quality, std::vector<unsigned char>& mp3);
// Decodes a whole file through the sound layer's decoder; false when it cannot be opened.
bool decodeMp3File(const std::string& path, StereoAudio& audio);
bool writeFileBytes(const std::string& path, const void* data, size_t size);
bool readFileBytes(const std::string& path, std::vector<unsigned char>& data);

// ---- Measurements (soundtrack_check.cpp) ---------------------------------------------------
// Both band levels the scenes read, at 60 frames per second through the sound layer's
// offline analysis: frame f at elapsed round(f * 1000 / 60) ms.
struct BandTrack {
  std::vector<int32_t> timeMs;
  std::vector<float> low;    // bandLevel(20, 90)
  std::vector<float> high;   // bandLevel(2500, 3500)
};
bool measureBands(const std::string& mp3Path, double seconds, BandTrack& track);

// ---- Plot (soundtrack_plot.cpp) ---------------------------------------------------------------
// A PNG of the waveform and both band levels over the first 184 s, scene starts marked.
bool plotSoundtrack(const StereoAudio& decoded, const BandTrack& bands, const std::string& pngPath);
