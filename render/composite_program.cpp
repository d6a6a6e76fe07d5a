// The fast tail's fragment-program composite, for graphics hardware. The screen picture is
// copied into a texture and one fragment program reads it with glow levels 3 to 7 and the
// border and writes the finished pixel. The program repeats the 8-bit arithmetic of the
// blended passes step by step (each product rounded to the nearest byte, each sum clamped
// at 255), so it lands within a step or two of the plain tail; the differences left come
// from sampling the glow levels in a program rather than in the fixed pipeline.
// Owns the program's source, the program, its uniform locations and the picture texture.
#include "render/fast_tail_internal.h"

#include <cstdio>

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

constexpr int PICTURE_UNIT = 0, FIRST_GLOW_UNIT = 1, BORDER_UNIT = 6, UNITS_USED = 7;

// Byte arithmetic as the blending of an 8-bit framebuffer does it: each pass rounds. The
// screen's size and the picture texture's are written in (%d) when the program is built.
const char* const COMPOSITE_SOURCE =
    "uniform sampler2D picture, level3, level4, level5, level6, level7, border;\n"
    "uniform float fadeKeep, borderShown;\n"
    "vec3 bytes(vec4 texel) { return floor(texel.rgb * 255.0 + 0.5); }\n"
    "vec3 scaled(vec3 a, vec3 b) { return floor(a * b / 255.0 + 0.5); }\n"
    "vec3 glow(vec3 c, sampler2D level, vec2 uv) {\n"
    "  return min(c + scaled(bytes(texture2D(level, uv)), vec3(31.0)), 255.0);\n"
    "}\n"
    "void main() {\n"
    "  vec2 uv = gl_FragCoord.xy / vec2(%d.0, %d.0);\n"
    "  vec3 c = bytes(texture2D(picture, gl_FragCoord.xy / vec2(%d.0, %d.0)));\n"
    "  c = scaled(c, vec3(127.0));\n"
    "  c = glow(c, level3, uv);\n"
    "  c = glow(c, level4, uv);\n"
    "  c = glow(c, level5, uv);\n"
    "  c = glow(c, level6, uv);\n"
    "  c = glow(c, level7, uv);\n"
    "  c = scaled(c, vec3(fadeKeep));\n"
    "  vec3 b = bytes(texture2D(border, vec2(uv.x, 1.0 - uv.y)));\n"
    "  c = scaled(c, mix(vec3(255.0), b, borderShown));\n"
    "  gl_FragColor = vec4(c / 255.0, 1.0);\n"
    "}\n";

// Compiles and links the composite program for a screen of width x height, its picture in a
// texture of textureWidth x textureHeight, and sets its samplers; an empty string on success.
const char* buildCompositeProgram(int width, int height, int textureWidth, int textureHeight) {
  char source[2048];
  std::snprintf(source, sizeof source, COMPOSITE_SOURCE, width, height, textureWidth, textureHeight);
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
  static const char* const samplers[UNITS_USED] = {"picture", "level3", "level4", "level5",
                                                   "level6",  "level7", "border"};
  for (int unit = 0; unit < UNITS_USED; ++unit)
    ext::glUniform1iARB(ext::glGetUniformLocationARB(compositeProgram, samplers[unit]), unit);
  fadeKeepLocation = ext::glGetUniformLocationARB(compositeProgram, "fadeKeep");
  borderShownLocation = ext::glGetUniformLocationARB(compositeProgram, "borderShown");
  ext::glUseProgramObjectARB(previous);
  return "";
}

}  // namespace

const char* setUpCompositeProgram() {
  GLint imageUnits = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &imageUnits);
  if (imageUnits < UNITS_USED) return "too few texture units";
  releaseCompositeProgram();
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

void composeByProgram(float fadeKeep, TextureId border) {
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

void releaseCompositeProgram() {
  if (compositeProgram && ext::glDeleteObjectARB) ext::glDeleteObjectARB(compositeProgram);
  if (pictureTexture) glDeleteTextures(1, &pictureTexture);
  compositeProgram = 0;
  pictureTexture = 0;
  fadeKeepLocation = -1;
  borderShownLocation = -1;
}
