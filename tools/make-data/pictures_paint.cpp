// Painting toolkit of the picture generator: canvases, blending, noise, antialiased shapes,
// hair strands, FreeType text masks, distance fields, sphere maps and the file writers.
// Owns the cache of opened FreeType faces (one per font file, kept for the whole run).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "pictures.h"
#include "png_writer.h"

#ifndef DEJAVU_FONT_DIR
#define DEJAVU_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

// ---- Colours ----------------------------------------------------------------------------

Rgba rgb8(int r, int g, int b, int a) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
}

Rgba mixRgba(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Rgba scaleRgb(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Rgba hsv(float h, float s, float v, float a) {
  h = h - std::floor(h);
  float k = h * 6.0f;
  int sector = static_cast<int>(k) % 6;
  float f = k - std::floor(k);
  float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (sector) {
    case 0: return {v, t, p, a};
    case 1: return {q, v, p, a};
    case 2: return {p, v, t, a};
    case 3: return {p, q, v, a};
    case 4: return {t, p, v, a};
    default: return {v, p, q, a};
  }
}

float clamp01f(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

float smoothstepf(float e0, float e1, float x) {
  float t = clamp01f((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// ---- Canvas -------------------------------------------------------------------------------

Picture makePicture(int width, int height, Rgba fill) {
  Picture p;
  p.width = width;
  p.height = height;
  p.px.assign(static_cast<size_t>(width) * height, fill);
  return p;
}

Rgba& pixelAt(Picture& p, int x, int y) { return p.px[static_cast<size_t>(y) * p.width + x]; }

Rgba pixelAt(const Picture& p, int x, int y) {
  return p.px[static_cast<size_t>(y) * p.width + x];
}

static int wrapIndex(int i, int n) {
  int r = i % n;
  return r < 0 ? r + n : r;
}

Rgba sampleWrapped(const Picture& p, float x, float y) {
  float fx = x - 0.5f, fy = y - 0.5f;
  int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  float tx = fx - x0, ty = fy - y0;
  Rgba a = pixelAt(p, wrapIndex(x0, p.width), wrapIndex(y0, p.height));
  Rgba b = pixelAt(p, wrapIndex(x0 + 1, p.width), wrapIndex(y0, p.height));
  Rgba c = pixelAt(p, wrapIndex(x0, p.width), wrapIndex(y0 + 1, p.height));
  Rgba d = pixelAt(p, wrapIndex(x0 + 1, p.width), wrapIndex(y0 + 1, p.height));
  return mixRgba(mixRgba(a, b, tx), mixRgba(c, d, tx), ty);
}

void blendOver(Picture& p, int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || coverage <= 0) return;
  Rgba& d = pixelAt(p, x, y);
  float a = clamp01f(c.a * coverage);
  float outA = a + d.a * (1 - a);
  if (outA <= 0) {
    // Nothing visible yet: keep the colour so that filtering at edges picks it up.
    d = {c.r, c.g, c.b, 0};
    return;
  }
  float keep = d.a * (1 - a);
  d.r = (c.r * a + d.r * keep) / outA;
  d.g = (c.g * a + d.g * keep) / outA;
  d.b = (c.b * a + d.b * keep) / outA;
  d.a = outA;
}

void blendAdd(Picture& p, int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || coverage <= 0) return;
  Rgba& d = pixelAt(p, x, y);
  float k = c.a * coverage;
  d.r += c.r * k;
  d.g += c.g * k;
  d.b += c.b * k;
}

void shadePixels(Picture& p, const std::function<Rgba(float u, float v, Rgba old)>& shade) {
  for (int y = 0; y < p.height; ++y) {
    float v = (y + 0.5f) / p.height;
    for (int x = 0; x < p.width; ++x) {
      Rgba& c = pixelAt(p, x, y);
      c = shade((x + 0.5f) / p.width, v, c);
    }
  }
}

// ---- Noise --------------------------------------------------------------------------------

uint32_t hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

float hashUnit(int x, int y, uint32_t seed) {
  uint32_t h = hash32(static_cast<uint32_t>(x) * 0x9E3779B1U ^ hash32(static_cast<uint32_t>(y) + seed * 0x85EBCA77U));
  return (h >> 8) * (1.0f / 16777216.0f);
}

float valueNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
  int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  float fx = x - ix, fy = y - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  int x0 = wrapIndex(ix, periodX), x1 = wrapIndex(ix + 1, periodX);
  int y0 = wrapIndex(iy, periodY), y1 = wrapIndex(iy + 1, periodY);
  float a = hashUnit(x0, y0, seed), b = hashUnit(x1, y0, seed);
  float c = hashUnit(x0, y1, seed), d = hashUnit(x1, y1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
  float sum = 0, weight = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * valueNoise(x, y, periodX, periodY, seed + 101 * o);
    total += weight;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
    weight *= 0.5f;
  }
  return sum / total;
}

float roll(Dice& d) {
  d.state += 0x9E3779B97F4A7C15ULL;
  uint64_t z = d.state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

float rollRange(Dice& d, float lo, float hi) { return lo + (hi - lo) * roll(d); }

// ---- Shapes -------------------------------------------------------------------------------

void fillDisc(Picture& p, float cx, float cy, float radius, Rgba c, float soft) {
  int x0 = static_cast<int>(std::floor(cx - radius - soft)), x1 = static_cast<int>(std::ceil(cx + radius + soft));
  int y0 = static_cast<int>(std::floor(cy - radius - soft)), y1 = static_cast<int>(std::ceil(cy + radius + soft));
  for (int y = std::max(y0, 0); y <= std::min(y1, p.height - 1); ++y)
    for (int x = std::max(x0, 0); x <= std::min(x1, p.width - 1); ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      float d = std::sqrt(dx * dx + dy * dy);
      blendOver(p, x, y, c, clamp01f((radius - d) / soft + 0.5f));
    }
}

float roundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
  float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

void fillRoundRect(Picture& p, float x0, float y0, float x1, float y1, float radius, Rgba c,
                   float soft) {
  int ix0 = std::max(0, static_cast<int>(std::floor(x0 - soft)));
  int ix1 = std::min(p.width - 1, static_cast<int>(std::ceil(x1 + soft)));
  int iy0 = std::max(0, static_cast<int>(std::floor(y0 - soft)));
  int iy1 = std::min(p.height - 1, static_cast<int>(std::ceil(y1 + soft)));
  for (int y = iy0; y <= iy1; ++y)
    for (int x = ix0; x <= ix1; ++x) {
      float d = roundRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius);
      blendOver(p, x, y, c, clamp01f(0.5f - d / soft));
    }
}

static float segmentDistance(float px, float py, float x0, float y0, float x1, float y1,
                             float* along) {
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
  t = clamp01f(t);
  if (along) *along = t;
  float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

void strokeSegment(Picture& p, float x0, float y0, float x1, float y1, float width, Rgba c,
                   float soft) {
  float r = width * 0.5f;
  int ix0 = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - r - soft)));
  int ix1 = std::min(p.width - 1, static_cast<int>(std::ceil(std::max(x0, x1) + r + soft)));
  int iy0 = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - r - soft)));
  int iy1 = std::min(p.height - 1, static_cast<int>(std::ceil(std::max(y0, y1) + r + soft)));
  for (int y = iy0; y <= iy1; ++y)
    for (int x = ix0; x <= ix1; ++x) {
      float d = segmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, nullptr);
      blendOver(p, x, y, c, clamp01f((r - d) / soft + 0.5f));
    }
}

