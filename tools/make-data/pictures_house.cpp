// The house's materials (walls and roof, door, fence and its sprouting posts) and the hair
// colours (strands across u, root at v 0 and tip at v 1). Lighting is never on in the show,
// so every bit of shading here is painted: outlines, soft gradients, highlights.
#include <algorithm>
#include <cmath>

#include "pictures.h"

// Hair palette shared by the house's hair and the hair meshes that creep over it.
static const Rgba HAIR_ROOT = rgb8(70, 30, 16);
static const Rgba HAIR_MID = rgb8(165, 82, 38);
static const Rgba HAIR_TIP = rgb8(235, 160, 85);

static Rgba hairShade(float t) {
  return t < 0.5f ? mixRgba(HAIR_ROOT, HAIR_MID, t * 2) : mixRgba(HAIR_MID, HAIR_TIP, (t - 0.5f) * 2);
}

// Strands of hair hanging from (x, y) downward with a curl at the end.
static void hangingLock(Picture& p, Dice& dice, float x, float y, float length, float width,
                        float direction) {
  float sway = rollRange(dice, -0.35f, 0.35f) * length;
  float curl = rollRange(dice, 0.15f, 0.3f) * length * (roll(dice) < 0.5f ? -1.0f : 1.0f);
  float shade = rollRange(dice, 0.75f, 1.15f);
  float x1 = x + sway * 0.6f, y1 = y + direction * length * 0.7f;
  strokeStrand(p, x, y, x + sway, y + direction * length * 0.4f, x1, y1, width, width * 0.7f,
               scaleRgb(hairShade(0.05f), shade), scaleRgb(hairShade(0.6f), shade));
  strokeStrand(p, x1, y1, x1 + curl, y1 + direction * length * 0.35f, x1 + curl * 0.4f,
               y1 + direction * length * 0.12f, width * 0.7f, width * 0.25f,
               scaleRgb(hairShade(0.6f), shade), scaleRgb(hairShade(1.0f), shade));
}

// ---- House walls and roof ---------------------------------------------------------------

static void paintWalls(Picture& p) {
  // Left half: clapboard siding in sunny yellow with a painted shadow under every board, a
  // dark band under the eaves and a stone plinth at the bottom (v near 1).
  const int boards = 14;
  for (int y = 0; y < 1024; ++y)
    for (int x = 0; x < 512; ++x) {
      float v = (y + 0.5f) / 1024.0f;
      float board = v * boards - std::floor(v * boards);
      Rgba c = mixRgba(rgb8(255, 222, 110), rgb8(248, 176, 70), board);
      if (board < 0.08f) c = mixRgba(rgb8(170, 90, 40), c, board / 0.08f);
      float grain = fbm(x / 40.0f, y / 6.0f, 13, 171, 3, 7);
      c = scaleRgb(c, 0.92f + 0.14f * grain);
      c = scaleRgb(c, 1.0f - 0.35f * (1 - smoothstepf(0.0f, 0.08f, v)));
      if (v > 0.86f) {
        // Stones: offset rows of rounded blocks with dark mortar.
        float sv = (v - 0.86f) / 0.14f * 2.0f;
        int row = static_cast<int>(sv);
        float su = x / 64.0f + (row % 2) * 0.5f;
        float fu = su - std::floor(su), fv = sv - std::floor(sv);
        float edge = std::min({fu, 1 - fu, fv * 0.5f, (1 - fv) * 0.5f});
        float tone = 0.85f + 0.3f * hashUnit(static_cast<int>(std::floor(su)), row, 9);
        Rgba stone = scaleRgb(mixRgba(rgb8(190, 160, 210), rgb8(130, 100, 160), fv), tone);
        c = mixRgba(rgb8(60, 35, 70), stone, smoothstepf(0.02f, 0.06f, edge));
      }
      c.a = 1;
      pixelAt(p, x, y) = c;
    }
}

