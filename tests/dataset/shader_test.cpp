// The hair shader pair of the data set on the software GL context: it compiles and links
// without a word from the driver, declares what the program sets, and lights hair along its
// tangent through the lookup picture, with the tangent's sign intact.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <string>
#include <vector>

#include "dataset_support.h"
#include "platform/platform.h"
#include "support/gl_context.h"

namespace {

struct ShaderApi {
  PFNGLCREATESHADEROBJECTARBPROC createShader;
  PFNGLSHADERSOURCEARBPROC source;
  PFNGLCOMPILESHADERARBPROC compile;
  PFNGLGETOBJECTPARAMETERIVARBPROC parameter;
  PFNGLGETINFOLOGARBPROC infoLog;
  PFNGLCREATEPROGRAMOBJECTARBPROC createProgram;
  PFNGLATTACHOBJECTARBPROC attach;
  PFNGLLINKPROGRAMARBPROC link;
  PFNGLUSEPROGRAMOBJECTARBPROC use;
  PFNGLGETUNIFORMLOCATIONARBPROC uniformLocation;
  PFNGLUNIFORM4FARBPROC uniform4f;
  PFNGLUNIFORM1IARBPROC uniform1i;
  PFNGLACTIVETEXTUREARBPROC activeTexture;
};

ShaderApi fetchApi() {
  ShaderApi a;
  a.createShader = (PFNGLCREATESHADEROBJECTARBPROC)glProcAddress("glCreateShaderObjectARB");
  a.source = (PFNGLSHADERSOURCEARBPROC)glProcAddress("glShaderSourceARB");
  a.compile = (PFNGLCOMPILESHADERARBPROC)glProcAddress("glCompileShaderARB");
  a.parameter = (PFNGLGETOBJECTPARAMETERIVARBPROC)glProcAddress("glGetObjectParameterivARB");
  a.infoLog = (PFNGLGETINFOLOGARBPROC)glProcAddress("glGetInfoLogARB");
  a.createProgram = (PFNGLCREATEPROGRAMOBJECTARBPROC)glProcAddress("glCreateProgramObjectARB");
  a.attach = (PFNGLATTACHOBJECTARBPROC)glProcAddress("glAttachObjectARB");
  a.link = (PFNGLLINKPROGRAMARBPROC)glProcAddress("glLinkProgramARB");
  a.use = (PFNGLUSEPROGRAMOBJECTARBPROC)glProcAddress("glUseProgramObjectARB");
  a.uniformLocation = (PFNGLGETUNIFORMLOCATIONARBPROC)glProcAddress("glGetUniformLocationARB");
  a.uniform4f = (PFNGLUNIFORM4FARBPROC)glProcAddress("glUniform4fARB");
  a.uniform1i = (PFNGLUNIFORM1IARBPROC)glProcAddress("glUniform1iARB");
  a.activeTexture = (PFNGLACTIVETEXTUREARBPROC)glProcAddress("glActiveTextureARB");
  return a;
}

std::string logOf(const ShaderApi& a, GLhandleARB object) {
  char log[4096] = {0};
  a.infoLog(object, sizeof log, nullptr, log);
  return log;
}

// Compiles one source file of the data set; its info log goes to *log.
GLhandleARB compileFile(const ShaderApi& a, const std::string& path, GLenum kind, std::string* log) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(readWholeFile(path, &bytes)) << path;
  std::string text(bytes.begin(), bytes.end());
  const GLcharARB* source = text.c_str();
  GLhandleARB shader = a.createShader(kind);
  a.source(shader, 1, &source, nullptr);
  a.compile(shader);
  GLint ok = 0;
  a.parameter(shader, GL_OBJECT_COMPILE_STATUS_ARB, &ok);
  *log = logOf(a, shader);
  EXPECT_EQ(ok, 1) << path << ":\n" << *log;
  return shader;
}

// The driver's log may be empty or hold only a blank line; anything else is a complaint.
bool quiet(const std::string& log) { return log.find_first_not_of(" \t\r\n") == std::string::npos; }

GLhandleARB buildProgram(const ShaderApi& a, const std::string& data) {
  std::string vertexLog, fragmentLog;
  GLhandleARB vertex = compileFile(a, data + "/aniso_light.vert", GL_VERTEX_SHADER_ARB, &vertexLog);
  GLhandleARB fragment = compileFile(a, data + "/aniso_light.frag", GL_FRAGMENT_SHADER_ARB, &fragmentLog);
  EXPECT_TRUE(quiet(vertexLog)) << vertexLog;
  EXPECT_TRUE(quiet(fragmentLog)) << fragmentLog;
  GLhandleARB program = a.createProgram();
  a.attach(program, vertex);
  a.attach(program, fragment);
  a.link(program);
  GLint linked = 0;
  a.parameter(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  std::string linkLog = logOf(a, program);
  EXPECT_EQ(linked, 1) << linkLog;
  EXPECT_TRUE(quiet(linkLog)) << linkLog;
  return program;
}

}  // namespace

