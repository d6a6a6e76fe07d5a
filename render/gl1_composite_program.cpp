// The GL 1.x back end's fragment-program composite of the fast tail, for graphics hardware. The screen picture is
// copied into a texture and one fragment program reads it with glow levels 3 to 7 and the
// border and writes the finished pixel. The program repeats the 8-bit arithmetic of the
// blended passes step by step (each product rounded to the nearest byte, each sum clamped
// at 255), so it lands within a step or two of the plain tail; the differences left come
// from sampling the glow levels in a program rather than in the fixed pipeline.
// The source is render/fast_tail.cpp's (both back ends build it). Owns the program, its uniform locations and the picture texture.
#include <cstdio>

#include "render/fast_tail_internal.h"
#include "render/gl1.h"

#include "platform/display.h"
#include "platform/platform.h"

#ifndef GL_MAX_TEXTURE_IMAGE_UNITS_ARB
#define GL_MAX_TEXTURE_IMAGE_UNITS_ARB 0x8872
#endif

namespace {

GLhandleARB compositeProgram;
GLint fadeKeepLocation = -1, borderShownLocation = -1;
GLuint pictureTexture;              // RGB, the screen picture in its lower rows
int pictureWidth, pictureHeight;    // the screen it was made for

constexpr int PICTURE_UNIT = 0, FIRST_GLOW_UNIT = 1, BORDER_UNIT = COMPOSITE_BORDER_UNIT, UNITS_USED = COMPOSITE_UNITS;

// Compiles and links the composite program for a screen of width x height, its picture in a
// texture of textureWidth x textureHeight, and sets its samplers; an empty string on success.
const char* buildCompositeProgram(int width, int height, int textureWidth, int textureHeight) {
  char source[2048];
  compositeSource(source, sizeof source, width, height, textureWidth, textureHeight);
  GLhandleARB shader = ext::glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
  if (!compileShaderObject(shader, source, nullptr)) {
    ext::glDeleteObjectARB(shader);
    return "the composite program does not compile";
  }
  compositeProgram = ext::glCreateProgramObjectARB();
  bool linked = linkProgramObject(compositeProgram, &shader, 1, nullptr);
  ext::glDeleteObjectARB(shader);   // freed with the program
  if (!linked) return "the composite program does not link";
  GLhandleARB previous = ext::glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
  ext::glUseProgramObjectARB(compositeProgram);
  for (int unit = 0; unit < UNITS_USED; ++unit)
    ext::glUniform1iARB(ext::glGetUniformLocationARB(compositeProgram, COMPOSITE_SAMPLERS[unit]), unit);
  fadeKeepLocation = ext::glGetUniformLocationARB(compositeProgram, "fadeKeep");
  borderShownLocation = ext::glGetUniformLocationARB(compositeProgram, "borderShown");
  ext::glUseProgramObjectARB(previous);
  return "";
}

}  // namespace

const char* gl1SetUpCompositeProgram() {
  GLint imageUnits = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &imageUnits);
  if (imageUnits < UNITS_USED) return "too few texture units";
  gl1ReleaseCompositeProgram();
  pictureWidth = screenWidth();
  pictureHeight = screenHeight();
  // The picture in a texture of its own size; a driver that knows only sides of powers of two
  // has a screen whose width is one (setScreenSize sees to it), and a square of it holds it.
  int textureHeight = glTexturesOfAnySize() ? pictureHeight : pictureWidth;
  const char* problem = buildCompositeProgram(pictureWidth, pictureHeight, pictureWidth, textureHeight);
  if (*problem) return problem;
  pictureTexture = makeBlackTexture(GL_RGB, pictureWidth, textureHeight, GL_RGB);
  return "";
}

void gl1ComposeByProgram(float fadeKeep, TextureId border) {
  glBindTexture(GL_TEXTURE_2D, pictureTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, pictureWidth, pictureHeight);
  GLuint textures[UNITS_USED] = {};
  textures[PICTURE_UNIT] = pictureTexture;
  for (int i = 0; i < 5; ++i) textures[FIRST_GLOW_UNIT + i] = glowTargets[FIRST_GLOW_LEVEL + i];
  textures[BORDER_UNIT] = textureName(border);
  GLint saved[UNITS_USED] = {};
  for (int unit = 0; unit < UNITS_USED; ++unit) {
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved[unit]);
    glBindTexture(GL_TEXTURE_2D, textures[unit]);
  }
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  GLhandleARB previous = ext::glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
  beginScreenPass();
  glDisable(GL_BLEND);
  glViewport(0, 0, pictureWidth, pictureHeight);
  ext::glUseProgramObjectARB(compositeProgram);
  ext::glUniform1fARB(fadeKeepLocation, fadeKeep);
  // Without its picture the border quad is drawn untextured in white: it changes nothing.
  ext::glUniform1fARB(borderShownLocation, textures[BORDER_UNIT] != 0 ? 1.0f : 0.0f);
  screenFractionQuad(0.0f, 0.0f, 1.0f, 1.0f);
  ext::glUseProgramObjectARB(previous);
  endScreenPass();
  for (int unit = UNITS_USED - 1; unit >= 0; --unit) {
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glBindTexture(GL_TEXTURE_2D, (GLuint)saved[unit]);
  }
}

void gl1ReleaseCompositeProgram() {
  if (compositeProgram && ext::glDeleteObjectARB) ext::glDeleteObjectARB(compositeProgram);
  if (pictureTexture) glDeleteTextures(1, &pictureTexture);
  compositeProgram = 0;
  pictureTexture = 0;
  fadeKeepLocation = -1;
  borderShownLocation = -1;
}

bool gl1FastTailEntryPointsThere() {
  bool there = ext::glActiveTextureARB && ext::glCreateShaderObjectARB && ext::glShaderSourceARB &&
               ext::glCompileShaderARB && ext::glCreateProgramObjectARB && ext::glAttachObjectARB &&
               ext::glLinkProgramARB && ext::glGetObjectParameterivARB && ext::glUseProgramObjectARB &&
               ext::glGetHandleARB && ext::glGetUniformLocationARB && ext::glUniform1iARB &&
               ext::glUniform1fARB && ext::glDeleteObjectARB;
  return there && glExtensionAvailable("GL_ARB_multitexture") &&
         glExtensionAvailable("GL_ARB_shader_objects") &&
         glExtensionAvailable("GL_ARB_fragment_shader");
}

void gl1LeaveFastTailState(float fadeKeep, TextureId white) {
  // What the last plain pass leaves: the glow's (or the fade veil's) colour, function, texture.
  glBlendFunc(GL_SRC_ALPHA, fadeKeep < 255.0f ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
  if (fadeKeep < 255.0f) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, textureName(white));
  } else {
    glColor4ub(255, 255, 255, 31);
    glBindTexture(GL_TEXTURE_2D, glowTargets[7]);
  }
}
