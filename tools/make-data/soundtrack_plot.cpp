// The soundtrack's picture: waveform, bandLevel(20, 90) and bandLevel(2500, 3500) over the
// show's 184 s, one column per 100 ms, scene starts marked and numbered, the scenes' targets
// drawn as red guide lines. Written as an 8-bit RGB PNG with no time stamp.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "png_writer.h"
#include "scenes/scenes.h"
#include "synth_soundtrack.h"

namespace {

constexpr int COLUMNS = 1840;            // 100 ms each
constexpr int LEFT = 40, RIGHT = 40, TOP = 34;
constexpr int WAVE_H = 240, BAND_H = 150, GAP = 26;
constexpr int WIDTH = LEFT + COLUMNS + RIGHT;
constexpr int HEIGHT = TOP + WAVE_H + GAP + BAND_H + GAP + BAND_H + 30;
constexpr float HIGH_SCALE = 0.15f;      // the hats' band is drawn 0 .. 0.15

struct Rgb {
  unsigned char r, g, b;
};
struct Canvas {
  std::vector<unsigned char> pixels;
};

void put(Canvas& c, int x, int y, Rgb col) {
  if (x < 0 || y < 0 || x >= WIDTH || y >= HEIGHT) return;
  unsigned char* p = &c.pixels[(size_t)(3 * (y * WIDTH + x))];
  p[0] = col.r;
  p[1] = col.g;
  p[2] = col.b;
}
void vline(Canvas& c, int x, int y0, int y1, Rgb col, int dash = 0) {
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y)
    if (!dash || (y / dash) % 2 == 0) put(c, x, y, col);
}
void hline(Canvas& c, int x0, int x1, int y, Rgb col, int dash = 0) {
  for (int x = x0; x <= x1; ++x)
    if (!dash || (x / dash) % 2 == 0) put(c, x, y, col);
}

// Digits 0-9 in a 3x5 pixel font, drawn at `scale`.
void number(Canvas& c, int x, int y, int value, int scale, Rgb col) {
  static const char* glyphs[10] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                                   "101101111001001", "111100111001111", "111100111101111", "111001001001001",
                                   "111101111101111", "111101111001111"};
  char text[16];
  int n = std::snprintf(text, sizeof text, "%d", value);
  for (int i = 0; i < n; ++i) {
    const char* g = glyphs[text[i] - '0'];
    for (int gy = 0; gy < 5; ++gy)
      for (int gx = 0; gx < 3; ++gx)
        if (g[gy * 3 + gx] == '1')
          for (int sy = 0; sy < scale; ++sy)
            for (int sx = 0; sx < scale; ++sx) put(c, x + (gx + 4 * i) * scale + sx, y + gy * scale + sy, col);
  }
}

// A band strip: min..max of the frames in each column, the mean brighter on top.
void bandStrip(Canvas& c, const BandTrack& t, const std::vector<float>& v, int top, float scale, Rgb dim, Rgb bright) {
  std::vector<float> lo(COLUMNS, 1e9f), hi(COLUMNS, -1e9f), sum(COLUMNS, 0.0f);
  std::vector<int> count(COLUMNS, 0);
  for (size_t i = 0; i < t.timeMs.size(); ++i) {
    int col = t.timeMs[i] / 100;
    if (col < 0 || col >= COLUMNS) continue;
    lo[col] = std::min(lo[col], v[i]);
    hi[col] = std::max(hi[col], v[i]);
    sum[col] += v[i];
    ++count[col];
  }
  auto yOf = [&](float x) { return top + BAND_H - 1 - (int)std::lround(std::clamp(x / scale, 0.0f, 1.0f) * (BAND_H - 1)); };
  for (int col = 0; col < COLUMNS; ++col) {
    if (!count[col]) continue;
    vline(c, LEFT + col, yOf(lo[col]), yOf(hi[col]), dim);
    put(c, LEFT + col, yOf(sum[col] / (float)count[col]), bright);
  }
}

}  // namespace

