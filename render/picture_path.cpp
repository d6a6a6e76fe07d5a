// The picture path's switch: each operation of render/picture_path.h (and the drawing ones
// of render/render.h) goes to the back end the context was made for. Owns glStateReady.
#include <cstdlib>

#include "platform/display.h"
#include "render/es3.h"
#include "render/gl1.h"

int glStateReady;

#ifdef SHOW_SHADER_PATH_ONLY
// Built with the shader back end alone (the web page, on WebGL 2): every context is the
// shader path's, and the fixed-function calls are neither reached nor linked (decltype
// names a call's type without calling it).
static bool shaderPath() { return true; }
#define GL1(call) (std::abort(), decltype(call)())
#else
// True on the shader path (OpenGL ES 3.0, or the same sources on 3.3 core).
static bool shaderPath() { return pathRenderer() != RendererGl1; }
#define GL1(call) (call)
#endif

int initGlState() { return shaderPath() ? es3InitGlState() : GL1(gl1InitGlState()); }

void releaseShaderProgram() {
  if (shaderPath())
    es3ReleaseShaderProgram();
  else
    GL1(gl1ReleaseShaderProgram());
}

void applyProjection(Camera* cam) {
  if (shaderPath())
    es3ApplyProjection(cam);
  else
    GL1(gl1ApplyProjection(cam));
}

void drawMesh(Mesh* mesh) {
  if (shaderPath())
    es3DrawMesh(mesh);
  else
    GL1(gl1DrawMesh(mesh));
}

void performCommand(int32_t code) {
  if (shaderPath())
    es3PerformCommand(code);
  else
    GL1(gl1PerformCommand(code));
}

void drawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode) {
  if (shaderPath())
    es3DrawScreenQuad(texture, x0, y0, x1, y1, mode);
  else
    GL1(gl1DrawScreenQuad(texture, x0, y0, x1, y1, mode));
}

void createGlowTargets() {
  if (shaderPath())
    es3CreateGlowTargets();
  else
    GL1(gl1CreateGlowTargets());
  glowTargetsWidth = screenWidth();
  glowTargetsHeight = screenHeight();
}

// The same calls on every context.
void releaseGlowTargets() {
  if (glowTargetsReady) glDeleteTextures(8, glowTargets);
  for (GLuint& name : glowTargets) name = 0;
  glowTargetsReady = false;
}

void captureScene() {
  if (sceneCaptured) return;
  int width = 0, height = 0;
  glowLevelSize(0, &width, &height);
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawRenderQueue();
  glBindTexture(GL_TEXTURE_2D, glowTargets[0]);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, width, height, 0);
  glViewport(0, 0, screenWidth(), screenHeight());
  sceneCaptured = true;
}

void buildGlowChain() {
  if (shaderPath())
    es3BuildGlowChain();
  else
    GL1(gl1BuildGlowChain());
}

void drawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive) {
  if (shaderPath())
    es3DrawGlowLevels(x0, y0, x1, y1, alpha, additive);
  else
    GL1(gl1DrawGlowLevels(x0, y0, x1, y1, alpha, additive));
}

void drawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture) {
  if (shaderPath())
    es3DrawTintedQuad(x0, y0, x1, y1, r, g, b, a, texture);
  else
    GL1(gl1DrawTintedQuad(x0, y0, x1, y1, r, g, b, a, texture));
}

void drawRowJitterGrid() {
  if (shaderPath())
    es3DrawRowJitterGrid();
  else
    GL1(gl1DrawRowJitterGrid());
}

bool performBlendCommand(int32_t code) {
  switch (code) {
    case BlendAdditive:
      glDepthMask(GL_FALSE);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      return true;
    case BlendMultiply:
      glDepthMask(GL_FALSE);
      glEnable(GL_BLEND);
      glBlendFunc(GL_ZERO, GL_SRC_COLOR);
      return true;
    case BlendAlpha:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDepthMask(GL_FALSE);
      return true;
    case BlendAlphaDepthWrite:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDepthMask(GL_TRUE);
      return true;
    case CullOn: glEnable(GL_CULL_FACE); return true;
    case CullOff: glDisable(GL_CULL_FACE); return true;
    case BlendOff:
      glDisable(GL_BLEND);
      glDepthMask(GL_TRUE);
      return true;
    default: return false;
  }
}

void applyQuadMode(int32_t mode) {
  if (mode == QuadKeepBlending) return;
  glEnable(GL_BLEND);
  switch (mode) {
    case QuadOpaque: glDisable(GL_BLEND); break;
    case QuadAdditive: glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
    case QuadMultiply: glBlendFunc(GL_ZERO, GL_SRC_COLOR); break;
    case QuadAlpha: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    default: break;   // blending with the function last set
  }
}

GLuint makeBlackTexture(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat) {
  unsigned char* black = (unsigned char*)std::calloc((size_t)width * height, 4);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, pixelFormat, GL_UNSIGNED_BYTE, black);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
  std::free(black);
  return name;
}

const char* const COMPOSITE_SAMPLERS[COMPOSITE_UNITS] = {"picture", "level3", "level4", "level5",
                                                       "level6",  "level7", "border"};

// The same call on every context.
void setColourMask(bool red, bool green, bool blue, bool alpha) { glColorMask(red, green, blue, alpha); }

void uploadTexturePicture(const RawImage* image) {
  if (shaderPath())
    es3UploadTexturePicture(image);
  else
    GL1(gl1UploadTexturePicture(image));
}

bool fastTailEntryPointsThere() { return shaderPath() ? es3FastTailEntryPointsThere() : GL1(gl1FastTailEntryPointsThere()); }

const char* setUpCompositeProgram() { return shaderPath() ? es3SetUpCompositeProgram() : GL1(gl1SetUpCompositeProgram()); }

void composeByProgram(float fadeKeep, TextureId border) {
  if (shaderPath())
    es3ComposeByProgram(fadeKeep, border);
  else
    GL1(gl1ComposeByProgram(fadeKeep, border));
}

void releaseCompositeProgram() {
  if (shaderPath())
    es3ReleaseCompositeProgram();
  else
    GL1(gl1ReleaseCompositeProgram());
}

bool setUpProcessorTail(bool programSwitch) {
  return shaderPath() ? es3SetUpProcessorTail() : GL1(gl1SetUpProcessorTail(programSwitch));
}

void sampleBorder(TextureId border) {
  if (shaderPath())
    es3SampleBorder(border);
  else
    GL1(gl1SampleBorder(border));
}

bool composeByProcessor(float fadeKeep, GLuint border) {
  return shaderPath() ? es3ComposeByProcessor(fadeKeep, border) : GL1(gl1ComposeByProcessor(fadeKeep, border));
}

void releaseProcessorTail() {
  if (shaderPath())
    es3ReleaseProcessorTail();
  else
    GL1(gl1ReleaseProcessorTail());
}

void leaveFastTailState(float fadeKeep, TextureId white) {
  if (shaderPath())
    es3LeaveFastTailState(fadeKeep, white);
  else
    GL1(gl1LeaveFastTailState(fadeKeep, white));
}
