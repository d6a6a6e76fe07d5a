// The shader back end's side of the fast frame tail. The fragment-program composite: the
// same GLSL 1.10 source the GL 1.x path builds (render/fast_tail.cpp), translated by the hair
// shader's prelude. The processor composite: the screen read back as RGBA (which every ES
// driver gives), the glow levels read back through a framebuffer object (ES has no
// glGetTexImage), composed by render/processor_composite.cpp and drawn back replacing the
// screen. Owns the composite program, its picture texture and the read-back framebuffer.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display.h"
#include "render/es3.h"

namespace {

GLuint compositeProgram, pictureTexture, readFramebuffer;
GLint fadeKeepAt = -1, borderShownAt = -1, projectionAt = -1;
int pictureWidth, pictureHeight;
constexpr int UNITS_USED = COMPOSITE_UNITS, BORDER_UNIT = COMPOSITE_BORDER_UNIT;

const char* const COMPOSITE_VERTEX =
    "in vec4 position;\n"
    "uniform mat4 projection;\n"
    "void main() { gl_Position = projection * position; }\n";

}  // namespace

bool es3FastTailEntryPointsThere() { return ext::glCreateProgram && ext::glGenFramebuffers; }

const char* es3SetUpCompositeProgram() {
  GLint imageUnits = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &imageUnits);
  if (imageUnits < UNITS_USED) return "too few texture units";
  es3ReleaseCompositeProgram();
  pictureWidth = screenWidth();
  pictureHeight = screenHeight();
  char source[2048];
  compositeSource(source, sizeof source, pictureWidth, pictureHeight, pictureWidth, pictureHeight);
  char problem[256];
  char* translated = translateShaderSource(source, true, problem, sizeof problem);
  if (!translated) return "the composite program cannot be translated";
  // The translation carries its own version line; es3BuildProgram puts one in front of the
  // body, so the body starts after it.
  const char* body = translated + std::strlen(es3ShaderPrefix());
  compositeProgram = es3BuildProgram(COMPOSITE_VERTEX, body);
  std::free(translated);
  if (!compositeProgram) return "the composite program does not build";
  es3UseProgram(compositeProgram);
  for (int unit = 0; unit < UNITS_USED; ++unit)
    ext::glUniform1i(ext::glGetUniformLocation(compositeProgram, COMPOSITE_SAMPLERS[unit]), unit);
  fadeKeepAt = ext::glGetUniformLocation(compositeProgram, "fadeKeep");
  borderShownAt = ext::glGetUniformLocation(compositeProgram, "borderShown");
  projectionAt = ext::glGetUniformLocation(compositeProgram, "projection");
  pictureTexture = makeBlackTexture(GL_RGB, pictureWidth, pictureHeight, GL_RGB);
  return "";
}

