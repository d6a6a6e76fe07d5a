// Full-screen pictures and lettering: the loading screen, the title card, the words of the
// tagline, the greetings ribbon, the backgrounds, the border frame, the plain white and the
// clip colour, and the lookup table of the hair shader. Owns the show's names (title,
// tagline, brand).
//
// Full-screen pictures are stretched over a 1024x768 screen whatever their own size, so they
// are painted in screen pixels (sx = 1024 u, sy = 768 v) and round shapes stay round.
#include <algorithm>
#include <cmath>
#include <string>

#include "greetings.h"
#include "pictures.h"

const char* const SHOW_TITLE_LINES[2] = {"FOLLICLE", "FEVER"};
const char* const TAGLINE_WORDS[4] = {"FEEL", "THE", "HAIR", "FLOW"};
const char* const BRAND_NAME = "Floofine";

static const char* const BOLD = "DejaVuSans-Bold.ttf";

// The clear colour of the words scene: the words picture is drawn there without blending,
// so its empty parts carry exactly this colour and vanish into the background.
static const Rgba WORDS_BACKGROUND = rgb8(0, 254, 254, 0);

// Area-averaging resize (used to squeeze screen-shaped paintings into their files).
static Picture resamplePicture(const Picture& src, int width, int height) {
  auto resizeAxis = [](const Picture& in, int outW, int outH, bool horizontal) {
    Picture out = makePicture(outW, outH, {0, 0, 0, 0});
    int n = horizontal ? in.width : in.height, m = horizontal ? outW : outH;
    float step = static_cast<float>(n) / m;
    for (int y = 0; y < outH; ++y)
      for (int x = 0; x < outW; ++x) {
        int o = horizontal ? x : y;
        float s0 = o * step, s1 = (o + 1) * step;
        Rgba sum{0, 0, 0, 0};
        for (int i = static_cast<int>(s0); i < n && i < s1; ++i) {
          float w = std::fmin(s1, i + 1.0f) - std::fmax(s0, static_cast<float>(i));
          Rgba c = horizontal ? pixelAt(in, i, y) : pixelAt(in, x, i);
          sum = {sum.r + c.r * w, sum.g + c.g * w, sum.b + c.b * w, sum.a + c.a * w};
        }
        pixelAt(out, x, y) = {sum.r / step, sum.g / step, sum.b / step, sum.a / step};
      }
    return out;
  };
  Picture wide = resizeAxis(src, width, src.height, true);
  return resizeAxis(wide, width, height, false);
}

// Hair sprouting from the top edge of lettering: a strand every few pixels along the top
// of each column's first stroke.
static void sproutLetterHair(Picture& p, const Mask& letters, uint64_t seed, Rgba root, Rgba tip,
                             float spacing, float minLength, float maxLength, float width) {
  Dice dice{seed};
  for (float fx = spacing * 0.5f; fx < p.width; fx += spacing * rollRange(dice, 0.7f, 1.3f)) {
    int x = static_cast<int>(fx);
    for (int y = 1; y < p.height; ++y) {
      if (letters.m[static_cast<size_t>(y) * p.width + x] < 0.5f) continue;
      if (letters.m[static_cast<size_t>(y - 1) * p.width + x] >= 0.5f) break;
      float length = rollRange(dice, minLength, maxLength);
      float lean = rollRange(dice, -0.7f, 0.7f) * length;
      float curl = rollRange(dice, -0.6f, 0.6f) * length;
      strokeStrand(p, fx, y + 3.0f, fx + curl, y - length * 0.6f, fx + lean, y - length, width,
                   width * 0.3f, root, tip);
      break;
    }
  }
}

