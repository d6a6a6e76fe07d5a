// Objects and environment maps: chrome and glass sphere maps, the shampoo bottle's label and
// its highlight map, the bubble and skin sphere maps, the television's case and static, and
// the razors' plastics.
#include <algorithm>
#include <cmath>

#include "pictures.h"

static const char* const BOLD = "DejaVuSans-Bold.ttf";
static const char* const SANS = "DejaVuSans.ttf";

static float dot3(float ax, float ay, float az, float bx, float by, float bz) {
  return ax * bx + ay * by + az * bz;
}

// A soft rectangular light in the environment, by azimuth (about the vertical, 0 = behind
// the viewer) and elevation ranges in radians.
static float panelLight(float rx, float ry, float rz, float az0, float az1, float el0, float el1,
                        float soft) {
  float az = std::atan2(rx, rz), el = std::asin(std::clamp(ry, -1.0f, 1.0f));
  float a = smoothstepf(az0 - soft, az0, az) * (1 - smoothstepf(az1, az1 + soft, az));
  float e = smoothstepf(el0 - soft, el0, el) * (1 - smoothstepf(el1, el1 + soft, el));
  return a * e;
}

// Chrome: a blue sky fading to white at a sharp horizon, a dark band under it, warm ground
// below, two studio windows and a sun glint.
static Rgba chromeAt(float rx, float ry, float rz, bool glassy) {
  Rgba c;
  if (ry > 0) {
    float t = std::sqrt(ry);
    c = glassy ? mixRgba(rgb8(200, 250, 255), rgb8(30, 120, 230), t)
               : mixRgba(rgb8(245, 248, 255), rgb8(70, 120, 210), t);
  } else {
    float t = std::pow(-ry, 0.6f);
    c = glassy ? mixRgba(rgb8(20, 60, 80), rgb8(60, 110, 120), t)
               : mixRgba(rgb8(40, 32, 36), rgb8(150, 120, 100), t);
  }
  float light = panelLight(rx, ry, rz, 0.5f, 0.9f, 0.15f, 0.75f, 0.05f) +
                panelLight(rx, ry, rz, -1.3f, -1.0f, 0.2f, 0.6f, 0.05f) * 0.8f;
  if (glassy) light += 0.8f * std::exp(-std::pow((rx - ry * 0.8f) * 3.0f, 2.0f)) * (ry > -0.2f);
  float sun = std::pow(std::max(0.0f, dot3(rx, ry, rz, 0.37f, 0.56f, 0.74f)), 60.0f);
  c = mixRgba(c, rgb8(255, 255, 255), clamp01f(light + sun));
  c.a = 1;
  return c;
}

Picture makeChrome() {
  Picture p = makePicture(256, 256, {0, 0, 0, 1});
  paintSphereMap(p, [](float rx, float ry, float rz) { return chromeAt(rx, ry, rz, false); });
  return p;
}

Picture makeChromeGlass() {
  Picture p = makePicture(256, 256, {0, 0, 0, 1});
  paintSphereMap(p, [](float rx, float ry, float rz) { return chromeAt(rx, ry, rz, true); });
  return p;
}

Picture makeBottleEnv() {
  // Added over the bottle: black where nothing shines, a soft window, a rim light at grazing
  // angles and a sharp glint.
  Picture p = makePicture(128, 128, {0, 0, 0, 1});
  paintSphereMap(p, [](float rx, float ry, float rz) {
    float window = panelLight(rx, ry, rz, 0.35f, 0.75f, 0.2f, 0.8f, 0.12f);
    float rim = smoothstepf(-0.55f, -0.95f, rz) * 0.6f;
    float glint = std::pow(std::max(0.0f, dot3(rx, ry, rz, -0.45f, 0.5f, 0.74f)), 120.0f);
    float k = clamp01f(window + glint);
    Rgba c = mixRgba(rgb8(0, 0, 0), rgb8(255, 250, 255), k);
    c = mixRgba(c, rgb8(255, 180, 230), rim * (1 - k));
    c.a = 1;
    return c;
  });
  return p;
}