TEST(HairShader, CompilesAndLinksWithoutWarningsAndDeclaresItsUniforms) {
  std::string why;
  const std::string data = generatedDataSet(&why);
  ASSERT_FALSE(data.empty()) << why;
  GL_TEST_CONTEXT();
  ShaderApi a = fetchApi();
  ASSERT_TRUE(a.createShader && a.link && a.uniformLocation);
  GLhandleARB program = buildProgram(a, data);
  for (const char* name : {"lightVector", "Texture0", "Texture1"})
    EXPECT_GE(a.uniformLocation(program, name), 0) << name << " is not an active uniform";
}

// Draws a small quad whose every vertex carries 'tangent' as its colour, through the shader,
// with a grey surface and the data set's lookup picture; returns the centre pixel.
static std::vector<float> litPixel(const ShaderApi& a, GLhandleARB program, float tx, float ty, float tz) {
  glViewport(0, 0, 16, 16);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // The quad stands half a unit in front of the eye: at the centre the view points straight
  // back along +z.
  const float positions[] = {-1, -1, -0.5f, 1, -1, -0.5f, 1, 1, -0.5f, -1, 1, -0.5f};
  const float texCoords[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const float colours[] = {tx, ty, tz, tx, ty, tz, tx, ty, tz, tx, ty, tz};
  a.use(program);
  a.uniform4f(a.uniformLocation(program, "lightVector"), -0.3713907f, -0.5570860f, -0.7427813f, 0);
  a.uniform1i(a.uniformLocation(program, "Texture0"), 0);
  a.uniform1i(a.uniformLocation(program, "Texture1"), 1);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, positions);
  glTexCoordPointer(3, GL_FLOAT, 0, texCoords);
  glColorPointer(3, GL_FLOAT, 0, colours);
  glDrawArrays(GL_QUADS, 0, 4);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  a.use(0);
  std::vector<float> rgb(3);
  glReadPixels(8, 8, 1, 1, GL_RGB, GL_FLOAT, rgb.data());
  return rgb;
}

static GLuint uploadTexture(const std::vector<uint8_t>& rgba, int w, int h) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

TEST(HairShader, LightsAlongTheTangentWithABlueHighlight) {
  std::string why;
  const std::string data = generatedDataSet(&why);
  ASSERT_FALSE(data.empty()) << why;
  GL_TEST_CONTEXT();
  ShaderApi a = fetchApi();
  ASSERT_TRUE(a.activeTexture);
  GLhandleARB program = buildProgram(a, data);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  RawPicture lookup = readPicture(data, pictureEntry("blue_aniso_64x64.raw"));
  ASSERT_EQ(lookup.width, 64);
  a.activeTexture(GL_TEXTURE1_ARB);
  uploadTexture(lookup.rgba, 64, 64);
  a.activeTexture(GL_TEXTURE0_ARB);
  uploadTexture(std::vector<uint8_t>(4 * 4 * 4, 128), 4, 4);   // mid-grey surface

  const float L[3] = {0.3713907f, 0.5570860f, 0.7427813f};   // toward the light
  // Across the light (tangent along x): fully lit, and since the view is across the hair too
  // the highlight is there, in blue.
  std::vector<float> across = litPixel(a, program, 1, 0, 0);
  // Along the light, either way round: no diffuse light, only the unlit share of the surface.
  std::vector<float> along = litPixel(a, program, L[0], L[1], L[2]);
  std::vector<float> against = litPixel(a, program, -L[0], -L[1], -L[2]);
  // No tangent at all (a mesh without tangents): still drawn, not black or NaN.
  std::vector<float> none = litPixel(a, program, 0, 0, 0);

  EXPECT_GT(across[0], 0.4f);
  EXPECT_GT(across[2], across[0] + 0.03f) << "the highlight is not blue";
  EXPECT_LT(along[0], across[0] * 0.6f);
  EXPECT_GT(along[0], 0.05f) << "unlit hair should keep some colour";
  for (int c = 0; c < 3; ++c) {
    // A negative tangent must arrive as it is: clamped to zero it would be lit like 'none'.
    EXPECT_NEAR(against[c], along[c], 0.03f) << c;
    EXPECT_TRUE(std::isfinite(none[c]));
  }
  EXPECT_GT(none[0], 0.2f);
}
