// The processor's composite of the fast tail. Once a frame, each texel row of each glow level
// is magnified across the screen, each pixel blending the two texels around its centre as
// linear filtering does; then each screen row blends every level down from its two nearest
// magnified rows, so a pixel costs one blend per level. Every product of two bytes is rounded
// to the nearest byte, as the framebuffer's blending does; the glow adds are summed before the
// one clamp at 255, which equals clamping after each add because none is negative. Eight
// 16-bit lanes at a time where the processor has SSE2, one value at a time otherwise, with
// the same arithmetic. Owns the magnified rows and the across samples, allocated for the
// screen and level sizes in use and freed by releaseProcessorComposite.
#include "render/processor_composite.h"

#include <cmath>
#include <cstdlib>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/display.h"

namespace {

constexpr int CHANNELS = 4;                 // blue, green, red and the unused alpha
constexpr int FRACTION_BITS = 6;            // magnified values are kept in 1/64 of a byte
constexpr int WEIGHT_BITS = 16;             // weights across in 1/65536

// The sizes composeFrame takes: the largest screen, and levels up to level 3 of the largest
// glow capture (4096 x 2048 halved three times) in rows; across, the texel count costs
// nothing (the rows are magnified per screen pixel), so any width a texture may have.
constexpr int32_t MOST_SCREEN_WIDTH = 4 * MAX_SCREEN_K, MOST_SCREEN_HEIGHT = 3 * MAX_SCREEN_K;
constexpr int32_t MOST_LEVEL_WIDTH = 4 * MAX_SCREEN_K, MOST_LEVEL_ROWS = (2 * MAX_SCREEN_K) >> 3;

// Where a screen pixel's centre falls across a level: the value offsets of the texel at or
// before it and of the next (repeating), and the next one's weight in 1/65536.
struct AcrossSample {
  int32_t first, second;
  int32_t weight;
};

// Each level's texel rows magnified across the screen, with a black row before the first and
// after the last (the levels do not repeat up and down), in 1/64 of a byte; and twice the
// step from each such row to the next, for the blend down the screen. One block each for all
// levels, heldRows rows of heldRowValues values; the levels' first rows point into them.
int32_t heldRowValues, heldRows;
int16_t* magnifiedRows;
int16_t* doubleStepRows;
AcrossSample* across;                       // one per screen pixel, for the level at hand
int16_t* magnified[COMPOSITE_GLOW_LEVELS];
int16_t* doubleStep[COMPOSITE_GLOW_LEVELS];

// Makes the buffers fit a screen `width` pixels wide and these levels' rows, keeping them
// when they already do. False, with nothing held, when the memory cannot be had.
bool holdBuffers(int32_t width, const GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS]) {
  int32_t rowValues = width * CHANNELS, rows = 0;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) rows += levels[k].height + 2;
  if (rowValues != heldRowValues || rows != heldRows) {
    releaseProcessorComposite();
    size_t values = (size_t)rows * (size_t)rowValues;
    magnifiedRows = (int16_t*)std::malloc(values * sizeof(int16_t));
    doubleStepRows = (int16_t*)std::malloc(values * sizeof(int16_t));
    across = (AcrossSample*)std::malloc((size_t)width * sizeof(AcrossSample));
    if (!magnifiedRows || !doubleStepRows || !across) {
      releaseProcessorComposite();
      return false;
    }
    heldRowValues = rowValues;
    heldRows = rows;
  }
  size_t start = 0;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    magnified[k] = magnifiedRows + start;
    doubleStep[k] = doubleStepRows + start;
    start += (size_t)(levels[k].height + 2) * (size_t)rowValues;
  }
  return true;
}

// The nearest byte to a * b / 255 for bytes a and b.
inline uint16_t times(uint16_t a, uint16_t b) {
  uint16_t t = (uint16_t)(a * b + 128);
  return (uint16_t)((t + (t >> 8)) >> 8);
}