static void paintRoof(Picture& p) {
  // Right half: rows of round-ended red tiles, each lighter at its top and outlined in dark
  // red at its rounded lower rim.
  const float tileW = 64, tileH = 56;
  for (int y = 0; y < 1024; ++y)
    for (int x = 512; x < 1024; ++x) {
      float fy = y / tileH;
      int row = static_cast<int>(fy);
      float fx = (x - 512) / tileW + (row % 2) * 0.5f;
      int col = static_cast<int>(std::floor(fx));
      float lu = fx - col, lv = fy - row;
      // Rounded lower edge: the tile ends where lv exceeds a half-ellipse profile.
      float dx = (lu - 0.5f) * 2;
      float end = 0.72f + 0.28f * std::sqrt(std::max(0.0f, 1 - dx * dx));
      float tone = 0.88f + 0.24f * hashUnit(col, row, 21);
      Rgba c;
      if (lv < end) {
        c = mixRgba(rgb8(255, 120, 80), rgb8(200, 45, 40), lv / end);
        c = scaleRgb(c, tone);
        float rim = smoothstepf(end - 0.1f, end, lv);
        c = mixRgba(c, rgb8(110, 20, 30), rim);
        float side = std::min(lu, 1 - lu);
        c = mixRgba(rgb8(120, 25, 30), c, smoothstepf(0.0f, 0.05f, side));
      } else {
        c = rgb8(90, 15, 25);   // the shadow between rows
      }
      c.a = 1;
      pixelAt(p, x, y) = c;
    }
}

Picture makeHouseWalls(bool hairy) {
  Picture p = makePicture(1024, 1024, {0, 0, 0, 1});
  paintWalls(p);
  paintRoof(p);
  if (hairy) {
    Dice dice{0x4A1AULL};
    // Locks hanging from the eaves and climbing from the plinth over the walls.
    for (int i = 0; i < 170; ++i)
      hangingLock(p, dice, rollRange(dice, 0, 512), rollRange(dice, -20, 60), rollRange(dice, 180, 460),
                  rollRange(dice, 6, 12), 1.0f);
    for (int i = 0; i < 110; ++i)
      hangingLock(p, dice, rollRange(dice, 0, 512), rollRange(dice, 900, 1040),
                  rollRange(dice, 120, 300), rollRange(dice, 6, 11), -1.0f);
    // Tufts sticking out between the roof tiles.
    for (int i = 0; i < 220; ++i) {
      float x = rollRange(dice, 520, 1016), y = rollRange(dice, 10, 1020);
      hangingLock(p, dice, x, y, rollRange(dice, 50, 130), rollRange(dice, 5, 9), 1.0f);
    }
  }
  return p;
}

// ---- Door -----------------------------------------------------------------------------------

