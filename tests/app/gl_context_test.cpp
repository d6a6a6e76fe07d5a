#include <gtest/gtest.h>
#include <GL/gl.h>

#include "platform/display.h"
#include "support/gl_context.h"

TEST(TestContext, OffscreenCompatibilityContext) {
  GL_TEST_CONTEXT();
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 768);
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 24);
}