Picture makeBubble() {
  // An opaque bubble that reads as a thin film: pale pastel in the middle, rainbow bands in
  // a thin rim, a window highlight.
  Picture p = makePicture(64, 64, {0, 0, 0, 1});
  paintSphereMap(p, [](float rx, float ry, float rz) {
    float rho = std::sqrt(std::max(0.0f, (1 - rz) * 0.5f));   // distance from the disc centre
    Rgba c = mixRgba(rgb8(250, 225, 250), rgb8(200, 220, 255), rho);
    float rim = smoothstepf(0.72f, 0.95f, rho);
    c = mixRgba(c, hsv(rho * 2.6f + ry * 0.15f, 0.75f, 1.0f), rim);
    float spot = panelLight(rx, ry, rz, -0.9f, -0.45f, 0.3f, 0.75f, 0.1f);
    c = mixRgba(c, rgb8(255, 255, 255), spot);
    c.a = 1;
    return c;
  });
  return p;
}

Picture makeSkinEnv() {
  // Warm skin: a peach middle, rosy toward the rim, a soft sheen from above.
  Picture p = makePicture(128, 128, {0, 0, 0, 1});
  paintSphereMap(p, [](float rx, float ry, float rz) {
    float rho = std::sqrt(std::max(0.0f, (1 - rz) * 0.5f));
    Rgba c = mixRgba(rgb8(255, 205, 170), rgb8(225, 120, 115), std::pow(rho, 1.6f));
    float sheen = std::pow(std::max(0.0f, dot3(rx, ry, rz, 0.3f, 0.65f, 0.7f)), 6.0f);
    c = mixRgba(c, rgb8(255, 240, 225), sheen * 0.7f);
    float pores = valueNoise((rx + 1) * 40, (ry + 1) * 40, 80, 80, 91) - 0.5f;
    c = scaleRgb(c, 1.0f + 0.05f * pores);
    c.a = 1;
    return c;
  });
  return p;
}

Picture makeBottleLabel() {
  // u once round the bottle, v top to bottom: the cap, a pastel body, the label band.
  Picture p = makePicture(512, 512, {0, 0, 0, 1});
  shadePixels(p, [](float u, float v, Rgba) {
    Rgba c;
    if (v < 0.12f) {
      c = mixRgba(rgb8(255, 90, 170), rgb8(225, 40, 130), v / 0.12f);
      float ribs = 0.5f + 0.5f * std::sin(u * 6.2831853f * 48);
      c = scaleRgb(c, 0.9f + 0.12f * ribs);
      if (v > 0.105f) c = rgb8(150, 20, 90);
    } else {
      c = mixRgba(rgb8(175, 240, 225), rgb8(120, 215, 210), (v - 0.12f) / 0.88f);
      float shoulder = 1 - smoothstepf(0.12f, 0.24f, v);
      c = scaleRgb(c, 1.0f - 0.25f * shoulder);
      c = scaleRgb(c, 1.0f - 0.3f * smoothstepf(0.93f, 1.0f, v));
    }
    if (v > 0.3f && v < 0.75f) {
      // Cream label with a pink wavy hem.
      c = mixRgba(rgb8(255, 252, 240), rgb8(255, 235, 245), (v - 0.3f) / 0.45f);
      float wave = 0.012f * std::sin(u * 6.2831853f * 12);
      if (v < 0.325f + wave || v > 0.725f + wave) c = rgb8(255, 90, 170);
      if (std::fabs(v - 0.3f) < 0.004f || std::fabs(v - 0.75f) < 0.004f) c = rgb8(150, 20, 90);
    }
    c.a = 1;
    return c;
  });
  // The brand on both sides of the bottle, so that it reads as it turns.
  for (float cu : {0.25f, 0.75f}) {
    float cx = cu * 512;
    Mask brand = makeMask(512, 512);
    drawTextMask(brand, BOLD, BRAND_NAME, cx, 512 * 0.42f, 190, 60, 80);
    paintMask(p, outlineMask(brand, 3), rgb8(120, 10, 80));
    paintMaskShaded(p, brand, [](int, int y) {
      return mixRgba(rgb8(255, 80, 170), rgb8(190, 40, 200), clamp01f((y - 190.0f) / 50.0f));
    });
    Mask kind = makeMask(512, 512);
    drawTextMask(kind, BOLD, "SHAMPOO", cx, 512 * 0.53f, 150, 26, 30);
    paintMask(p, kind, rgb8(40, 140, 150));
    Mask claim = makeMask(512, 512);
    drawTextMask(claim, SANS, "extra fluff - all hair types", cx, 512 * 0.6f, 190, 16, 18);
    paintMask(p, claim, rgb8(110, 80, 120));
    // A little swirl of hair as the logo.
    for (int i = 0; i < 5; ++i) {
      float a = i * 0.5f;
      strokeStrand(p, cx - 30 + i * 12, 512 * 0.7f, cx - 10 + i * 10 + 20 * std::sin(a), 512 * 0.64f,
                   cx + 10 + i * 8, 512 * 0.685f, 5, 2, rgb8(120, 60, 30), rgb8(230, 160, 80));
    }
  }
  return p;
}

