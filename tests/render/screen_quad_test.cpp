#include "render_test_support.h"

namespace {

struct QuadState {
  GLboolean depthTest, blend, cull;
  GLint blendSrc, blendDst, matrixMode, binding;
  float colour[4], projection[16], modelview[16];
};

QuadState readQuadState() {
  QuadState s{};
  s.depthTest = glIsEnabled(GL_DEPTH_TEST);
  s.blend = glIsEnabled(GL_BLEND);
  s.cull = glIsEnabled(GL_CULL_FACE);
  glGetIntegerv(GL_BLEND_SRC, &s.blendSrc);
  glGetIntegerv(GL_BLEND_DST, &s.blendDst);
  glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.binding);
  glGetFloatv(GL_CURRENT_COLOR, s.colour);
  glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
  return s;
}

void expectSameState(const QuadState& a, const QuadState& b) {
  EXPECT_EQ(a.depthTest, b.depthTest);
  EXPECT_EQ(a.blend, b.blend);
  EXPECT_EQ(a.cull, b.cull);
  EXPECT_EQ(a.blendSrc, b.blendSrc);
  EXPECT_EQ(a.blendDst, b.blendDst);
  EXPECT_EQ(a.matrixMode, b.matrixMode);
  EXPECT_EQ(a.binding, b.binding);
  EXPECT_EQ(std::memcmp(a.colour, b.colour, sizeof a.colour), 0);
  EXPECT_EQ(std::memcmp(a.projection, b.projection, sizeof a.projection), 0);
  EXPECT_EQ(std::memcmp(a.modelview, b.modelview, sizeof a.modelview), 0);
}

}  // namespace

TEST(ScreenQuad, LeavesTheStateAsItFoundIt) {
  RENDER_TEST_SETUP();
  startUpCamera();
  const TextureId tex = putSolidTexture(1, 10, 20, 30);
  for (bool depth : {true, false}) {
    for (int mode : {-1, 0, 1, 2, 3, 9}) {
      SCOPED_TRACE(::testing::Message() << "depth " << depth << " mode " << mode);
      if (depth) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
      glDisable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ONE_MINUS_DST_ALPHA);
      glColor4f(0.25f, 0.5f, 0.75f, 0.125f);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      glTranslatef(1.0f, 2.0f, 3.0f);
      glBindTexture(GL_TEXTURE_2D, 0);
      const QuadState before = readQuadState();
      drawScreenQuad(tex, 0.0f, 0.0f, 0.01f, 0.01f, mode);
      expectSameState(before, readQuadState());
    }
  }
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(ScreenQuad, BlendModesGiveTheirPixels) {
  RENDER_TEST_SETUP();
  const TextureId tex = putSolidTexture(2, 200, 100, 40, 128);
  const TextureId outside = 70;
  clearScreen(0.2f, 0.4f, 0.6f);       // 51, 102, 153
  struct Case {
    int mode;
    bool blendBefore;
    GLenum src, dst;
    float alpha;                       // of the current colour
    Rgb want;
  };
  const float a = 128.0f / 255.0f;
  const Case cases[] = {
      {0, true, GL_SRC_ALPHA, GL_ONE, 0.3f, {200, 100, 40}},   // opaque, whatever the alpha
      {1, false, GL_ZERO, GL_ZERO, 1.0f, {51 + (int)(200 * a), 102 + (int)(100 * a), 153 + (int)(40 * a)}},
      {2, false, GL_ONE, GL_ZERO, 1.0f, {51 * 200 / 255, 102 * 100 / 255, 153 * 40 / 255}},
      {3, false, GL_ONE, GL_ONE, 1.0f,
       {(int)(200 * a + 51 * (1 - a)), (int)(100 * a + 102 * (1 - a)), (int)(40 * a + 153 * (1 - a))}},
      {-1, false, GL_SRC_ALPHA, GL_ONE, 1.0f, {200, 100, 40}},   // the caller's state: off
      {-1, true, GL_SRC_ALPHA, GL_ONE, 1.0f, {51 + (int)(200 * a), 102 + (int)(100 * a), 153 + (int)(40 * a)}},
      {9, false, GL_ZERO, GL_SRC_COLOR, 1.0f, {51 * 200 / 255, 102 * 100 / 255, 153 * 40 / 255}},
  };
  int column = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " blend before " << c.blendBefore);
    if (c.blendBefore) glEnable(GL_BLEND); else glDisable(GL_BLEND);
    glBlendFunc(c.src, c.dst);
    glColor4f(1.0f, 1.0f, 1.0f, c.alpha);
    float x0 = (float)column / 16.0f;
    drawScreenQuad(tex, x0, 0.0f, x0 + 1.0f / 16.0f, 0.1f, c.mode);
    expectPixelNear(pixelAt(column * 64 + 32, 38), c.want, 2, "quad");
    ++column;
  }
  // A TextureId outside the table binds name 0: the quad shows the plain current colour.
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  drawScreenQuad(outside, 0.9f, 0.9f, 1.0f, 1.0f, 0);
  expectPixelNear(pixelAt(1000, 740), {255, 255, 255}, 0, "name 0");
}

