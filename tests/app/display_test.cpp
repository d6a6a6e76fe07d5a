// The clear operations on a real software GL context: exact clear colours (each byte
// over 256), the packed byte order, and a depth clear that leaves colour alone.
#include <gtest/gtest.h>

#include <vector>
#include <GL/gl.h>

#include "platform/display.h"
#include "support/gl_context.h"

namespace {
struct Pixel {
  int r, g, b;
};
Pixel centrePixel() {
  unsigned char rgba[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(DEFAULT_SCREEN_WIDTH / 2, DEFAULT_SCREEN_HEIGHT / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}
void expectClearColour(float r, float g, float b, const char* what) {
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_FLOAT_EQ(clear[0], r) << what;
  EXPECT_FLOAT_EQ(clear[1], g) << what;
  EXPECT_FLOAT_EQ(clear[2], b) << what;
  EXPECT_FLOAT_EQ(clear[3], 1.0f) << what;
}
}  // namespace

TEST(ClearOperations, ClearColoursAreBytesOver256) {
  GL_TEST_CONTEXT();
  clearColorBuffer(255, 255, 255);
  expectClearColour(0.99609375f, 0.99609375f, 0.99609375f, "255, 255, 255");
  clearColorBuffer(0, 128, 1);
  expectClearColour(0.0f, 0.5f, 0.00390625f, "0, 128, 1");
  // Only the low byte of each argument counts.
  clearColorBuffer(0x1FF, 0x100, -1);
  expectClearColour(0.99609375f, 0.0f, 0.99609375f, "0x1FF, 0x100, -1");

  struct Case {
    int rgb;
    float r, g, b;
  };
  const Case packed[] = {
      {0xFFFF00, 0.0f, 0.99609375f, 0.99609375f},  // start of every frame: red 0, green and blue 255
      {0x202020, 0.125f, 0.125f, 0.125f},
      {0x0000FF, 0.99609375f, 0.0f, 0.0f},         // red sits in the low byte
      {0xFF0000, 0.0f, 0.0f, 0.99609375f},
      {0x7F000080, 0.5f, 0.0f, 0.0f},              // bits above blue are ignored
  };
  for (const Case& c : packed) {
    clearColorBufferPacked(c.rgb);
    expectClearColour(c.r, c.g, c.b, ("packed " + std::to_string(c.rgb)).c_str());
  }
}

// The colour buffer really is cleared, to the colour the bytes give.
TEST(ClearOperations, ColourBufferIsCleared) {
  GL_TEST_CONTEXT();
  clearColorBufferPacked(0xFFFF00);
  Pixel p = centrePixel();
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 254);
  EXPECT_EQ(p.b, 254);
  // 200/256 stored in 8 bits is 199, not 200.
  clearColorBuffer(32, 64, 200);
  p = centrePixel();
  EXPECT_EQ(p.r, 32);
  EXPECT_EQ(p.g, 64);
  EXPECT_EQ(p.b, 199);
}

TEST(ClearOperations, DepthClearLeavesColour) {
  GL_TEST_CONTEXT();
  clearColorBuffer(10, 20, 30);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);  // a colour clear now would turn the buffer red
  glClearDepth(0.25);
  glClear(GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);
  clearDepthBuffer();
  Pixel p = centrePixel();
  EXPECT_EQ(p.r, 10);
  EXPECT_EQ(p.g, 20);
  EXPECT_EQ(p.b, 30);
  float depth = 0.0f;
  glReadPixels(DEFAULT_SCREEN_WIDTH / 2, DEFAULT_SCREEN_HEIGHT / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_FLOAT_EQ(depth, 1.0f);
}

// readFrame reads the whole frame being drawn, at whatever size the screen has; the screen
// is the largest 4:3 picture of 4k x 3k pixels that fits the frame asked for.
TEST(ClearOperations, ReadFrameReadsTheWholeScreenAtEverySize) {
  GL_TEST_CONTEXT();
  const struct {
    int frameWidth, frameHeight, width, height;
  } sizes[] = {{1920, 1080, 1440, 1080}, {1024, 768, 1024, 768}, {641, 479, 636, 477},
               {100, 50, 320, 240}, {10000, 9000, 4096, 3072}, {0, 0, 1024, 768}};
  for (const auto& size : sizes) {
    int width = 0, height = 0;
    fitScreenSize(size.frameWidth ? size.frameWidth : 1024, size.frameHeight ? size.frameHeight : 768,
                  &width, &height);
    EXPECT_EQ(width, size.width) << size.frameWidth << "x" << size.frameHeight;
    EXPECT_EQ(height, size.height) << size.frameWidth << "x" << size.frameHeight;
  }
  for (const auto& size : {sizes[0], sizes[2], sizes[5]}) {
    EXPECT_TRUE(setScreenSize(size.frameWidth, size.frameHeight));
    ASSERT_EQ(screenWidth(), size.width);
    ASSERT_EQ(screenHeight(), size.height);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], size.width);
    EXPECT_EQ(viewport[3], size.height);
    std::vector<unsigned char> pixels((size_t)size.width * size.height * 3 + 3, 7);
    clearColorBuffer(1, 2, 3);
    readFrame(pixels.data());
    const unsigned char* last = pixels.data() + pixels.size() - 6;
    EXPECT_EQ(pixels[0], 1);
    EXPECT_EQ(pixels[2], 3);
    EXPECT_EQ(last[0], 1);
    EXPECT_EQ(last[2], 3);
    EXPECT_EQ(pixels.back(), 7) << "read past the screen";
  }
}