// The show's title in two lines on a screen-shaped canvas, centred at (cx, cy); 'size' is
// the height of the block in pixels.
static void paintTitle(Picture& p, float cx, float cy, float size, uint64_t seed) {
  Mask letters = makeMask(p.width, p.height);
  float lineH = size * 0.46f;
  drawTextMask(letters, BOLD, SHOW_TITLE_LINES[0], cx, cy - size * 0.25f, size * 2.3f, lineH, 1000);
  drawTextMask(letters, BOLD, SHOW_TITLE_LINES[1], cx, cy + size * 0.27f, size * 1.9f, lineH * 1.1f, 1000);
  const Rgba ink = rgb8(58, 12, 70);
  float outline = size * 0.028f;
  Mask shadow = blurredMask(shiftedMask(outlineMask(letters, outline), static_cast<int>(size * 0.02f),
                                        static_cast<int>(size * 0.03f)),
                            static_cast<int>(size * 0.012f) + 1);
  paintMask(p, shadow, rgb8(20, 0, 30, 150));
  // Hair first, so the outline covers the roots.
  sproutLetterHair(p, letters, seed, ink, rgb8(150, 60, 150), size * 0.014f, size * 0.07f,
                   size * 0.15f, size * 0.014f + 1.0f);
  paintMask(p, outlineMask(letters, outline), ink);
  float top = cy - size * 0.5f;
  paintMaskShaded(p, letters, [&](int x, int y) {
    float t = clamp01f((y - top) / size);
    // Hot pink at the top, warm orange, sunny yellow at the bottom; a glossy band near the top
    // of each line.
    Rgba c = t < 0.5f ? mixRgba(rgb8(255, 70, 180), rgb8(255, 150, 60), t * 2)
                      : mixRgba(rgb8(255, 150, 60), rgb8(255, 235, 70), (t - 0.5f) * 2);
    float line = std::fmod(t * 2.0f, 1.0f);
    float gloss = 0.35f * smoothstepf(0.12f, 0.2f, line) * (1 - smoothstepf(0.24f, 0.34f, line));
    float grain = 0.06f * (fbm(x / 9.0f, y / 9.0f, 4096, 4096, 2, 17) - 0.5f);
    return mixRgba(c, rgb8(255, 255, 240), gloss + grain);
  });
}

Picture makeTitre() {
  // Transparent around the letters; the hidden colour is the outline's so that filtering at
  // the letter edges does not bring in a foreign colour.
  Picture screen = makePicture(1024, 768, rgb8(58, 12, 70, 0));
  paintTitle(screen, 512, 384, 400, 0x7117E);
  return resamplePicture(screen, 1024, 512);
}

Picture makeLoading() {
  Picture screen = makePicture(1024, 768, {0, 0, 0, 1});
  shadePixels(screen, [](float u, float v, Rgba) {
    float dx = (u - 0.5f) * 1.333f, dy = v - 0.45f;
    float glow = std::exp(-(dx * dx + dy * dy) * 3.0f);
    return mixRgba(rgb8(18, 8, 40), rgb8(90, 40, 140), glow);
  });
  paintTitle(screen, 512, 350, 300, 0x10AD);
  Mask text = makeMask(1024, 768);
  drawTextMask(text, BOLD, "growing...", 512, 600, 400, 44, 44);
  paintMask(screen, text, rgb8(255, 220, 250));
  return resamplePicture(screen, 1024, 512);
}

Picture makeWords() {
  // Each word is painted on a band of the quad's own shape (72 x 32, so 512 x 228), then
  // squeezed into its 512 x 128 quarter of the atlas; the quad stretches it back.
  const int bandHeight = 228;
  Picture p = makePicture(512, 512, WORDS_BACKGROUND);
  const Rgba fills[4][2] = {
      {rgb8(255, 60, 170), rgb8(200, 0, 120)},    // pink
      {rgb8(255, 170, 20), rgb8(240, 90, 0)},     // orange
      {rgb8(170, 90, 255), rgb8(100, 20, 200)},   // violet
      {rgb8(255, 240, 40), rgb8(250, 150, 0)},    // yellow
  };
  const Rgba ink = rgb8(25, 10, 60);
  for (int k = 0; k < 4; ++k) {
    Picture band = makePicture(512, bandHeight, WORDS_BACKGROUND);
    Mask letters = makeMask(512, bandHeight);
    // Margin for the outline, the shadow and the band edge: nothing of one word may reach
    // the next band, also in the smaller mipmaps.
    drawTextMask(letters, BOLD, TAGLINE_WORDS[k], 256, bandHeight / 2.0f, 512 - 48, bandHeight - 84, 1000);
    Mask outline = outlineMask(letters, 9);
    paintMask(band, blurredMask(shiftedMask(outline, 4, 6), 3), rgb8(0, 60, 80, 160));
    paintMask(band, outline, ink);
    paintMaskShaded(band, letters, [&](int x, int y) {
      float t = clamp01f((y - 30) / (bandHeight - 60.0f));
      Rgba c = mixRgba(fills[k][0], fills[k][1], t);
      float gloss = 0.45f * (1 - smoothstepf(0.18f, 0.3f, t));
      float dots = 0.08f * ((x / 8 + y / 8) % 2);
      return mixRgba(c, rgb8(255, 255, 255), gloss * 0.8f + dots);
    });
    Picture squeezed = resamplePicture(band, 512, 128);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 512; ++x) pixelAt(p, x, 128 * k + y) = pixelAt(squeezed, x, y);
  }
  // Hidden parts keep the background colour exactly, also where shadows left some alpha.
  for (Rgba& c : p.px)
    if (c.a < 0.5f / 255.0f) c = WORDS_BACKGROUND;
  return p;
}

