#include <cmath>
#include <fstream>
#include <string>

#include "render_test_support.h"

namespace {

// Uses only the light vector: the sampler lookups must find nothing.
const char* const lightOnlyFragment =
    "uniform vec4 lightVector;\n"
    "void main() { gl_FragColor = vec4(-lightVector.xyz, 1.0); }\n";

std::string writeFile(const std::string& name, const std::string& text) {
  std::string path = scratchPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Builds the program from the given sources (null: the file is missing) and returns the
// message boxes shown meanwhile, as "caption: text" lines.
std::string buildProgram(const char* vertex, const char* fragment) {
  std::string vertPath = vertex ? writeFile("test.vert", vertex) : scratchPath("missing.vert");
  std::string fragPath = fragment ? writeFile("test.frag", fragment) : scratchPath("missing.frag");
  setShaderSourcePaths(vertPath.c_str(), fragPath.c_str());
  testing::internal::CaptureStderr();
  initGlState();
  std::string boxes = testing::internal::GetCapturedStderr();
  while (glGetError() != GL_NO_ERROR) {
  }                                    // lookups on a broken program may leave errors
  setShaderSourcePaths(nullptr, nullptr);
  return boxes;
}

// The show goes on: both shader commands and a draw run, and the state is usable.
void expectShowGoesOn() {
  EXPECT_EQ(glStateReady, 1);
  startUpCamera();
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 5.0f);
  mesh.position[1] = 50.0f;
  resetRenderQueue();
  queueCommand(AnisoShaderOn);
  queueMesh(&mesh);
  queueCommand(AnisoShaderOff);
  drawRenderQueue();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "a broken program is never made current";
  EXPECT_EQ(shaderPassActive, 0);
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(program, 0);
  releaseShaderProgram();
  freeSquareMesh(&mesh);
}

}  // namespace

TEST(ShaderProgram, GoodSourcesBuildWithoutMessagesAndSetUniforms) {
  GL_TEST_CONTEXT();
  const std::string boxes = buildProgram(goodVertex, goodFragment);
  EXPECT_EQ(boxes, "");
  ASSERT_NE(anisoProgram, 0u);
  EXPECT_NE(anisoVertexShader, 0u);
  EXPECT_NE(anisoFragmentShader, 0u);
  ASSERT_NE(lightVectorLocation, -1);
  ASSERT_NE(texture0Location, -1);
  ASSERT_NE(texture1Location, -1);
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0) << "building makes no program current";

  auto getUniformfv = (PFNGLGETUNIFORMFVARBPROC)glProcAddress("glGetUniformfvARB");
  auto getUniformiv = (PFNGLGETUNIFORMIVARBPROC)glProcAddress("glGetUniformivARB");
  for (int pass = 0; pass < 2; ++pass) {   // switched on twice: the same values twice
    resetRenderQueue();
    queueCommand(AnisoShaderOn);
    drawRenderQueue();
    float light[4] = {0, 0, 0, 1};
    getUniformfv(anisoProgram, lightVectorLocation, light);
    EXPECT_NEAR(light[0], -0.3713907f, 1e-6f);
    EXPECT_NEAR(light[1], -0.5570860f, 1e-6f);
    EXPECT_NEAR(light[2], -0.7427813f, 1e-6f);
    EXPECT_EQ(light[3], 0.0f);
    GLint unit0 = -1, unit1 = -1;
    getUniformiv(anisoProgram, texture0Location, &unit0);
    getUniformiv(anisoProgram, texture1Location, &unit1);
    EXPECT_EQ(unit0, 0);
    EXPECT_EQ(unit1, 1);
  }
  expectShowGoesOn();
}

TEST(ShaderProgram, UndeclaredSamplersAreSkipped) {
  GL_TEST_CONTEXT();
  EXPECT_EQ(buildProgram(goodVertex, lightOnlyFragment), "");
  EXPECT_NE(lightVectorLocation, -1);
  EXPECT_EQ(texture0Location, -1);
  EXPECT_EQ(texture1Location, -1);
  clearScreen(0, 0, 0);
  expectShowGoesOn();
}

