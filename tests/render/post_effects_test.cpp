#include <algorithm>
#include <vector>

#include "platform/offscreen_picture.h"
#include "render/processor_composite.h"
#include "render_test_support.h"

namespace {

GLint levelSize(GLuint name, GLenum which) {
  GLint v = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &v);
  return v;
}

// The RGB texel at (x, y) of a glow level, row 0 at the bottom.
Rgb levelTexel(int level, int x, int y) {
  GLuint name = glowTargets[level];
  int w = levelSize(name, GL_TEXTURE_WIDTH), h = levelSize(name, GL_TEXTURE_HEIGHT);
  std::vector<unsigned char> pixels((size_t)w * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  const unsigned char* p = &pixels[((size_t)y * w + x) * 3];
  return {p[0], p[1], p[2]};
}

// Replaces a glow level's image by w x h RGB pixels.
void setLevelImage(int level, int w, int h, const std::vector<unsigned char>& rgb) {
  glBindTexture(GL_TEXTURE_2D, glowTargets[level]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// One row of the screen, RGB.
std::vector<unsigned char> screenRow(int yFromTop) {
  std::vector<unsigned char> row(1024 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 767 - yFromTop, 1024, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
  return row;
}

}  // namespace

TEST(PostEffects, TargetsCreatedOnceAndSecondPrepareDoesNotCapture) {
  RENDER_TEST_SETUP();
  const TextureId red = putSolidTexture(1, 200, 0, 0);
  const TextureId green = putSolidTexture(2, 0, 200, 0);
  glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
  beginEffectsFrame(1000);
  EXPECT_EQ(effectsSeed, 1000);
  resetRenderQueue();
  queueBackground(red);
  prepareGlow();
  ASSERT_TRUE(glowTargetsReady);
  GLuint names[8];
  std::memcpy(names, glowTargets, sizeof names);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(::testing::Message() << "level " << i);
    EXPECT_TRUE(glIsTexture(names[i]));
    for (int j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
    // After the capture and the chain each level holds the frame at 2:1.
    EXPECT_EQ(levelSize(names[i], GL_TEXTURE_WIDTH), 1024 >> i);
    EXPECT_EQ(levelSize(names[i], GL_TEXTURE_HEIGHT), 512 >> i);
    GLint minFilter = 0, wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, 0x2900);          // GL_CLAMP
    expectPixelNear(levelTexel(i, (1024 >> i) / 2, (512 >> i) / 2), {200, 0, 0}, 1, "captured frame");
  }
  // The chain ends with a cleared back buffer, full viewport, alpha blending and white.
  expectPixelNear(pixelAt(100, 100), {0, 0, 128}, 1, "cleared");
  GLint viewport[4], src = 0, dst = 0;
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 768);
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);

  // Same frame, other queue: no second capture, no new targets, the buffer cleared again.
  resetRenderQueue();
  queueBackground(green);
  drawScreenQuad(green, 0, 0, 1, 1, 0);
  prepareGlow();
  EXPECT_EQ(std::memcmp(names, glowTargets, sizeof names), 0);
  expectPixelNear(levelTexel(0, 512, 256), {200, 0, 0}, 1, "still the first capture");
  expectPixelNear(pixelAt(100, 100), {0, 0, 128}, 1, "cleared again");

  // The next frame captures afresh.
  beginEffectsFrame(1016);
  prepareGlow();
  EXPECT_EQ(std::memcmp(names, glowTargets, sizeof names), 0);
  expectPixelNear(levelTexel(0, 512, 256), {0, 200, 0}, 1, "new capture");
  expectPixelNear(levelTexel(7, 4, 2), {0, 200, 0}, 1, "chain rebuilt");
}

