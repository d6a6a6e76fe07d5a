// make-data --check-soundtrack: decodes the MP3 as written, measures the band levels the
// scenes read (through the sound layer, at 60 frames per second) and the bass envelope, and
// fails when the music would not drive the scenes as their scripts expect.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/audio.h"
#include "make_data.h"
#include "scenes/scenes.h"
#include "synth_soundtrack.h"

bool measureBands(const std::string& mp3Path, double seconds, BandTrack& track) {
  track = BandTrack{};
  if (!openMusicAnalysis(mp3Path.c_str())) return false;
  const long frames = (long)std::floor(seconds * 60.0);
  for (long f = 0; f <= frames; ++f) {
    int32_t ms = (int32_t)std::lround((double)f * 1000.0 / 60.0);
    setMusicAnalysisTime(ms);
    track.timeMs.push_back(ms);
    track.low.push_back(bandLevel(20, 90));
    track.high.push_back(bandLevel(2500, 3500));
  }
  closeMusicAnalysis();
  return true;
}

namespace {

int failures;

void expect(bool ok, const char* what) {
  std::printf("  %-4s %s\n", ok ? "ok" : "MISS", what);
  if (!ok) ++failures;
}

struct Range {
  float lo = 1e9f, hi = -1e9f;
  double sum = 0.0;
  long count = 0;
  void add(float v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
    sum += v;
    ++count;
  }
  double mean() const { return count ? sum / (double)count : 0.0; }
};

// Frames whose elapsed time falls in (fromMs, toMs].
Range rangeOf(const BandTrack& t, const std::vector<float>& v, int32_t fromMs, int32_t toMs) {
  Range r;
  for (size_t i = 0; i < t.timeMs.size(); ++i)
    if (t.timeMs[i] > fromMs && t.timeMs[i] <= toMs) r.add(v[i]);
  return r;
}

// The decoded loop's low band sampled like the table, from `startFrame` of the stream.
std::vector<double> decodedLoopEnvelope(const StereoAudio& a, long startFrame) {
  std::vector<float> cycle((size_t)LOOP_FRAMES, 0.0f);
  for (long i = 0; i < LOOP_FRAMES && startFrame + i < (long)a.left.size(); ++i)
    cycle[(size_t)i] = 0.5f * (a.left[(size_t)(startFrame + i)] + a.right[(size_t)(startFrame + i)]);
  std::vector<uint8_t> table = bassEnvelopeTable(cycle);
  return std::vector<double>(table.begin(), table.end());
}

void printScenes(const BandTrack& track) {
  std::printf("scene  from-to (s)   bandLevel(20,90) min/max/mean   bandLevel(2500,3500) min/max/mean\n");
  for (int i = 0; i < SCENE_TABLE_SIZE; ++i) {
    int32_t from = sceneStartMs(i), to = sceneEndMs(i);
    Range lo = rangeOf(track, track.low, from, to), hi = rangeOf(track, track.high, from, to);
    std::printf("%5d  %5.0f-%-5.0f   %6.3f %6.3f %6.3f            %7.4f %7.4f %7.4f\n", SceneTable[i].scene,
                from / 1000.0, to / 1000.0, lo.lo, lo.hi, lo.mean(), hi.lo, hi.hi, hi.mean());
  }
}

}  // namespace

