// The fixed GL state after initGlState, on a real software GL context, and its failure
// paths: no context (entry points missing) and releasing shader objects never made.
#include <gtest/gtest.h>
#include <cstdlib>

#include "platform/platform.h"
#include "render/render_internal.h"
#include "support/gl_context.h"

namespace {
// Message boxes raised while loading the shader must not wait for a person: without a
// display they go to stderr.
void noBoxDisplay() {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
}
// The shader set-up inside initGlState may leave GL errors behind when data/ lacks its
// sources; the checks below are about what comes after.
void drainGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}
}  // namespace

TEST(GlState, FixedStateAfterInit) {
  noBoxDisplay();
  GL_TEST_CONTEXT();
  glStateReady = 0;                   // as before the first initGlState, whatever ran before
  EXPECT_EQ(initGlState(), 1);
  EXPECT_EQ(glStateReady, 1);
  drainGlErrors();

  GLint value = 0;
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_BACK);
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);

  glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
  EXPECT_EQ(value, GL_TEXTURE0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  const GLenum coords[] = {GL_S, GL_T};
  for (GLenum coord : coords) {
    glGetTexGeniv(coord, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP) << "coordinate " << coord;
  }

  GLfloat clear[4] = {0, 0, 0, 0};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(clear[i], 0.5f) << "channel " << i;
  GLfloat depth = 0;
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
  EXPECT_FLOAT_EQ(depth, 1.0f);

  // Everything else keeps its default.
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// The five entry points are real functions of the context: a buffer made, filled and
// deleted through them, and the second texture unit selected and back.
TEST(GlState, EntryPointsWork) {
  noBoxDisplay();
  GL_TEST_CONTEXT();
  ASSERT_EQ(initGlState(), 1);
  drainGlErrors();
  ASSERT_NE(ext::glActiveTextureARB, nullptr);
  ASSERT_NE(ext::glBindBufferARB, nullptr);
  ASSERT_NE(ext::glGenBuffersARB, nullptr);
  ASSERT_NE(ext::glBufferDataARB, nullptr);
  ASSERT_NE(ext::glDeleteBuffersARB, nullptr);

  GLuint buffer = 0;
  ext::glGenBuffersARB(1, &buffer);
  ASSERT_NE(buffer, 0u);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
  const float data[15] = {1, 2, 3};
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof data, data, GL_STATIC_DRAW_ARB);
  auto getParameter = (PFNGLGETBUFFERPARAMETERIVARBPROC)glProcAddress("glGetBufferParameterivARB");
  auto isBuffer = (PFNGLISBUFFERARBPROC)glProcAddress("glIsBufferARB");
  ASSERT_NE(getParameter, nullptr);
  ASSERT_NE(isBuffer, nullptr);
  GLint size = 0;
  getParameter(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &size);
  EXPECT_EQ(size, (GLint)sizeof data);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  ext::glDeleteBuffersARB(1, &buffer);
  EXPECT_FALSE(isBuffer(buffer));

  ext::glActiveTextureARB(GL_TEXTURE1_ARB);
  GLint unit = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
  EXPECT_EQ(unit, GL_TEXTURE1);
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// Without a context the extensions cannot be found: initGlState reports both in boxes
// (here on stderr), sets no state and says so, so that the caller can stop in order.
TEST(GlState, MissingEntryPointsStopInit) {
  noBoxDisplay();
  testing::internal::CaptureStderr();
  EXPECT_EQ(initGlState(), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(glStateReady, 0);
  EXPECT_NE(err.find("ERROR: GL_ARB_multitexture extension was not found\n"), std::string::npos)
      << err;
  EXPECT_NE(err.find("ERROR: GL_ARB_vertex_buffer_object extension was not found\n"),
            std::string::npos)
      << err;
}

// Releasing with no shader objects (never loaded, or their set-up failed) touches nothing.
TEST(GlState, ReleaseWithoutShaderIsSafe) {
  noBoxDisplay();
  releaseShaderProgram();             // no context, no entry points yet
  GL_TEST_CONTEXT();
  releaseShaderProgram();             // a context, still no shader objects
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  ASSERT_EQ(initGlState(), 1);        // the shader may or may not build, depending on data/
  drainGlErrors();
  releaseShaderProgram();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
