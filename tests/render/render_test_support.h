// Small helpers for the rendering tests: test textures in the texture table, hand-built
// meshes with their own GL buffers, pixel reads from the top of the screen.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/gl1.h"
#include "render/render_internal.h"
#include "support/gl_context.h"

// A GL texture of w x h RGBA pixels with nearest filtering, placed in table slot `slot`.
inline TextureId putTestTexture(int slot, int w, int h, const unsigned char* rgba) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  TextureTable[slot] = name;
  return slot;
}

inline TextureId putSolidTexture(int slot, unsigned char r, unsigned char g, unsigned char b,
                                 unsigned char a = 255) {
  const unsigned char pixel[4] = {r, g, b, a};
  return putTestTexture(slot, 1, 1, pixel);
}

struct Rgb {
  int r, g, b;
};

// The back-buffer pixel at column x, row y counted from the top of the window.
inline Rgb pixelAt(int x, int yFromTop) {
  unsigned char p[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, 767 - yFromTop, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

inline void expectPixelNear(Rgb got, Rgb want, int tolerance, const char* what) {
  EXPECT_NEAR(got.r, want.r, tolerance) << what;
  EXPECT_NEAR(got.g, want.g, tolerance) << what;
  EXPECT_NEAR(got.b, want.b, tolerance) << what;
}

inline void clearScreen(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A mesh of `frames` keyframes (plus the work slot) holding a square of side 2*half in the
// xy plane around its origin, at z = 0, facing the start-up camera; keyframe f is shifted
// by f * frameStep in x. Buffers are created here so the tests do not depend on the loaders.
inline void buildSquareMesh(Mesh* m, int frames, float half, float frameStep = 0.0f) {
  std::memset(m, 0, sizeof *m);
  m->vertexCount = 4;
  m->triangleCount = 2;
  m->frameCount = frames;
  m->texture = -1;
  m->vertices = (MeshVertex*)std::calloc((size_t)(frames + 1) * 4, sizeof(MeshVertex));
  m->triangles = (MeshTriangle*)std::calloc(2, sizeof(MeshTriangle));
  const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
  for (int f = 0; f <= frames; ++f)
    for (int i = 0; i < 4; ++i) {
      MeshVertex& v = m->vertices[f * 4 + i];
      v.x = corners[i][0] + frameStep * (float)(f < frames ? f : 0);
      v.y = corners[i][1];
      v.u = i == 1 || i == 2 ? 1.0f : 0.0f;
      v.v = i >= 2 ? 1.0f : 0.0f;
      v.nz = -1.0f;
    }
  // Counter-clockwise as the start-up camera sees it: back-face culling keeps it.
  m->triangles[0] = {0, 1, 2};
  m->triangles[1] = {0, 2, 3};
  ext::glGenBuffersARB(2, &m->vertexBuffer);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, m->vertexBuffer);
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB, 4 * sizeof(MeshVertex), m->vertices, GL_DYNAMIC_DRAW_ARB);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, m->indexBuffer);
  ext::glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 2 * sizeof(MeshTriangle), m->triangles,
                       GL_DYNAMIC_DRAW_ARB);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}

// The current contents of a mesh's vertex buffer.
inline std::vector<MeshVertex> vertexBufferContents(const Mesh* m) {
  auto getSubData = (PFNGLGETBUFFERSUBDATAARBPROC)glProcAddress("glGetBufferSubDataARB");
  std::vector<MeshVertex> out((size_t)m->vertexCount);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, m->vertexBuffer);
  getSubData(GL_ARRAY_BUFFER_ARB, 0, (GLsizeiptrARB)(out.size() * sizeof(MeshVertex)), out.data());
  return out;
}

// The start-up camera: at (0, 50, -100) looking along +z, the projection loaded.
inline void startUpCamera() {
  setCamera(0.0f, 50.0f, -100.0f, 0.0f, 0.0f, 0.0f);
  applyProjection(setProjection(&camera, 5, 1000, 240.0f));
}

// A working shader pair that meets what the show needs of its sources.
inline const char* const goodVertex =
    "uniform vec4 lightVector;\n"
    "varying vec3 tangent;\n"
    "void main() {\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  tangent = gl_Color.rgb;\n"
    "  gl_Position = ftransform();\n"
    "}\n";
inline const char* const goodFragment =
    "uniform sampler2D Texture0;\n"
    "uniform sampler2D Texture1;\n"
    "uniform vec4 lightVector;\n"
    "varying vec3 tangent;\n"
    "void main() {\n"
    "  float k = dot(tangent, lightVector.xyz) * 0.5 + 0.5;\n"
    "  gl_FragColor = texture2D(Texture0, gl_TexCoord[0].st) * texture2D(Texture1, vec2(k, 0.5));\n"
    "}\n";

// Points the shader build at the test pair written into the test's scratch folder.
inline void useTestShaderSources() {
  static std::string vertPath, fragPath;
  vertPath = scratchPath("aniso.vert");
  fragPath = scratchPath("aniso.frag");
  std::ofstream(vertPath, std::ios::binary) << goodVertex;
  std::ofstream(fragPath, std::ios::binary) << goodFragment;
  setShaderSourcePaths(vertPath.c_str(), fragPath.c_str());
}

// GL's own defaults for what the cases change and initGlState does not set, as in a fresh
// context: cases share one context in a test run.
inline void restoreDefaultDrawState() {
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDepthMask(GL_TRUE);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, DEFAULT_SCREEN_WIDTH, DEFAULT_SCREEN_HEIGHT);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  ext::glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, 0);
}

// Opens the test context and sets the fixed state with the test shader pair, GL's defaults
// for the rest and the render queue's state as at start; no GL error is left pending.
#define RENDER_TEST_SETUP()              \
  do {                                   \
    GL_TEST_CONTEXT();                   \
    useTestShaderSources();              \
    ASSERT_EQ(initGlState(), 1);         \
    restoreDefaultDrawState();           \
    resetRenderState();                  \
    ASSERT_EQ(glGetError(), (GLenum)GL_NO_ERROR); \
  } while (0)

inline void freeSquareMesh(Mesh* m) {
  ext::glDeleteBuffersARB(2, &m->vertexBuffer);
  std::free(m->vertices);
  std::free(m->triangles);
  std::memset(m, 0, sizeof *m);
}