Picture makeGreetings() {
  // Shortest names first: the stretch of ribbon seen whole grows as the finale's camera
  // rises, and the names slide through it at one speed.
  const char* text =
      "greetings to \u00b7 Curl Cartel \u00b7 Wig Wizards \u00b7 Lather Lords \u00b7 Tangle Union \u00b7 "
      "Bristle Brigade \u00b7 Follicle Foundry \u00b7 Split End Squad \u00b7 Mullet Mechanics \u00b7 "
      "Static Shock Society \u00b7 Comb-Over Collective";
  // Painted at the size the ribbon shows it (GREETINGS_BAND_PX for the 64 rows), then
  // squeezed to the file's width; the mesh stretches it back.
  const float scale = 64 / GREETINGS_BAND_PX, em = GREETINGS_EM_PX * scale;
  const int wide = int(std::lround(GREETINGS_LENGTH_PX * scale));
  float textWidth = measureText(BOLD, text, em);
  Mask letters = makeMask(wide, 64);
  drawTextMask(letters, BOLD, text, GREETINGS_LEAD_PX * scale + textWidth / 2, 32, textWidth + 8, 56, em);
  Picture p = makePicture(wide, 64, rgb8(255, 255, 255));
  // A little heavier than the bold face: the glow laid over the finished frame fills thin
  // dark strokes with the light around them.
  paintMask(p, outlineMask(letters, 1.5f), rgb8(28, 16, 40));
  p = resamplePicture(p, 4096, 64);
  // A thin grey hem along both edges of the ribbon.
  for (int x = 0; x < 4096; ++x)
    for (int y : {0, 63}) pixelAt(p, x, y) = rgb8(190, 180, 200);
  return p;
}

Picture makeBgGreen() {
  Picture p = makePicture(64, 64, {0, 0, 0, 1});
  shadePixels(p, [](float u, float v, Rgba) {
    float dx = (u - 0.5f) * 1.333f, dy = v - 0.35f;
    float light = std::exp(-(dx * dx + dy * dy) * 2.5f);
    Rgba c = mixRgba(rgb8(150, 240, 130), rgb8(40, 150, 60), v);
    return mixRgba(c, rgb8(220, 255, 190), light * 0.55f);
  });
  return p;
}

Picture makeFondShampoo() {
  Picture p = makePicture(512, 512, {0, 0, 0, 1});
  shadePixels(p, [](float u, float v, Rgba) {
    Rgba c = mixRgba(rgb8(255, 190, 225), rgb8(180, 200, 255), v * 0.8f + u * 0.2f);
    float cloud = fbm(u * 4, v * 4, 4, 4, 3, 5);
    return mixRgba(c, rgb8(255, 245, 250), (cloud - 0.4f) * 0.5f);
  });
  // Soft bubbles, measured in screen pixels so they stay round on the 4:3 screen.
  Dice dice{0xB0BB1E5};
  const float sx = 1024.0f / 512, sy = 768.0f / 512;
  for (int i = 0; i < 34; ++i) {
    float cx = rollRange(dice, 0, 1024), cy = rollRange(dice, 0, 768);
    float r = 14 + 80 * std::pow(roll(dice), 2.0f);
    float tint = roll(dice);
    int x0 = static_cast<int>((cx - r) / sx) - 2, x1 = static_cast<int>((cx + r) / sx) + 2;
    int y0 = static_cast<int>((cy - r) / sy) - 2, y1 = static_cast<int>((cy + r) / sy) + 2;
    for (int y = std::max(y0, 0); y <= std::min(y1, 511); ++y)
      for (int x = std::max(x0, 0); x <= std::min(x1, 511); ++x) {
        float dx = (x + 0.5f) * sx - cx, dy = (y + 0.5f) * sy - cy;
        float d = std::sqrt(dx * dx + dy * dy) / r;
        if (d > 1.02f) continue;
        float inside = clamp01f((1 - d) * r / 1.5f);
        float rim = std::pow(d, 6.0f);
        Rgba film = hsv(0.55f + 0.35f * tint + 0.3f * d, 0.35f, 1.0f, 0.12f + 0.55f * rim);
        blendOver(p, x, y, film, inside);
        float hx = dx / r + 0.38f, hy = dy / r + 0.42f;
        float spot = std::exp(-(hx * hx + hy * hy) * 40.0f);
        blendOver(p, x, y, rgb8(255, 255, 255, 230), spot * inside);
      }
  }
  return p;
}