// Where each of the screen's pixel centres falls across a level, as linear filtering takes it:
// texel coordinate u = (x + 1/2) width / screenWidth - 1/2, between texels floor(u) and the
// next, repeating across. In units of 1 / (2 screenWidth) u is the whole number
// (2x + 1) width - screenWidth, stepped by 2 width a pixel. The weight is exact wherever
// 2 screenWidth divides 65536 times a whole number (every power-of-two screen up to 32768
// wide), so the magnified values there equal the nearest 1/64 of the exact blend.
void sampleAcross(int32_t width, int32_t screen) {
  int32_t whole = 2 * screen, along = width - screen;   // more than -whole
  for (int32_t x = 0; x < screen; ++x, along += 2 * width) {
    int32_t texel = along >= 0 ? along / whole : -1;
    int32_t rest = along - texel * whole;               // 0 to whole - 1
    int32_t first = texel < 0 ? width - 1 : texel % width;
    int32_t second = first + 1 == width ? 0 : first + 1;
    across[x] = {first * CHANNELS, second * CHANNELS,
                 (int32_t)((((int64_t)rest << WEIGHT_BITS) + whole / 2) / whole)};
  }
}

// Magnifies one level across the screen, `screen` pixels wide.
void magnifyLevel(const GlowLevelPicture& level, int k, int32_t screen) {
  int32_t width = level.width, rowValues = screen * CHANNELS;
  sampleAcross(width, screen);
  int16_t* rows = magnified[k];
  for (int32_t c = 0; c < rowValues; ++c) {
    rows[c] = 0;
    rows[(size_t)(level.height + 1) * rowValues + c] = 0;
  }
  constexpr uint32_t ONE = 1u << WEIGHT_BITS, HALF = ONE / 2;
  for (int32_t row = 0; row < level.height; ++row) {
    const unsigned char* texels = level.pixels + (size_t)row * width * CHANNELS;
    int16_t* out = rows + (size_t)(row + 1) * rowValues;
    for (int32_t x = 0; x < screen; ++x, out += CHANNELS) {
      const unsigned char* first = texels + across[x].first;
      const unsigned char* second = texels + across[x].second;
      uint32_t weight = (uint32_t)across[x].weight;
      for (int c = 0; c < CHANNELS; ++c) {
        uint32_t scaled = first[c] * (ONE - weight) + second[c] * weight;   // / 65536
        out[c] = (int16_t)((scaled * (1u << FRACTION_BITS) + HALF) >> WEIGHT_BITS);
      }
    }
  }
  int16_t* steps = doubleStep[k];
  for (size_t i = 0, end = (size_t)(level.height + 1) * rowValues; i < end; ++i)
    steps[i] = (int16_t)(2 * (rows[i + rowValues] - rows[i]));
}

// Where a screen row falls between the magnified rows of a level: the row below (index into
// magnified) and the distance above it, in 1/32768.
struct RowBlend {
  int32_t below;
  int16_t weight;
};

RowBlend rowBlend(const GlowLevelPicture& level, int32_t y, int32_t screenRows) {
  float t = ((float)y + 0.5f) * (float)level.height / (float)screenRows - 0.5f;
  int32_t below = (int32_t)std::floor(t);
  int32_t weight = (int32_t)std::lround((t - (float)below) * 32768.0f);
  if (weight >= 32768) {
    ++below;
    weight = 0;
  }
  return {below + 1, (int16_t)weight};
}