// ---- Television ---------------------------------------------------------------------------

Picture makeTele() {
  Picture p = makePicture(1024, 1024, {0, 0, 0, 1});
  // Walnut veneer everywhere (the sides and top use the strip u < 0.1).
  shadePixels(p, [](float u, float v, Rgba) {
    float grain = fbm(u * 4, v * 24 + 3 * std::sin(u * 9), 4, 24, 4, 101);
    float ring = 0.5f + 0.5f * std::sin((v * 30 + grain * 6) * 3.14159f);
    Rgba c = mixRgba(rgb8(205, 120, 60), rgb8(140, 70, 30), ring * 0.6f + grain * 0.4f);
    float e = std::min({u, 1 - u, v, 1 - v}) * 1024;
    c = mixRgba(rgb8(50, 25, 15), c, smoothstepf(6, 18, e));
    c.a = 1;
    return c;
  });
  // Screen bezel: a dark rounded frame with a lighter lip, the screen recess inside.
  const float bx0 = 0.15f * 1024, bx1 = 0.85f * 1024, by0 = 0.15f * 1024, by1 = 0.8f * 1024;
  fillRoundRect(p, bx0 - 10, by0 - 6, bx1 + 14, by1 + 16, 90, rgb8(40, 20, 10, 170), 14);
  fillRoundRect(p, bx0, by0, bx1, by1, 80, rgb8(45, 42, 48), 2);
  fillRoundRect(p, bx0 + 12, by0 + 12, bx1 - 12, by1 - 12, 70, rgb8(110, 105, 115), 2);
  fillRoundRect(p, bx0 + 24, by0 + 24, bx1 - 24, by1 - 24, 62, rgb8(20, 25, 28), 6);
  // Knobs on the right.
  for (int k = 0; k < 2; ++k) {
    float cx = 0.925f * 1024, cy = (0.3f + 0.22f * k) * 1024;
    fillDisc(p, cx + 4, cy + 6, 46, rgb8(30, 15, 5, 160), 8);
    fillDisc(p, cx, cy, 44, rgb8(60, 55, 60), 1.5f);
    fillDisc(p, cx, cy, 38, rgb8(220, 215, 200), 1.5f);
    fillDisc(p, cx - 8, cy - 10, 20, rgb8(255, 255, 245, 160), 12);
    float a = 0.7f + k * 1.9f;
    strokeSegment(p, cx, cy, cx + 30 * std::cos(a), cy + 30 * std::sin(a), 7, rgb8(200, 40, 40));
    for (int tick = 0; tick < 12; ++tick) {
      float t = tick * 0.5236f;
      strokeSegment(p, cx + 48 * std::cos(t), cy + 48 * std::sin(t), cx + 56 * std::cos(t),
                    cy + 56 * std::sin(t), 3, rgb8(255, 230, 180));
    }
  }
  // Speaker grille under the screen.
  fillRoundRect(p, 0.3f * 1024, 0.84f * 1024, 0.7f * 1024, 0.95f * 1024, 20, rgb8(60, 40, 30), 2);
  for (int s = 0; s < 7; ++s) {
    float y = (0.855f + s * 0.013f) * 1024;
    fillRoundRect(p, 0.32f * 1024, y, 0.68f * 1024, y + 6, 3, rgb8(15, 8, 5), 1);
  }
  // A brass name plate.
  fillRoundRect(p, 0.74f * 1024, 0.865f * 1024, 0.95f * 1024, 0.925f * 1024, 10, rgb8(235, 190, 80), 1.5f);
  Mask plate = makeMask(1024, 1024);
  drawTextMask(plate, BOLD, "HAIRVISION", 0.845f * 1024, 0.895f * 1024, 190, 34, 40);
  paintMask(p, plate, rgb8(90, 50, 10));
  return p;
}