Picture makeDoor(bool hairy) {
  Picture p = makePicture(256, 256, rgb8(30, 60, 70));
  // Painted boards under two raised panels, a frame, a brass knob.
  shadePixels(p, [](float u, float v, Rgba) {
    float plank = u * 4 - std::floor(u * 4);
    Rgba c = mixRgba(rgb8(60, 175, 190), rgb8(35, 130, 160), v);
    float grain = fbm(u * 8, v * 40, 8, 40, 3, 44);
    c = scaleRgb(c, 0.9f + 0.18f * grain);
    if (plank < 0.04f || plank > 0.96f) c = scaleRgb(c, 0.7f);
    return Rgba{c.r, c.g, c.b, 1};
  });
  for (int k = 0; k < 2; ++k) {
    float y0 = k == 0 ? 30 : 138, y1 = k == 0 ? 118 : 226;
    fillRoundRect(p, 34, y0 + 3, 222, y1 + 3, 12, rgb8(15, 50, 70, 200), 3);
    fillRoundRect(p, 32, y0, 220, y1, 12, rgb8(20, 80, 100), 1);
    fillRoundRect(p, 38, y0 + 6, 214, y1 - 6, 8, rgb8(110, 215, 225), 1);
    fillRoundRect(p, 44, y0 + 12, 208, y1 - 12, 6, rgb8(75, 185, 205), 4);
  }
  // Dark outline around the whole door.
  shadePixels(p, [](float u, float v, Rgba c) {
    float e = std::min({u, 1 - u, v, 1 - v}) * 256;
    return mixRgba(rgb8(25, 20, 40), c, smoothstepf(4, 9, e));
  });
  fillDisc(p, 206, 134, 13, rgb8(90, 60, 10), 1.5f);
  fillDisc(p, 205, 133, 11, rgb8(240, 190, 60), 1);
  fillDisc(p, 201, 129, 4, rgb8(255, 250, 200), 2);
  if (hairy) {
    Dice dice{0xD00E};
    for (int i = 0; i < 40; ++i)
      hangingLock(p, dice, rollRange(dice, 4, 252), rollRange(dice, -6, 10), rollRange(dice, 50, 130),
                  rollRange(dice, 3, 6), 1.0f);
    // A curly moustache under the knob and tufts from the threshold.
    for (int side = -1; side <= 1; side += 2)
      for (int i = 0; i < 5; ++i) {
        float r = 3.0f * i;
        strokeStrand(p, 205, 150 + r * 0.3f, 205 + side * (24 + r), 140 + r, 205 + side * (38 + r),
                     122 + r, 7 - i, 2, hairShade(0.1f), hairShade(0.8f));
      }
    for (int i = 0; i < 30; ++i)
      hangingLock(p, dice, rollRange(dice, 4, 252), rollRange(dice, 250, 258), rollRange(dice, 30, 80),
                  rollRange(dice, 3, 5), -1.0f);
  }
  return p;
}

// ---- Fence ------------------------------------------------------------------------------

Picture makeFence(bool sprouting) {
  Picture p = makePicture(256, 256, {0, 0, 0, 1});
  // A plank: warm wood with grain running along v, rounded by a painted gradient across u,
  // outlined in dark brown on all four sides.
  shadePixels(p, [](float u, float v, Rgba) {
    float grain = fbm(u * 6 + 0.3f * std::sin(v * 12.566f), v * 2, 6, 2, 4, 61);
    float streak = std::fabs(std::sin((u * 9 + grain * 2.5f) * 3.14159f));
    Rgba c = mixRgba(rgb8(250, 170, 90), rgb8(200, 110, 50), streak * 0.6f + grain * 0.4f);
    float round = std::sin(u * 3.14159f);
    c = scaleRgb(c, 0.7f + 0.38f * round);
    float e = std::min({u, 1 - u, v, 1 - v}) * 256;
    c = mixRgba(rgb8(70, 30, 15), c, smoothstepf(5, 11, e));
    return Rgba{c.r, c.g, c.b, 1};
  });
  // A knot or two.
  fillDisc(p, 150, 170, 10, rgb8(140, 70, 30), 3);
  fillDisc(p, 150, 170, 5, rgb8(90, 40, 20), 2);
  if (sprouting) {
    Dice dice{0xB007};
    // Tufts of hair growing out of the top of the post, thick at the top and thinning out.
    for (int i = 0; i < 90; ++i) {
      float y = 110 * std::pow(roll(dice), 2.0f);
      hangingLock(p, dice, rollRange(dice, 0, 256), y + 30, rollRange(dice, 40, 100), rollRange(dice, 4, 8),
                  -1.0f);
    }
    for (int i = 0; i < 40; ++i)
      hangingLock(p, dice, rollRange(dice, 0, 256), rollRange(dice, -4, 20), rollRange(dice, 40, 110),
                  rollRange(dice, 4, 8), 1.0f);
  }
  return p;
}

// ---- Hair colours -------------------------------------------------------------------------

