// The processor's composite of the fast tail. Once a frame, each texel row of each glow level
// is magnified across the screen, in runs of pixels that share the same two texels; then each
// screen row blends every level down from its two nearest magnified rows, so a pixel costs
// one blend per level. Every product of two bytes is rounded to the nearest byte, as the
// framebuffer's blending does; the glow adds are summed before the one clamp at 255, which
// equals clamping after each add because none is negative. Eight 16-bit lanes at a time
// where the processor has SSE2, one value at a time otherwise, with the same arithmetic.
// Owns the magnified rows.
#include "render/processor_composite.h"

#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/display.h"

namespace {

constexpr int CHANNELS = 4;                 // blue, green, red and the unused alpha
constexpr int ROW_VALUES = SCREEN_WIDTH * CHANNELS;
constexpr int VEIL_KEEP = 127;              // the half-black veil keeps 127 of 255
constexpr int GLOW_WEIGHT = 31;             // each glow level is added at alpha 31
constexpr int FRACTION_BITS = 6;            // magnified values are kept in 1/64 of a byte
constexpr int MOST_LEVEL_ROWS = (512 >> 3) + 2;

// Each level's texel rows magnified across the screen, with a black row before the first and
// after the last (the levels do not repeat up and down), in 1/64 of a byte; and twice the
// step from each such row to the next, for the blend down the screen.
int16_t magnified[COMPOSITE_GLOW_LEVELS][MOST_LEVEL_ROWS][ROW_VALUES];
int16_t doubleStep[COMPOSITE_GLOW_LEVELS][MOST_LEVEL_ROWS][ROW_VALUES];

// The nearest byte to a * b / 255 for bytes a and b.
inline uint16_t times(uint16_t a, uint16_t b) {
  uint16_t t = (uint16_t)(a * b + 128);
  return (uint16_t)((t + (t >> 8)) >> 8);
}

// Magnifies one level across: each texel covers `span` pixels, the first half blending it with
// the texel before, the second half with the texel after (across, the levels repeat). The
// weights are multiples of 1 / (2 span).
void magnifyLevel(const GlowLevelPicture& level, int k) {
  int32_t width = level.width, span = SCREEN_WIDTH / width, shift = 1;
  while ((1 << shift) < 2 * span) ++shift;   // spans are powers of two
  for (int c = 0; c < ROW_VALUES; ++c) {
    magnified[k][0][c] = 0;
    magnified[k][level.height + 1][c] = 0;
  }
  for (int32_t row = 0; row < level.height; ++row) {
    const unsigned char* texels = level.pixels + (size_t)row * width * CHANNELS;
    int16_t* out = magnified[k][row + 1];
    for (int32_t i = 0; i < width; ++i) {
      const unsigned char* here = texels + i * CHANNELS;
      const unsigned char* before = texels + ((i + width - 1) % width) * CHANNELS;
      const unsigned char* after = texels + ((i + 1) % width) * CHANNELS;
      for (int32_t m = 0; m < span; ++m, out += CHANNELS) {
        // Twice the distance past the texel's centre in pixels, over twice the span.
        int32_t offset = 2 * m + 1 - span;
        const unsigned char* other = offset < 0 ? before : after;
        int32_t reach = offset < 0 ? -offset : offset;
        for (int c = 0; c < CHANNELS; ++c) {
          int32_t scaled = here[c] * (2 * span - reach) + other[c] * reach;   // / (2 span)
          out[c] = (int16_t)((scaled * (1 << FRACTION_BITS) + span) >> shift);
        }
      }
    }
  }
  for (int32_t row = 0; row <= level.height; ++row)
    for (int c = 0; c < ROW_VALUES; ++c)
      doubleStep[k][row][c] = (int16_t)(2 * (magnified[k][row + 1][c] - magnified[k][row][c]));
}

// Where a screen row falls between the magnified rows of a level: the row below (index into
// magnified) and the distance above it, in 1/32768.
struct RowBlend {
  int32_t below;
  int16_t weight;
};

RowBlend rowBlend(const GlowLevelPicture& level, int32_t y) {
  float t = ((float)y + 0.5f) * (float)level.height / (float)SCREEN_HEIGHT - 0.5f;
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
                const unsigned char* border, uint16_t keep, unsigned char* out) {
  const int16_t* lower[COMPOSITE_GLOW_LEVELS];
  const int16_t* step[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    lower[k] = magnified[k][blends[k].below];
    step[k] = doubleStep[k][blends[k].below];
  }
  int i = 0;
#ifdef __SSE2__
  const __m128i half = _mm_set1_epi16(1 << (FRACTION_BITS - 1));
  const __m128i weight = _mm_set1_epi16(GLOW_WEIGHT), veil = _mm_set1_epi16(VEIL_KEEP);
  const __m128i full = _mm_set1_epi16(255);
  const __m128i kept = _mm_set1_epi16((short)keep), zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32((int)0xFF000000);
  for (; i + 16 <= ROW_VALUES; i += 16) {
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
  for (; i < ROW_VALUES; ++i) {
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

void composeFrame(const unsigned char* picture, const GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS],
                  const unsigned char* border, int32_t fadeKeep, unsigned char* out) {
  uint16_t keep = (uint16_t)(fadeKeep < 0 ? 0 : fadeKeep > 255 ? 255 : fadeKeep);
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) magnifyLevel(levels[k], k);
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    RowBlend blends[COMPOSITE_GLOW_LEVELS];
    for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) blends[k] = rowBlend(levels[k], y);
    size_t start = (size_t)y * ROW_VALUES;
    composeRow(blends, picture + start, border ? border + start : nullptr, keep, out + start);
  }
}