// A blue background brightening toward a point (in 0..1 screen units) and falling off with
// 'reach'; a little noise breaks the banding that the halving veil would show.
static Picture blueToward(float px, float py, float reachX, float reachY, uint32_t seed) {
  Picture p = makePicture(512, 512, {0, 0, 0, 1});
  shadePixels(p, [&](float u, float v, Rgba) {
    float dx = (u - px) / reachX, dy = (v - py) / reachY;
    float t = clamp01f(1.0f - std::sqrt(dx * dx + dy * dy));
    t = t * t * (3 - 2 * t);
    Rgba c = mixRgba(rgb8(10, 30, 110), rgb8(60, 140, 240), t);
    c = mixRgba(c, rgb8(190, 235, 255), t * t * t);
    float cloud = fbm(u * 3, v * 3, 3, 3, 4, seed) - 0.5f;
    float dither = (hashUnit(static_cast<int>(u * 512), static_cast<int>(v * 512), seed) - 0.5f) / 255.0f;
    return scaleRgb(c, 1.0f + 0.18f * cloud + dither * 2.0f);
  });
  return p;
}

Picture makeFondBleuCorner() { return blueToward(1.0f, 1.0f, 1.25f, 1.25f, 31); }
Picture makeFondBleuBottom() { return blueToward(0.5f, 1.25f, 3.0f, 1.15f, 32); }
Picture makeFondBleuCentreBottom() { return blueToward(0.5f, 1.0f, 0.75f, 0.95f, 33); }

Picture makeBorders() {
  // Multiplied over every frame: exact white inside, a soft dark rounded frame at the edges.
  Picture p = makePicture(512, 512, rgb8(255, 255, 255));
  shadePixels(p, [](float u, float v, Rgba) {
    float d = roundRectDistance(u * 1024, v * 768, 22, 22, 1024 - 22, 768 - 22, 100);
    float dark = smoothstepf(-48.0f, 18.0f, d);
    float k = 1.0f - 0.85f * dark;
    return Rgba{k, k * 0.97f + 0.03f * (1 - dark), k * 0.95f + 0.05f * (1 - dark), 1.0f};
  });
  return p;
}

Picture makeWhite() { return makePicture(32, 32, rgb8(255, 255, 255)); }

Picture makeClip() { return makePicture(4, 4, rgb8(150, 225, 255, 128)); }

Picture makeBlueAniso() {
  // Column i holds T.L and row j holds T.V, both -1 + 2 i / 63: the shader reads texel
  // centres. Alpha: the diffuse term sin(T, L). Colour: the highlight, strongest where the
  // view lies on the cone of mirror directions around the hair, in a cool blue.
  Picture p = makePicture(64, 64, {0, 0, 0, 1});
  for (int j = 0; j < 64; ++j)
    for (int i = 0; i < 64; ++i) {
      float tl = -1.0f + 2.0f * i / 63.0f, tv = -1.0f + 2.0f * j / 63.0f;
      float sinL = std::sqrt(std::fmax(0.0f, 1 - tl * tl));
      float sinV = std::sqrt(std::fmax(0.0f, 1 - tv * tv));
      float cone = std::fmax(0.0f, sinL * sinV - tl * tv);
      float sharp = std::pow(cone, 48.0f), broad = std::pow(cone, 8.0f);
      Rgba c{0.55f * sharp + 0.10f * broad, 0.72f * sharp + 0.16f * broad,
             0.95f * sharp + 0.30f * broad, sinL};
      pixelAt(p, i, j) = c;
    }
  return p;
}