// Strands across u (tileable), shaded from root (v 0) to tip (v 1) through 'shade'. Each
// strand is a lane a few pixels wide, painted round (bright middle, dark edges) with its own
// brightness; the lanes sway gently along v, and a finer second layer adds single hairs.
static Picture hairStrands(int width, int height, float strandPx, uint32_t seed,
                           Rgba (*shade)(float t)) {
  Picture p = makePicture(width, height, {0, 0, 0, 1});
  const int lanes = std::max(1, static_cast<int>(width / strandPx));
  // Single hairs no thinner than two pixels, or they would alias into moire.
  const int fineLanes = std::max(lanes, std::min(lanes * 3, width / 2));
  auto laneLight = [&](float x, int count, uint32_t salt) {
    float lanePos = x / width * count;
    int lane = static_cast<int>(std::floor(lanePos));
    float f = lanePos - lane;
    int wrapped = ((lane % count) + count) % count;
    float profile = std::pow(std::sin(3.14159265f * f), 0.7f);
    return profile * (0.55f + 0.6f * hashUnit(wrapped, 0, seed + salt));
  };
  shadePixels(p, [&](float u, float v, Rgba) {
    // Sway: whole periods in u and v so the picture still tiles.
    float sway = strandPx * 0.35f * std::sin(6.2831853f * (v + 2 * u));
    float x = u * width + sway;
    float coarse = laneLight(x, lanes, 1);
    float fine = laneLight(x + strandPx * 0.5f, fineLanes, 2);
    float light = 0.35f + 0.55f * coarse + 0.3f * fine;
    Rgba c = scaleRgb(shade(v), light);
    // A sheen band a third of the way along the strands.
    float sheen = std::exp(-(v - 0.35f) * (v - 0.35f) * 60.0f) * 0.3f * coarse;
    c = mixRgba(c, rgb8(255, 240, 220), sheen);
    return Rgba{c.r, c.g, c.b, 1};
  });
  return p;
}

static Rgba blondShade(float t) {
  return t < 0.45f ? mixRgba(rgb8(150, 70, 25), rgb8(245, 160, 55), t / 0.45f)
                   : mixRgba(rgb8(245, 160, 55), rgb8(255, 235, 150), (t - 0.45f) / 0.55f);
}

static Rgba chestnutShade(float t) { return hairShade(t); }

static Rgba brownShade(float t) {
  return t < 0.5f ? mixRgba(rgb8(85, 45, 25), rgb8(200, 120, 55), t * 2)
                  : mixRgba(rgb8(200, 120, 55), rgb8(250, 200, 120), (t - 0.5f) * 2);
}

Picture makeVrillStripe() { return hairStrands(256, 64, 4, 71, blondShade); }
Picture makeDarkVrill() { return hairStrands(256, 256, 5, 72, chestnutShade); }
Picture makeMogn() { return hairStrands(64, 64, 2, 73, brownShade); }

Picture makeRevitalising() {
  // Glowing strands: bright gold-white light along u stripes, fading in from the root and out
  // toward the tip, with sparkles; the hidden colour is the glow's own.
  Picture p = makePicture(256, 256, rgb8(255, 230, 150, 0));
  shadePixels(p, [](float u, float v, Rgba) {
    float s = fbm(u * 32, v * 3, 32, 3, 3, 81);
    float stripe = smoothstepf(0.45f, 0.8f, s);
    float envelope = smoothstepf(0.0f, 0.2f, v) * (1 - smoothstepf(0.55f, 1.0f, v));
    Rgba c = mixRgba(rgb8(255, 200, 90), rgb8(255, 255, 235), stripe);
    c.a = clamp01f((0.25f + 0.75f * stripe) * envelope);
    return c;
  });
  Dice dice{0x5BA4C};
  for (int i = 0; i < 60; ++i) {
    float x = rollRange(dice, 4, 252), y = rollRange(dice, 30, 200), r = rollRange(dice, 1.5f, 4.0f);
    fillDisc(p, x, y, r * 2.5f, rgb8(255, 240, 180, 90), r * 2);
    fillDisc(p, x, y, r, rgb8(255, 255, 255, 255), 1.2f);
    strokeSegment(p, x - r * 3, y, x + r * 3, y, 1.2f, rgb8(255, 255, 255, 200));
    strokeSegment(p, x, y - r * 3, x, y + r * 3, 1.2f, rgb8(255, 255, 255, 200));
  }
  return p;
}