int checkSoundtrack(const std::string& dataDir) {
  failures = 0;
  const std::string mp3Path = dataDir + "/maronekt-mix6.mp3";
  const std::string envPath = dataDir + "/bassloop_low.raw";
  StereoAudio decoded;
  if (!decodeMp3File(mp3Path, decoded)) {
    std::printf("check-soundtrack: cannot decode %s\n", mp3Path.c_str());
    return 1;
  }
  std::printf("check-soundtrack: %s\n", mp3Path.c_str());

  const double seconds = (double)decoded.left.size() / SYNTH_RATE;
  const float peak = peakOf(decoded);
  long clipped = 0;
  for (size_t i = 0; i < decoded.left.size(); ++i)
    clipped += (std::fabs(decoded.left[i]) >= 1.0f) + (std::fabs(decoded.right[i]) >= 1.0f);
  std::printf("stream: %.3f s, peak %.2f dBFS, %ld samples at full scale\n", seconds,
              20.0 * std::log10(std::max(1e-9f, peak)), clipped);

  BandTrack track;
  if (!measureBands(mp3Path, 184.0, track)) {
    std::printf("check-soundtrack: the sound layer cannot open %s\n", mp3Path.c_str());
    return 1;
  }
  printScenes(track);

  // Scene 3: the kick and sub swing bins 0 and 1 from near silence to 0.75 and more, beat
  // by beat, so the pigtails' k reaches 2 and falls back.
  int beatsUp = 0, beatsDown = 0;
  for (int beat = 0; beat < 8; ++beat) {
    Range r = rangeOf(track, track.low, 16000 + 500 * beat, 16500 + 500 * beat);
    beatsUp += r.hi >= 0.75f;
    beatsDown += r.lo <= 0.1f;
  }
  Range s3 = rangeOf(track, track.low, 16000, 20000);
  // Scene 8: every eighth note is a hat or a snare: each 250 ms slot rises above 0.055 and
  // falls below 0.01.
  int slotsUp = 0, slotsDown = 0;
  const int slots = 128;
  for (int s = 0; s < slots; ++s) {
    Range r = rangeOf(track, track.high, 96000 + 250 * s, 96250 + 250 * s);
    slotsUp += r.hi > 0.055f;
    slotsDown += r.lo < 0.01f;
  }
  Range s8 = rangeOf(track, track.high, 96000, 128000);

  std::vector<unsigned char> env;
  bool envRead = readFileBytes(envPath, env);
  int envMax = 0, envMin = 255;
  for (unsigned char b : env) {
    envMax = std::max(envMax, (int)b);
    envMin = std::min(envMin, (int)b);
  }
  std::vector<double> table(env.begin(), env.end());
  double worstCorrelation = 1.0;
  std::printf("envelope: %zu bytes, min %d, max %d; correlation with the decoded loop at", env.size(),
              envMin, envMax);
  for (int r = 0; r < LOOP_REPEATS; ++r) {
    double c = correlation(table, decodedLoopEnvelope(decoded, LOOP_START_FRAME + r * LOOP_FRAMES));
    std::printf(" %ld s: %.3f", (LOOP_START_FRAME + r * LOOP_FRAMES) / SYNTH_RATE, c);
    worstCorrelation = std::min(worstCorrelation, c);
  }
  std::printf("\n");

  char what[160];
  std::printf("targets:\n");
  expect(seconds >= 184.0, "stream at least 184 s long");
  expect(clipped == 0 && peak < 1.0f, "no sample at full scale");
  std::snprintf(what, sizeof what, "scene 3 bandLevel(20,90) reaches %.3f >= 0.75 on %d of 8 beats", s3.hi,
                beatsUp);
  expect(beatsUp == 8, what);
  std::snprintf(what, sizeof what, "scene 3 bandLevel(20,90) falls to %.3f <= 0.1 on %d of 8 beats", s3.lo,
                beatsDown);
  expect(beatsDown == 8, what);
  std::snprintf(what, sizeof what, "scene 8 bandLevel(2500,3500) above 0.055 in %d of %d eighths (max %.4f)",
                slotsUp, slots, s8.hi);
  expect(slotsUp == slots, what);
  std::snprintf(what, sizeof what, "scene 8 bandLevel(2500,3500) below 0.01 in %d of %d eighths (min %.4f)",
                slotsDown, slots, s8.lo);
  expect(slotsDown == slots, what);
  expect(envRead && env.size() == (size_t)ENVELOPE_ENTRIES, "envelope exactly 8019 bytes");
  expect(envMax == 255, "envelope peaks at 255");
  expect(envMin <= 8, "envelope's quiet parts near 0");
  std::snprintf(what, sizeof what, "envelope follows the decoded loop's low band in every repeat (r >= %.3f)",
                worstCorrelation);
  expect(worstCorrelation >= 0.9, what);
  std::printf("check-soundtrack: %s\n", failures ? "FAILED" : "all targets met");
  return failures ? 1 : 0;
}