#ifdef __SSE2__
// times() for eight 16-bit lanes of bytes.
inline __m128i times8(__m128i a, __m128i b) {
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
#endif

// One screen row: the glow of every level blended down from its magnified rows, each rounded
// to a byte and weighted, summed, then laid over the veiled picture with the fade and border.
void composeRow(const RowBlend blends[COMPOSITE_GLOW_LEVELS], const unsigned char* picture,
                const unsigned char* border, uint16_t keep, int32_t rowValues, unsigned char* out) {
  const int16_t* lower[COMPOSITE_GLOW_LEVELS];
  const int16_t* step[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    lower[k] = magnified[k] + (size_t)blends[k].below * rowValues;
    step[k] = doubleStep[k] + (size_t)blends[k].below * rowValues;
  }
  int i = 0;
#ifdef __SSE2__
  const __m128i half = _mm_set1_epi16(1 << (FRACTION_BITS - 1));
  const __m128i weight = _mm_set1_epi16(GLOW_WEIGHT), veil = _mm_set1_epi16(VEIL_KEEP);
  const __m128i full = _mm_set1_epi16(255);
  const __m128i kept = _mm_set1_epi16((short)keep), zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32((int)0xFF000000);
  for (; i + 16 <= rowValues; i += 16) {
    __m128i glow[2];
    for (int h = 0; h < 2; ++h) {
      __m128i sum = zero;
      for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
        __m128i w = _mm_set1_epi16(blends[k].weight);
        __m128i low = _mm_loadu_si128((const __m128i*)(lower[k] + i + 8 * h));
        __m128i up = _mm_loadu_si128((const __m128i*)(step[k] + i + 8 * h));
        __m128i value = _mm_add_epi16(low, _mm_mulhi_epi16(up, w));
        __m128i byte = _mm_srli_epi16(_mm_add_epi16(value, half), FRACTION_BITS);
        sum = _mm_add_epi16(sum, times8(byte, weight));
      }
      glow[h] = sum;
    }
    __m128i bytes = _mm_loadu_si128((const __m128i*)(picture + i));
    __m128i c[2] = {_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)};
    __m128i b[2] = {full, full};
    if (border) {
      __m128i borderBytes = _mm_loadu_si128((const __m128i*)(border + i));
      b[0] = _mm_unpacklo_epi8(borderBytes, zero);
      b[1] = _mm_unpackhi_epi8(borderBytes, zero);
    }
    for (int h = 0; h < 2; ++h) {
      __m128i v = _mm_add_epi16(times8(c[h], veil), glow[h]);
      v = _mm_min_epi16(v, full);
      c[h] = times8(times8(v, kept), b[h]);
    }
    _mm_storeu_si128((__m128i*)(out + i), _mm_or_si128(_mm_packus_epi16(c[0], c[1]), opaque));
  }
#endif
  for (; i < rowValues; ++i) {
    uint16_t glow = 0;
    for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
      int16_t value = (int16_t)(lower[k][i] + (int16_t)(((int32_t)step[k][i] * blends[k].weight) >> 16));
      uint16_t byte = (uint16_t)((uint16_t)(value + (1 << (FRACTION_BITS - 1))) >> FRACTION_BITS);
      glow = (uint16_t)(glow + times(byte, GLOW_WEIGHT));
    }
    uint16_t c = (uint16_t)(times(picture[i], VEIL_KEEP) + glow);
    c = times(c > 255 ? 255 : c, keep);
    out[i] = (unsigned char)(i % CHANNELS == CHANNELS - 1 ? 255 : border ? times(c, border[i]) : c);
  }
}

}  // namespace

bool composeFrame(const unsigned char* picture, const GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS],
                  const unsigned char* border, int32_t fadeKeep, unsigned char* out) {
  int32_t width = screenWidth(), height = screenHeight();
  if (!picture || !levels || !out || width < 1 || width > MOST_SCREEN_WIDTH || height < 1 ||
      height > MOST_SCREEN_HEIGHT)
    return false;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k)
    if (!levels[k].pixels || levels[k].width < 1 || levels[k].width > MOST_LEVEL_WIDTH ||
        levels[k].height < 1 || levels[k].height > MOST_LEVEL_ROWS)
      return false;
  if (!holdBuffers(width, levels)) return false;
  uint16_t keep = (uint16_t)(fadeKeep < 0 ? 0 : fadeKeep > 255 ? 255 : fadeKeep);
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) magnifyLevel(levels[k], k, width);
  int32_t rowValues = width * CHANNELS;
  for (int32_t y = 0; y < height; ++y) {
    RowBlend blends[COMPOSITE_GLOW_LEVELS];
    for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) blends[k] = rowBlend(levels[k], y, height);
    size_t start = (size_t)y * rowValues;
    composeRow(blends, picture + start, border ? border + start : nullptr, keep, rowValues,
               out + start);
  }
  return true;
}

void releaseProcessorComposite() {
  std::free(magnifiedRows);
  std::free(doubleStepRows);
  std::free(across);
  magnifiedRows = nullptr;
  doubleStepRows = nullptr;
  across = nullptr;
  heldRowValues = 0;
  heldRows = 0;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    magnified[k] = nullptr;
    doubleStep[k] = nullptr;
  }
}