TEST(PostEffects, GlowLevelsChosenByTheLowByteOfAlpha) {
  RENDER_TEST_SETUP();
  createGlowTargets();
  // Level L is white only in the L-th eighth of its width, so each drawn level lights one stripe.
  for (int level = 0; level < 8; ++level) {
    int w = 1024 >> level, h = 512 >> level;
    std::vector<unsigned char> rgb((size_t)w * h * 3, 0);
    for (int y = 0; y < h; ++y)
      for (int x = level * w / 8; x < (level + 1) * w / 8; ++x)
        for (int k = 0; k < 3; ++k) rgb[((size_t)y * w + x) * 3 + k] = 255;
    setLevelImage(level, w, h, rgb);
  }
  struct Case {
    int alpha, firstLevel;
  };
  const Case cases[] = {{63, 0}, {64, 1}, {255, 3}, {256, 8}, {0, 8}, {64 + 256, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "alpha " << c.alpha);
    clearScreen(0, 0, 0);
    drawGlow(0.0f, 0.45f, 1.0f, 0.55f, c.alpha, 1);
    const int share = (c.alpha & 0xFF) >> 3;
    std::vector<unsigned char> row = screenRow(384);
    for (int level = 0; level < 8; ++level) {
      int x = 64 + 128 * level;        // the middle of stripe L
      int want = level >= c.firstLevel ? share : 0;
      EXPECT_NEAR(row[(size_t)x * 3], want, 1) << "level " << level;
    }
    expectPixelNear(pixelAt(512, 200), {0, 0, 0}, 0, "outside the rectangle");
  }
  // Blended mode: level L is laid over with weight (a L / 8) / 255.
  clearScreen(0, 0, 0);
  drawGlow(0.0f, 0.45f, 1.0f, 0.55f, 255, 0);
  std::vector<unsigned char> row = screenRow(384);
  // Stripe S gets 255 from level S, then the later (black there) levels lay over it.
  for (int stripe = 0; stripe < 8; ++stripe) {
    float want = 0.0f;
    for (int level = 3; level <= 7; ++level) {
      float weight = (float)((255 * level) / 8) / 255.0f;
      want = (level == stripe ? 255.0f : 0.0f) * weight + want * (1.0f - weight);
    }
    EXPECT_NEAR(row[(size_t)(64 + 128 * stripe) * 3], want, 2.0f) << "stripe " << stripe;
  }
  EXPECT_NEAR(row[(size_t)(64 + 128 * 7) * 3], 223, 2);   // the blurriest level most strongly
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_NEAR(colour[3], 223.0f / 255.0f, 1e-3f) << "left at the last level's colour";
}

TEST(PostEffects, TintedRectVeilsTheScreen) {
  RENDER_TEST_SETUP();
  const TextureId white = putSolidTexture(5, 255, 255, 255);
  clearScreen(0.8f, 0.8f, 0.8f);       // 204
  drawTintedRect(0.0f, 0.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 0.5f, white);
  expectPixelNear(pixelAt(100, 300), {102, 102, 102}, 1, "darkened by half");
  expectPixelNear(pixelAt(900, 300), {204, 204, 204}, 0, "outside the rectangle");
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 1.0f);
  EXPECT_FLOAT_EQ(colour[3], 1.0f);
  // A TextureId outside the table binds name 0 and the plain colour still veils.
  drawTintedRect(0.5f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.5f, 99);
  expectPixelNear(pixelAt(900, 300), {102, 102, 102}, 1, "name 0 veil");
}