void strokeStrand(Picture& p, float x0, float y0, float cx, float cy, float x1, float y1,
                  float w0, float w1, Rgba c0, Rgba c1, bool wrapX) {
  // The curve is cut into short pieces; each pixel takes the best coverage over all pieces
  // (in a scratch buffer over the strand's box) so that joints do not darken, then is
  // blended once.
  float len = std::hypot(cx - x0, cy - y0) + std::hypot(x1 - cx, y1 - cy);
  int pieces = std::max(2, static_cast<int>(len / 3.0f));
  std::vector<float> xs(pieces + 1), ys(pieces + 1);
  for (int i = 0; i <= pieces; ++i) {
    float t = static_cast<float>(i) / pieces, s = 1 - t;
    xs[i] = s * s * x0 + 2 * s * t * cx + t * t * x1;
    ys[i] = s * s * y0 + 2 * s * t * cy + t * t * y1;
  }
  float maxW = std::max(w0, w1) * 0.5f + 1.5f;
  int bx0 = static_cast<int>(std::floor(*std::min_element(xs.begin(), xs.end()) - maxW));
  int bx1 = static_cast<int>(std::ceil(*std::max_element(xs.begin(), xs.end()) + maxW));
  int by0 = static_cast<int>(std::floor(*std::min_element(ys.begin(), ys.end()) - maxW));
  int by1 = static_cast<int>(std::ceil(*std::max_element(ys.begin(), ys.end()) + maxW));
  int bw = bx1 - bx0 + 1, bh = by1 - by0 + 1;
  std::vector<float> cover(static_cast<size_t>(bw) * bh, 0.0f), along(cover.size(), 0.0f);
  for (int i = 0; i < pieces; ++i) {
    float t0 = static_cast<float>(i) / pieces;
    float r = (w0 + (w1 - w0) * t0) * 0.5f + 1.0f;
    int sx0 = static_cast<int>(std::floor(std::min(xs[i], xs[i + 1]) - r)) - bx0;
    int sx1 = static_cast<int>(std::ceil(std::max(xs[i], xs[i + 1]) + r)) - bx0;
    int sy0 = static_cast<int>(std::floor(std::min(ys[i], ys[i + 1]) - r)) - by0;
    int sy1 = static_cast<int>(std::ceil(std::max(ys[i], ys[i + 1]) + r)) - by0;
    for (int y = std::max(sy0, 0); y <= std::min(sy1, bh - 1); ++y)
      for (int x = std::max(sx0, 0); x <= std::min(sx1, bw - 1); ++x) {
        float a;
        float d = segmentDistance(x + bx0 + 0.5f, y + by0 + 0.5f, xs[i], ys[i], xs[i + 1], ys[i + 1], &a);
        float t = (i + a) / pieces;
        float cov = clamp01f((w0 + (w1 - w0) * t) * 0.5f - d + 0.5f);
        size_t k = static_cast<size_t>(y) * bw + x;
        if (cov > cover[k]) {
          cover[k] = cov;
          along[k] = t;
        }
      }
  }
  for (int y = 0; y < bh; ++y)
    for (int x = 0; x < bw; ++x) {
      size_t k = static_cast<size_t>(y) * bw + x;
      if (cover[k] <= 0) continue;
      int tx = x + bx0;
      if (wrapX) tx = wrapIndex(tx, p.width);
      blendOver(p, tx, y + by0, mixRgba(c0, c1, along[k]), cover[k]);
    }
}