void es3ComposeByProgram(float fadeKeep, TextureId border) {
  glBindTexture(GL_TEXTURE_2D, pictureTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, pictureWidth, pictureHeight);
  GLuint textures[UNITS_USED] = {pictureTexture};
  for (int i = 0; i < 5; ++i) textures[1 + i] = glowTargets[FIRST_GLOW_LEVEL + i];
  textures[BORDER_UNIT] = textureName(border);
  for (int unit = 0; unit < UNITS_USED; ++unit) {
    ext::glActiveTextureARB(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, textures[unit] ? textures[unit] : es3Texture(0));
  }
  ext::glActiveTextureARB(GL_TEXTURE0);
  es3BeginScreenPass();
  glDisable(GL_BLEND);
  glViewport(0, 0, pictureWidth, pictureHeight);
  es3UseProgram(compositeProgram);
  glm::mat4 projection = es3PixelSpace();
  ext::glUniformMatrix4fv(projectionAt, 1, GL_FALSE, &projection[0][0]);
  ext::glUniform1f(fadeKeepAt, fadeKeep);
  // Without its picture the border quad is drawn untextured in white: it changes nothing.
  ext::glUniform1f(borderShownAt, textures[BORDER_UNIT] != 0 ? 1.0f : 0.0f);
  // The program reads its pixels by gl_FragCoord: the quad's texture coordinates go unused.
  const float w = (float)DEFAULT_SCREEN_WIDTH, h = (float)DEFAULT_SCREEN_HEIGHT;
  const Es3Corner corners[4] = {{0, 0, 0, 0}, {w, 0, 0, 0}, {w, h, 0, 0}, {0, h, 0, 0}};
  es3DrawCorners(corners);
  es3EndScreenPass();
  for (int unit = UNITS_USED - 1; unit > 0; --unit) {
    ext::glActiveTextureARB(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  ext::glActiveTextureARB(GL_TEXTURE0);
}

void es3ReleaseCompositeProgram() {
  if (compositeProgram && ext::glDeleteProgram) es3DeleteProgram(compositeProgram);
  if (pictureTexture) glDeleteTextures(1, &pictureTexture);
  compositeProgram = pictureTexture = 0;
  fadeKeepAt = borderShownAt = projectionAt = -1;
}

bool es3SetUpProcessorTail() {
  es3ReleaseProcessorTail();
  if (!holdProcessorBuffers(true)) return false;
  processorTail.composedTexture = makeBlackTexture(GL_RGBA, processorTail.width, processorTail.height, GL_RGBA);
  ext::glGenFramebuffers(1, &readFramebuffer);
  return true;
}

void es3SampleBorder(TextureId border) {
  GLuint name = textureName(border);
  if (name == processorTail.borderSampled && processorTail.borderSampledUploads == textureUploads) return;
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glm::vec4 colour = es3State.colour;
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  es3State.colour = glm::vec4(1.0f);
  glViewport(0, 0, processorTail.width, processorTail.height);
  drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, processorTail.width, processorTail.height, GL_RGBA, GL_UNSIGNED_BYTE, processorTail.borderPixels);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  es3State.colour = colour;
  processorTail.borderSampled = name;
  processorTail.borderSampledUploads = textureUploads;
}

bool es3ComposeByProcessor(float fadeKeep, GLuint border) {
  if (processorTail.width != screenWidth() || processorTail.height != screenHeight()) return false;
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, processorTail.width, processorTail.height, GL_RGBA, GL_UNSIGNED_BYTE, processorTail.screenPixels);
  // The glow levels through a framebuffer of their own, then the frame's framebuffer again.
  GLint drawn = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &drawn);
  ext::glBindFramebuffer(GL_FRAMEBUFFER, readFramebuffer);
  GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    int width = 0, height = 0;
    glowLevelSize(FIRST_GLOW_LEVEL + k, &width, &height);
    ext::glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, glowTargets[FIRST_GLOW_LEVEL + k], 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, processorTail.levelPixels[k]);
    levels[k] = {processorTail.levelPixels[k], width, height};
  }
  ext::glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  ext::glBindFramebuffer(GL_FRAMEBUFFER, (GLuint)drawn);
  if (!composeFrame(processorTail.screenPixels, levels, border ? processorTail.borderPixels : nullptr,
                    (int32_t)fadeKeep, processorTail.screenPixels))
    return false;
  processorTail.frameHeld = true;
  // Nobody sees the window (the capture tool): the frame is taken from memory.
  if (!displayShown()) return true;
  glBindTexture(GL_TEXTURE_2D, processorTail.composedTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, processorTail.width, processorTail.height, GL_RGBA, GL_UNSIGNED_BYTE,
                  processorTail.screenPixels);
  es3BeginScreenPass();
  glViewport(0, 0, processorTail.width, processorTail.height);
  es3DrawReplacing(processorTail.composedTexture);
  es3EndScreenPass();
  return true;
}

void es3ReleaseProcessorTail() {
  if (processorTail.composedTexture) glDeleteTextures(1, &processorTail.composedTexture);
  processorTail.composedTexture = 0;
  if (readFramebuffer && ext::glDeleteFramebuffers) ext::glDeleteFramebuffers(1, &readFramebuffer);
  readFramebuffer = 0;
  freeProcessorBuffers();
}

void es3LeaveFastTailState(float fadeKeep, TextureId) {
  // What the last plain pass leaves: the glow's (or the fade veil's) colour and function.
  glBlendFunc(GL_SRC_ALPHA, fadeKeep < 255.0f ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
  es3State.colour = fadeKeep < 255.0f ? glm::vec4(1.0f) : glm::vec4(1.0f, 1.0f, 1.0f, 31.0f / 255.0f);
}