TEST(ShaderProgram, FailuresShowTheirBoxAndTheShowGoesOn) {
  GL_TEST_CONTEXT();
  struct Case {
    const char* vertex;
    const char* fragment;
    const char* box;                   // must appear
  };
  const Case cases[] = {
      {goodVertex, nullptr, "ERROR: Cannot open shader file!\n"},
      {nullptr, goodFragment, "ERROR: Cannot open shader file!\n"},
      {"void main() { gl_Position = ftransform() }\n", goodFragment, "Vert Shader Compile Error: "},
      {goodVertex, "void main() { gl_FragColor = undefinedThing; }\n", "Frag Shader Compile Error: "},
      // Both compile; the vertex shader has no main, so only the link fails.
      {"uniform vec4 lightVector;\nvec4 helper() { return ftransform(); }\n", goodFragment,
       "Shader Linking Error: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    const std::string boxes = buildProgram(c.vertex, c.fragment);
    EXPECT_NE(boxes.find(c.box), std::string::npos) << boxes;
    EXPECT_NE(anisoProgram, 0u) << "the objects stay";
    expectShowGoesOn();
  }
  // A link failure alone shows only the link box.
  const std::string linkOnly =
      buildProgram("vec4 helper() { return ftransform(); }\n", goodFragment);
  EXPECT_EQ(linkOnly.find("Compile Error"), std::string::npos) << linkOnly;
}

TEST(ShaderProgram, MissingEntryPointsSkipTheProgramCalls) {
  RENDER_TEST_SETUP();
  // As after a failed extension check: no shader entry points, no objects.
  ext::glUseProgramObjectARB = nullptr;
  ext::glDeleteObjectARB = nullptr;
  anisoProgram = anisoVertexShader = anisoFragmentShader = 0;
  const TextureId map = putSolidTexture(8, 1, 2, 3);
  setShaderTexture(map);
  resetRenderQueue();
  queueCommand(AnisoShaderOn);
  drawRenderQueue();
  EXPECT_EQ(shaderPassActive, 1);
  ext::glActiveTextureARB(GL_TEXTURE1_ARB);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ((GLuint)bound, TextureTable[map]) << "the texture-unit changes stay";
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  // With no shader texture set, unit 1 gets name 0.
  setShaderTexture(-1);
  drawRenderQueue();
  ext::glActiveTextureARB(GL_TEXTURE1_ARB);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  resetRenderQueue();
  queueCommand(AnisoShaderOff);
  drawRenderQueue();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "a broken program is never made current";
  EXPECT_EQ(shaderPassActive, 0);
  releaseShaderProgram();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  loadGlEntryPoints();                 // the table as the context has it, for the cases after
}

TEST(ShaderProgram, SourceFilesReadWholeWithTextModeLineEnds) {
  char* text = nullptr;
  const std::string lf = writeFile("lf.vert", "void main()\n{\n}\n");
  readShaderFile(lf.c_str(), &text);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "void main()\n{\n}\n");
  std::free(text);

  // Carriage-return and line-feed pairs arrive as line feeds; a lone CR stays.
  const std::string crlf = writeFile("crlf.vert", "a\r\nb\rc\r\n");
  readShaderFile(crlf.c_str(), &text);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "a\nb\rc\n");
  std::free(text);

  const std::string empty = writeFile("empty.vert", "");
  readShaderFile(empty.c_str(), &text);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "");
  std::free(text);

  text = (char*)"not touched";
  testing::internal::CaptureStderr();
  readShaderFile(scratchPath("nothing.vert").c_str(), &text);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Cannot open shader file!\n");
  EXPECT_EQ(text, nullptr);
}

// The shader path translates the data set's pair for GLSL ES 3.00: a pair that uses every
// built-in the prelude supplies builds without a box and draws as the fixed pipeline's values
// say; one that uses a built-in it does not supply shows the compile box naming it, then the
// link box, and the hair is drawn as after a failed build.
TEST(ShaderProgram, ShaderPathTranslatesTheFixedFunctionBuiltIns) {
  ShaderPathContext es3(RendererEs3);
  ASSERT_TRUE(es3.open) << es3.why;
  const char* const everyVertex =
      "#version 110\n"
      "varying vec3 shade;\n"
      "void main() {\n"
      "  vec4 a = ftransform();\n"
      "  vec4 b = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
      "  vec4 c = gl_ProjectionMatrix * (gl_ModelViewMatrix * gl_Vertex);\n"
      "  gl_Position = (a + b + c) / 3.0;\n"
      "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
      "  shade = vec3(length(gl_NormalMatrix * gl_Normal), gl_Color.r + 1.0, 0.0);\n"
      "}\n";
  const char* const everyFragment =
      "uniform sampler2D Texture0;\n"
      "uniform sampler2D Texture1;\n"
      "varying vec3 shade;\n"
      "void main() {\n"
      "  gl_FragColor = vec4(gl_TexCoord[0].s * shade.x, shade.y * 0.5, texture2D(Texture1, vec2(0.5)).b, 1.0);\n"
      "}\n";
  std::string boxes = buildProgram(everyVertex, everyFragment);
  EXPECT_EQ(boxes, "");
  startUpCamera();
  putSolidTexture(1, 0, 0, 255);
  setShaderTexture(1);
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 20.0f);
  mesh.position[1] = 50.0f;
  glViewport(0, 0, DEFAULT_SCREEN_WIDTH, DEFAULT_SCREEN_HEIGHT);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  resetRenderQueue();
  queueCommand(AnisoShaderOn);
  queueMesh(&mesh);
  queueCommand(AnisoShaderOff);
  drawRenderQueue();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  // The middle of the square: s = 0.5, a unit normal, no tangent, the shader texture's blue.
  expectPixelNear(pixelAt(512, 384), {128, 128, 255}, 2, "the translated pair's pixel");
  expectPixelNear(pixelAt(5, 5), {0, 0, 0}, 0, "outside the square");

  boxes = buildProgram("void main() { gl_Position = ftransform() * gl_LightSource[0].position; }\n",
                       everyFragment);
  EXPECT_EQ(boxes.rfind("Vert Shader Compile Error: 0:1: gl_LightSource is not supplied", 0), 0u) << boxes;
  EXPECT_NE(boxes.find("Shader Linking Error: "), std::string::npos) << boxes;
  resetRenderQueue();
  queueCommand(AnisoShaderOn);
  queueMesh(&mesh);
  queueCommand(AnisoShaderOff);
  drawRenderQueue();
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "the hair drawn as after a failed build";
  freeSquareMesh(&mesh);
}