// ---- Text ---------------------------------------------------------------------------------

static FT_Library fontLibrary() {
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  return library;
}

static FT_Face fontFace(const char* fontFile) {
  static std::map<std::string, FT_Face> faces;
  auto found = faces.find(fontFile);
  if (found != faces.end()) return found->second;
  FT_Face face = nullptr;
  FT_Library library = fontLibrary();
  std::string path = std::string(DEJAVU_FONT_DIR) + "/" + fontFile;
  if (!library || FT_New_Face(library, path.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "make-data: cannot open font '%s'\n", path.c_str());
    face = nullptr;
  }
  faces[fontFile] = face;
  return face;
}

// Decodes UTF-8 into code points (the texts are ASCII plus a few Latin letters).
static std::vector<uint32_t> codePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t cp = c;
    int extra = 0;
    if (c >= 0xF0) { cp = c & 0x07; extra = 3; }
    else if (c >= 0xE0) { cp = c & 0x0F; extra = 2; }
    else if (c >= 0xC0) { cp = c & 0x1F; extra = 1; }
    ++i;
    for (int k = 0; k < extra && i < text.size(); ++k, ++i)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    out.push_back(cp);
  }
  return out;
}

struct InkBox {
  float x0, y0, x1, y1, advance;   // relative to the pen start on the baseline, y down
};

// Walks the glyphs at the face's current size; when mask is given, draws them with the pen
// starting at (penX, penY).
static InkBox layoutText(FT_Face face, const std::vector<uint32_t>& cps, Mask* mask, float penX,
                         float penY) {
  InkBox box{1e9f, 1e9f, -1e9f, -1e9f, 0};
  float pen = 0;
  FT_UInt previous = 0;
  for (uint32_t cp : cps) {
    FT_UInt index = FT_Get_Char_Index(face, cp);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x / 64.0f;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face->glyph;
    float gx = std::floor(pen) + g->bitmap_left, gy = -static_cast<float>(g->bitmap_top);
    if (g->bitmap.width > 0 && g->bitmap.rows > 0) {
      box.x0 = std::min(box.x0, gx);
      box.y0 = std::min(box.y0, gy);
      box.x1 = std::max(box.x1, gx + g->bitmap.width);
      box.y1 = std::max(box.y1, gy + g->bitmap.rows);
      if (mask) {
        int ox = static_cast<int>(std::floor(penX + gx)), oy = static_cast<int>(std::floor(penY + gy));
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
          for (unsigned c = 0; c < g->bitmap.width; ++c) {
            int x = ox + static_cast<int>(c), y = oy + static_cast<int>(r);
            if (x < 0 || y < 0 || x >= mask->width || y >= mask->height) continue;
            float v = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f;
            float& m = mask->m[static_cast<size_t>(y) * mask->width + x];
            m = std::max(m, v);
          }
      }
    }
    pen += g->advance.x / 64.0f;
    previous = index;
  }
  box.advance = pen;
  if (box.x1 < box.x0) box = {0, 0, 0, 0, pen};
  return box;
}