bool plotSoundtrack(const StereoAudio& decoded, const BandTrack& bands, const std::string& pngPath) {
  const Rgb background{16, 17, 24}, frame{60, 62, 76}, sceneLine{150, 150, 175}, label{220, 220, 235};
  const Rgb wave{110, 170, 250}, lowDim{120, 70, 30}, lowBright{255, 160, 70};
  const Rgb highDim{40, 110, 55}, highBright{120, 240, 130}, target{215, 60, 60};
  Canvas c;
  c.pixels.assign((size_t)(3 * WIDTH * HEIGHT), 0);
  for (int y = 0; y < HEIGHT; ++y)
    for (int x = 0; x < WIDTH; ++x) put(c, x, y, background);

  const int waveTop = TOP, lowTop = TOP + WAVE_H + GAP, highTop = lowTop + BAND_H + GAP;
  for (int top : {waveTop, lowTop, highTop}) {
    int h = top == waveTop ? WAVE_H : BAND_H;
    hline(c, LEFT, LEFT + COLUMNS - 1, top, frame);
    hline(c, LEFT, LEFT + COLUMNS - 1, top + h - 1, frame);
  }
  // Ten-second ticks under the last strip, labelled every 20 s.
  for (int s = 0; s <= 184; s += 10) {
    vline(c, LEFT + 10 * s, highTop + BAND_H, highTop + BAND_H + 4, frame);
    if (s % 20 == 0) number(c, LEFT + 10 * s - 4, highTop + BAND_H + 8, s, 2, frame);
  }

  // Waveform: mono min..max per column, -1 .. 1.
  const int mid = waveTop + WAVE_H / 2;
  hline(c, LEFT, LEFT + COLUMNS - 1, mid, frame);
  const long perColumn = SYNTH_RATE / 10;
  for (int col = 0; col < COLUMNS; ++col) {
    float lo = 0.0f, hi = 0.0f;
    for (long i = col * perColumn; i < (col + 1) * perColumn && i < (long)decoded.left.size(); ++i) {
      float m = 0.5f * (decoded.left[(size_t)i] + decoded.right[(size_t)i]);
      lo = std::min(lo, m);
      hi = std::max(hi, m);
    }
    vline(c, LEFT + col, mid - (int)std::lround(hi * (WAVE_H / 2 - 1)), mid - (int)std::lround(lo * (WAVE_H / 2 - 1)),
          wave);
  }

  bandStrip(c, bands, bands.low, lowTop, 1.0f, lowDim, lowBright);
  bandStrip(c, bands, bands.high, highTop, HIGH_SCALE, highDim, highBright);
  // Targets: 0.75 on the low band in scene 3; 0.055 and 0.01 on the high band in scene 8.
  auto bandY = [&](int top, float x, float scale) { return top + BAND_H - 1 - (int)std::lround(x / scale * (BAND_H - 1)); };
  hline(c, LEFT + 160, LEFT + 200, bandY(lowTop, 0.75f, 1.0f), target, 3);
  hline(c, LEFT + 960, LEFT + 1280, bandY(highTop, 0.055f, HIGH_SCALE), target, 3);
  hline(c, LEFT + 960, LEFT + 1280, bandY(highTop, 0.01f, HIGH_SCALE), target, 3);

  for (int i = 0; i < SCENE_TABLE_SIZE; ++i) {
    int x = LEFT + sceneStartMs(i) / 100;   // 100 ms per column
    for (int top : {waveTop, lowTop, highTop}) vline(c, x, top, top + (top == waveTop ? WAVE_H : BAND_H) - 1, sceneLine, 2);
    number(c, x + 4, TOP - 16, SceneTable[i].scene, 2, label);
  }
  return writeRgbPng(pngPath, c.pixels.data(), WIDTH, HEIGHT);
}