TEST(PostEffects, RowJitterWithoutJumpsRedrawsLevelZero) {
  RENDER_TEST_SETUP();
  createGlowTargets();
  // Columns ramp in red and green, rows in blue: any shear or flip shows.
  std::vector<unsigned char> rgb(1024 * 512 * 3);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 1024; ++x) {
      unsigned char* p = &rgb[((size_t)y * 1024 + x) * 3];
      p[0] = (unsigned char)(x & 255);
      p[1] = (unsigned char)((x * 3) & 255);
      p[2] = (unsigned char)(y / 2);
    }
  setLevelImage(0, 1024, 512, rgb);
  beginEffectsFrame(4321);
  clearScreen(0, 0, 0);
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  drawRowJitter(15.0f, 1.8f, 1 << 30, 3);
  for (int i = 0; i <= 128; ++i) {
    ASSERT_EQ(rowOffset[i], 0.0f) << "grid line " << i;
    EXPECT_FLOAT_EQ(gridCoord[i], (float)i / 128.0f);
  }
  // Screen row y shows texture row (767 - y + 0.5) * 512 / 768 - 0.5, linearly filtered.
  for (int y : {10, 200, 383, 600, 760}) {
    std::vector<unsigned char> row = screenRow(y);
    float t = (767.0f - (float)y + 0.5f) / 768.0f * 512.0f - 0.5f;
    for (int x : {5, 300, 517, 1000}) {
      SCOPED_TRACE(::testing::Message() << "pixel " << x << ", " << y);
      EXPECT_NEAR(row[(size_t)x * 3 + 0], x & 255, 1);
      EXPECT_NEAR(row[(size_t)x * 3 + 1], (x * 3) & 255, 1);
      EXPECT_NEAR(row[(size_t)x * 3 + 2], t / 2.0f, 1.5f);
    }
  }
}

TEST(PostEffects, RowJitterFollowsTheSeed) {
  RENDER_TEST_SETUP();
  createGlowTargets();
  glDisable(GL_BLEND);
  auto tear = [](int32_t seed, int32_t jumpChance, int32_t decayChance) {
    beginEffectsFrame(seed);
    drawRowJitter(8.0f, 1.8f, jumpChance, decayChance);
    return std::vector<float>(rowOffset, rowOffset + 129);
  };
  const std::vector<float> first = tear(180500, 4, 3);
  EXPECT_EQ(tear(180500, 4, 3), first) << "same seed, same tears";
  EXPECT_NE(tear(180517, 4, 3), first) << "another seed tears elsewhere";
  bool torn = false;
  for (float v : first) {
    torn = torn || v != 0.0f;
    // Offsets are whole steps of 1/1024.
    EXPECT_EQ(v * 1024.0f, (float)(int)(v * 1024.0f));
  }
  EXPECT_TRUE(torn);
  // Chances of 0 (or below) are taken as 1 instead of dividing by zero.
  EXPECT_EQ(tear(180500, 0, 0), tear(180500, 1, 1));
  EXPECT_EQ(tear(180500, -5, 3), tear(180500, 1, 3));
  // Each call reseeds: the shared generator ends in the same state after either draw.
  tear(180500, 4, 3);
  const uint32_t state = gen::randomState;
  tear(180500, 4, 3);
  EXPECT_EQ(gen::randomState, state);
}