TEST(ScreenQuad, MirroredQuadIsCulledAndQuarterIsUpright) {
  RENDER_TEST_SETUP();
  // 2 x 2 texture: first row red, green; second row blue, white.
  const unsigned char pixels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  const TextureId tex = putTestTexture(3, 2, 2, pixels);
  clearScreen(0, 0, 0);
  glColor4f(1, 1, 1, 1);
  drawScreenQuad(tex, 0.5f, 0.0f, 1.0f, 0.5f, 0);
  expectPixelNear(pixelAt(600, 50), {255, 0, 0}, 0, "top left of the quarter: first row");
  expectPixelNear(pixelAt(1000, 50), {0, 255, 0}, 0, "top right");
  expectPixelNear(pixelAt(600, 350), {0, 0, 255}, 0, "bottom left: second row");
  expectPixelNear(pixelAt(1000, 350), {255, 255, 255}, 0, "bottom right");
  expectPixelNear(pixelAt(400, 50), {0, 0, 0}, 0, "left half untouched");
  expectPixelNear(pixelAt(600, 500), {0, 0, 0}, 0, "lower half untouched");

  // With back faces culled, a quad mirrored in one direction is not drawn; in both it is.
  clearScreen(0, 0, 0);
  ASSERT_TRUE(glIsEnabled(GL_CULL_FACE));
  drawScreenQuad(tex, 0.2f, 0.6f, 0.1f, 0.7f, 0);
  drawScreenQuad(tex, 0.3f, 0.7f, 0.4f, 0.6f, 0);
  drawScreenQuad(tex, 0.6f, 0.7f, 0.5f, 0.6f, 0);
  expectPixelNear(pixelAt(154, 499), {0, 0, 0}, 0, "mirrored in x");
  expectPixelNear(pixelAt(358, 499), {0, 0, 0}, 0, "mirrored in y");
  EXPECT_NE(pixelAt(563, 499).r + pixelAt(563, 499).g + pixelAt(563, 499).b, 0) << "turned half way round";
}

TEST(ScreenQuad, ScreenPassRestoresEnablesButNotTheBlendFunction) {
  RENDER_TEST_SETUP();
  startUpCamera();
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  beginScreenPass();
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  float pr[16];
  glGetFloatv(GL_PROJECTION_MATRIX, pr);
  EXPECT_FLOAT_EQ(pr[0], 2.0f / 1024.0f);
  EXPECT_FLOAT_EQ(pr[5], -2.0f / 768.0f);   // y grows downwards
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  endScreenPass();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  glGetFloatv(GL_PROJECTION_MATRIX, pr);
  EXPECT_FLOAT_EQ(pr[0], 1.5f) << "the camera projection is back";
}