float measureText(const char* fontFile, const std::string& text, float px) {
  FT_Face face = fontFace(fontFile);
  if (!face || FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(px * 64), 72, 72) != 0) return 0;
  return layoutText(face, codePoints(text), nullptr, 0, 0).advance;
}

bool drawTextMask(Mask& mask, const char* fontFile, const std::string& text, float cx, float cy,
                  float boxW, float boxH, float maxPx) {
  FT_Face face = fontFace(fontFile);
  if (!face) return false;
  std::vector<uint32_t> cps = codePoints(text);
  const float reference = 100.0f;
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(reference * 64), 72, 72) != 0) return false;
  InkBox ref = layoutText(face, cps, nullptr, 0, 0);
  float w = ref.x1 - ref.x0, h = ref.y1 - ref.y0;
  if (w <= 0 || h <= 0) return false;
  float px = std::min({maxPx, reference * boxW / w, reference * boxH / h});
  // Hinting makes sizes not quite proportional: shrink until the ink box fits.
  for (int tries = 0; tries < 8; ++tries) {
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(px * 64), 72, 72) != 0) return false;
    InkBox box = layoutText(face, cps, nullptr, 0, 0);
    if (box.x1 - box.x0 <= boxW && box.y1 - box.y0 <= boxH) {
      float penX = std::round(cx - (box.x0 + box.x1) * 0.5f);
      float penY = std::round(cy - (box.y0 + box.y1) * 0.5f);
      layoutText(face, cps, &mask, penX, penY);
      return true;
    }
    px *= 0.97f;
  }
  return false;
}

// ---- Masks --------------------------------------------------------------------------------

Mask makeMask(int width, int height) {
  Mask m;
  m.width = width;
  m.height = height;
  m.m.assign(static_cast<size_t>(width) * height, 0.0f);
  return m;
}

// Squared distance transform of one line: the lower envelope of parabolas rooted at each
// sample (in double precision: the "far" values would swamp float sums).
static void distanceLine(const std::vector<double>& f, std::vector<double>& d, int n,
                         std::vector<int>& v, std::vector<double>& z) {
  int k = 0;
  v[0] = 0;
  z[0] = -1e300;
  z[1] = 1e300;
  for (int q = 1; q < n; ++q) {
    double s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
    while (s <= z[k]) {
      --k;
      s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
    }
    ++k;
    v[k] = q;
    z[k] = s;
    z[k + 1] = 1e300;
  }
  k = 0;
  for (int q = 0; q < n; ++q) {
    while (z[k + 1] < q) ++k;
    double dq = q - v[k];
    d[q] = dq * dq + f[v[k]];
  }
}

std::vector<float> distanceOutside(const Mask& mask) {
  const double far = 1e12;
  int w = mask.width, h = mask.height, n = std::max(w, h);
  std::vector<double> grid(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < grid.size(); ++i) grid[i] = mask.m[i] >= 0.5f ? 0.0 : far;
  std::vector<double> f(n), d(n), z(n + 1);
  std::vector<int> v(n);
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) f[y] = grid[static_cast<size_t>(y) * w + x];
    distanceLine(f, d, h, v, z);
    for (int y = 0; y < h; ++y) grid[static_cast<size_t>(y) * w + x] = d[y];
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) f[x] = grid[static_cast<size_t>(y) * w + x];
    distanceLine(f, d, w, v, z);
    for (int x = 0; x < w; ++x) grid[static_cast<size_t>(y) * w + x] = std::sqrt(d[x]);
  }
  return std::vector<float>(grid.begin(), grid.end());
}

Mask outlineMask(const Mask& mask, float radius) {
  Mask out = mask;
  std::vector<float> d = distanceOutside(mask);
  for (size_t i = 0; i < d.size(); ++i) out.m[i] = std::max(mask.m[i], clamp01f(radius + 0.5f - d[i]));
  return out;
}

Mask shiftedMask(const Mask& mask, int dx, int dy) {
  Mask out = makeMask(mask.width, mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      int sx = x - dx, sy = y - dy;
      if (sx < 0 || sy < 0 || sx >= mask.width || sy >= mask.height) continue;
      out.m[static_cast<size_t>(y) * mask.width + x] = mask.m[static_cast<size_t>(sy) * mask.width + sx];
    }
  return out;
}