TEST(PostEffects, RgbRowJitterTakesZeroChanceAsOne) {
  RENDER_TEST_SETUP();
  createGlowTargets();
  // A level 0 of vertical stripes, so that tears change pixels.
  std::vector<unsigned char> rgb(1024 * 512 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = (unsigned char)(((i / 3) % 1024 / 16 % 2) * 255);
  setLevelImage(0, 1024, 512, rgb);
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  beginEffectsFrame(183000);
  clearScreen(0, 0, 0);
  drawRgbRowJitter(12.0f, 1.8f, 0, 3);
  const std::vector<float> zeroOffsets(rowOffset, rowOffset + 129);
  const std::vector<unsigned char> zeroRow = screenRow(300);
  clearScreen(0, 0, 0);
  drawRgbRowJitter(12.0f, 1.8f, 1, 3);
  EXPECT_EQ(std::vector<float>(rowOffset, rowOffset + 129), zeroOffsets);
  EXPECT_EQ(screenRow(300), zeroRow);
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
  // The last pass (blue) tears at 0.7 of the width: its offsets are those of 8.4.
  beginEffectsFrame(183000);
  drawRowJitter(12.0f * 0.7f, 1.8f, 1, 3);
  EXPECT_EQ(std::vector<float>(rowOffset, rowOffset + 129), zeroOffsets);
  // The channels tear differently: somewhere red and blue disagree on the stripes.
  bool fringe = false;
  for (int x = 0; x < 1024; ++x) fringe = fringe || zeroRow[(size_t)x * 3] != zeroRow[(size_t)x * 3 + 2];
  EXPECT_TRUE(fringe);
}

// The processor composite's glow against GL's own sampling of the levels, on screens whose
// spans across are not whole (1440 / 128 = 11.25, 320 / 128 = 2.5) or not powers of two
// (1440 / 8 = 180): one level at a time, GL drawing it over the whole screen additively at
// alpha 31 over black, the composite given a black picture and the other levels black. Both
// take the nearest byte to the same bilinear blend, so they part by 1 at most, near halves;
// a sample off by half a texel, or wrapped or flipped, parts by far more.
TEST(PostEffects, ProcessorCompositeSamplesTheGlowAsGlAtAnyScreenSize) {
  RENDER_TEST_SETUP();
  createGlowTargets();
  uint32_t seed = 12345;
  const int sizes[][2] = {{1440, 1080}, {320, 240}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    SCOPED_TRACE(::testing::Message() << w << "x" << h);
    ASSERT_EQ(setScreenSize(w, h), 1);
    // Drawn into a picture of the screen's size, whatever the window's.
    ASSERT_EQ(openOffscreenPicture(w, h), 1);
    std::vector<unsigned char> texels[COMPOSITE_GLOW_LEVELS], none[COMPOSITE_GLOW_LEVELS];
    for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
      int lw = 128 >> k, lh = 64 >> k;
      std::vector<unsigned char> rgb((size_t)lw * lh * 3);
      for (unsigned char& v : rgb) v = (unsigned char)((seed = seed * 1664525u + 1013904223u) >> 24);
      setLevelImage(3 + k, lw, lh, rgb);
      texels[k].resize((size_t)lw * lh * 4);
      none[k].assign(texels[k].size(), 0);
      glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels[k].data());
    }
    const size_t bytes = (size_t)w * h * 4;
    std::vector<unsigned char> black(bytes, 0), drawn(bytes), composed(bytes);
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, w, 0.0, h, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4ub(255, 255, 255, 31);
    for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
      SCOPED_TRACE(::testing::Message() << "level " << 3 + k);
      glDisable(GL_BLEND);
      glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      glEnable(GL_BLEND);
      glBindTexture(GL_TEXTURE_2D, glowTargets[3 + k]);
      glBegin(GL_QUADS);
      glTexCoord2f(0.0f, 0.0f);
      glVertex2f(0.0f, 0.0f);
      glTexCoord2f(1.0f, 0.0f);
      glVertex2f((float)w, 0.0f);
      glTexCoord2f(1.0f, 1.0f);
      glVertex2f((float)w, (float)h);
      glTexCoord2f(0.0f, 1.0f);
      glVertex2f(0.0f, (float)h);
      glEnd();
      glPixelStorei(GL_PACK_ALIGNMENT, 4);
      glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, drawn.data());
      GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
      for (int j = 0; j < COMPOSITE_GLOW_LEVELS; ++j)
        levels[j] = {(j == k ? texels[j] : none[j]).data(), 128 >> j, 64 >> j};
      ASSERT_TRUE(composeFrame(black.data(), levels, nullptr, 255, composed.data()));
      int largest = 0;
      for (size_t i = 0; i < bytes; ++i)
        if (i % 4 != 3) largest = std::max(largest, std::abs(drawn[i] - composed[i]));
      EXPECT_LE(largest, 1);
    }
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    // A level without rows is refused, and nothing is written.
    GlowLevelPicture empty[COMPOSITE_GLOW_LEVELS];
    for (int j = 0; j < COMPOSITE_GLOW_LEVELS; ++j) empty[j] = {texels[j].data(), 128 >> j, j == 2 ? 0 : 64 >> j};
    composed.assign(bytes, 7);
    EXPECT_FALSE(composeFrame(black.data(), empty, nullptr, 255, composed.data()));
    EXPECT_EQ(composed, std::vector<unsigned char>(bytes, 7));
  }
  closeOffscreenPicture();
  setScreenSize(1024, 768);
  releaseProcessorComposite();
}