Picture makeScreenNoise() {
  // Grey static: grain per pixel, a brightness that wanders from row to row, dark scanlines
  // on every other row and a few torn bright lines.
  Picture p = makePicture(512, 512, {0, 0, 0, 1});
  for (int y = 0; y < 512; ++y) {
    float rowLevel = 0.75f + 0.35f * (valueNoise(y / 7.0f, 0.5f, 512 / 7 + 1, 1, 111) - 0.5f);
    bool torn = hashUnit(0, y, 113) < 0.025f;
    for (int x = 0; x < 512; ++x) {
      float grain = hashUnit(x, y, 112);
      float streak = hashUnit(x / 6, y, 114);
      float g = (0.15f + 0.85f * (grain * 0.7f + streak * 0.3f)) * rowLevel;
      if (y % 2) g *= 0.7f;
      if (torn) g = std::max(g, 0.85f + 0.15f * grain);
      pixelAt(p, x, y) = Rgba{g * 0.96f, g * 0.98f, g, 1};
    }
  }
  return p;
}

// ---- Razors -------------------------------------------------------------------------------

Picture makeRazorHandle() {
  // Glossy turquoise plastic, a highlight streak along its length, grip ridges on the lower
  // half, a darker end cap.
  Picture p = makePicture(256, 256, {0, 0, 0, 1});
  shadePixels(p, [](float u, float v, Rgba) {
    float round = std::sin(u * 3.14159f);
    Rgba c = mixRgba(rgb8(20, 110, 140), rgb8(60, 215, 220), round);
    c = mixRgba(c, rgb8(235, 255, 255), std::exp(-std::pow((u - 0.33f) * 14, 2.0f)) * 0.8f);
    if (v > 0.5f && v < 0.9f) {
      float ridge = 0.5f + 0.5f * std::sin(v * 6.2831853f * 24);
      c = scaleRgb(c, 0.8f + 0.25f * ridge);
    }
    if (v > 0.93f) c = scaleRgb(c, 0.55f);
    c.a = 1;
    return c;
  });
  return p;
}

Picture makeRazorHead() {
  // Bright blue plastic, an aqua gliding strip at the top, dark rubber fins at the bottom.
  Picture p = makePicture(256, 256, {0, 0, 0, 1});
  shadePixels(p, [](float u, float v, Rgba) {
    Rgba c = mixRgba(rgb8(80, 140, 255), rgb8(30, 60, 200), v);
    c = scaleRgb(c, 0.85f + 0.25f * std::sin(u * 3.14159f));
    if (v > 0.08f && v < 0.26f) c = mixRgba(rgb8(200, 255, 230), rgb8(120, 230, 200), (v - 0.08f) / 0.18f);
    if (v > 0.72f && v < 0.95f && std::fmod(v * 40, 1.0f) < 0.5f) c = rgb8(20, 30, 90);
    float e = std::min({u, 1 - u, v, 1 - v}) * 256;
    c = mixRgba(rgb8(10, 20, 60), c, smoothstepf(2, 6, e));
    c.a = 1;
    return c;
  });
  return p;
}