static void boxBlurPass(std::vector<float>& m, int w, int h, int r, bool horizontal) {
  std::vector<float> line(std::max(w, h)), out(std::max(w, h));
  int n = horizontal ? w : h, lines = horizontal ? h : w;
  for (int l = 0; l < lines; ++l) {
    for (int i = 0; i < n; ++i)
      line[i] = horizontal ? m[static_cast<size_t>(l) * w + i] : m[static_cast<size_t>(i) * w + l];
    float sum = 0;
    for (int i = -r; i <= r; ++i) sum += line[std::clamp(i, 0, n - 1)];
    for (int i = 0; i < n; ++i) {
      out[i] = sum / (2 * r + 1);
      sum += line[std::clamp(i + r + 1, 0, n - 1)] - line[std::clamp(i - r, 0, n - 1)];
    }
    for (int i = 0; i < n; ++i) {
      if (horizontal) m[static_cast<size_t>(l) * w + i] = out[i];
      else m[static_cast<size_t>(i) * w + l] = out[i];
    }
  }
}

Mask blurredMask(const Mask& mask, int radius) {
  Mask out = mask;
  for (int pass = 0; pass < 2; ++pass) {
    boxBlurPass(out.m, out.width, out.height, radius, true);
    boxBlurPass(out.m, out.width, out.height, radius, false);
  }
  return out;
}

void paintMask(Picture& p, const Mask& mask, Rgba c) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      float m = mask.m[static_cast<size_t>(y) * mask.width + x];
      if (m > 0) blendOver(p, x, y, c, m);
    }
}

void paintMaskShaded(Picture& p, const Mask& mask,
                     const std::function<Rgba(int x, int y)>& colourAt) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      float m = mask.m[static_cast<size_t>(y) * mask.width + x];
      if (m > 0) blendOver(p, x, y, colourAt(x, y), m);
    }
}

// ---- Sphere maps --------------------------------------------------------------------------

void paintSphereMap(Picture& p, const std::function<Rgba(float rx, float ry, float rz)>& shade) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      // GL: s = nx / 2 + 1/2, t = ny / 2 + 1/2 for the mirror normal n of the point seen.
      float nx = 2.0f * (x + 0.5f) / p.width - 1.0f;
      float ny = 2.0f * (y + 0.5f) / p.height - 1.0f;
      float rr = nx * nx + ny * ny;
      if (rr > 1.0f) {
        float k = 1.0f / std::sqrt(rr);
        nx *= k;
        ny *= k;
        rr = 1.0f;
      }
      float nz = std::sqrt(std::max(0.0f, 1.0f - rr));
      // Reflection of the view ray (0, 0, -1) about n.
      pixelAt(p, x, y) = shade(2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1);
    }
}

// ---- Output -------------------------------------------------------------------------------

static uint8_t toByte(float v) { return static_cast<uint8_t>(clamp01f(v) * 255.0f + 0.5f); }

std::vector<uint8_t> pictureBytes(const Picture& p) {
  std::vector<uint8_t> bytes(p.px.size() * 4);
  for (size_t i = 0; i < p.px.size(); ++i) {
    bytes[i * 4 + 0] = toByte(p.px[i].r);
    bytes[i * 4 + 1] = toByte(p.px[i].g);
    bytes[i * 4 + 2] = toByte(p.px[i].b);
    bytes[i * 4 + 3] = toByte(p.px[i].a);
  }
  return bytes;
}

bool writeRaw(const std::string& path, const Picture& p) {
  std::vector<uint8_t> bytes = pictureBytes(p);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool writePreviewPng(const std::string& path, const Picture& p) {
  std::vector<uint8_t> bytes = pictureBytes(p);
  bool translucent = false;
  for (size_t i = 3; i < bytes.size(); i += 4) translucent |= bytes[i] != 255;
  std::vector<uint8_t> rgb(p.px.size() * 3);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      size_t i = static_cast<size_t>(y) * p.width + x;
      float back = ((x / 16 + y / 16) % 2) ? 0.55f : 0.75f;
      float a = translucent ? bytes[i * 4 + 3] / 255.0f : 1.0f;
      for (int c = 0; c < 3; ++c)
        rgb[i * 3 + c] = toByte(bytes[i * 4 + c] / 255.0f * a + back * (1 - a));
    }
  return writeRgbPng(path, rgb.data(), p.width, p.height);
}
