// The fast frame tail. The plain tail lays seven blended full-screen quads over the picture
// on an ordinary frame (veil, glow levels 3 to 7, border; eight with scene 1's fade-in), and
// on a software renderer each of them reads and writes every pixel of the screen. This tail
// draws the glow capture and the queue as the plain one does, copies the picture into a
// texture and lets one fragment program read the picture, glow levels 3 to 7 and the border
// and write the finished pixel. The program repeats the 8-bit arithmetic of the blended
// passes step by step (each product rounded to the nearest byte, each sum clamped at 255),
// so it lands within a step or two of the plain tail; the differences left come from
// sampling the glow levels in a program rather than in the fixed pipeline.
//
// On a software renderer the same composite is done by the processor instead
// (render/processor_composite.cpp): the picture and glow levels 3 to 7 are read back, the
// finished frame is composed row by row and drawn back as one unblended quad. That
// costs far less there than the program's seven texture reads per pixel, and asks nothing of
// the driver beyond reading pixels back. The border's sampling is taken once from the
// renderer (the border drawn over a white screen) and again only when a picture is uploaded.
//
// The closing sequence of the last six seconds stays with the plain tail: its cost is
// filling the three colour-masked 128x128 grids of the row jitter, which no merging saves
// (sending the grid as one vertex array instead of immediate mode made no difference).
//
// Owns the composite program, the picture and composed textures, the processor's picture
// buffers, its own GL entry points and the choice between the two tails and two composites.
#include "render/fast_tail.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/display.h"
#include "platform/platform.h"
#include "gl/extensions.h"
#include "render/processor_composite.h"
#include "render/render_internal.h"

#ifndef GL_MAX_TEXTURE_IMAGE_UNITS_ARB
#define GL_MAX_TEXTURE_IMAGE_UNITS_ARB 0x8872
#endif

namespace {

// Entry points of this file, fetched here so that the tail depends on nothing else's set-up.
PFNGLACTIVETEXTUREARBPROC activeTexture;
PFNGLCREATESHADEROBJECTARBPROC createShader;
PFNGLSHADERSOURCEARBPROC shaderSource;
PFNGLCOMPILESHADERARBPROC compileShader;
PFNGLCREATEPROGRAMOBJECTARBPROC createProgram;
PFNGLATTACHOBJECTARBPROC attachObject;
PFNGLLINKPROGRAMARBPROC linkProgram;
PFNGLGETOBJECTPARAMETERIVARBPROC getObjectParameter;
PFNGLUSEPROGRAMOBJECTARBPROC useProgram;
PFNGLGETHANDLEARBPROC getHandle;
PFNGLGETUNIFORMLOCATIONARBPROC uniformLocation;
PFNGLUNIFORM1IARBPROC uniform1i;
PFNGLUNIFORM1FARBPROC uniform1f;
PFNGLDELETEOBJECTARBPROC deleteObject;

int support = -1;                   // -1 not yet looked at on this context, 0 missing, 1 there
int exactOverride = -1;             // -1: follow SHOW_EXACT; 0 or 1 from setExactPath
int exactRequested = -1;            // SHOW_EXACT as read at the first question; -1 unread
bool simulateMissing;
int compositeOverride = -1;         // -1: by the renderer; else a FastComposite
FastComposite composite = CompositeByProgram;

GLhandleARB compositeProgram;
GLint fadeKeepLocation = -1, borderShownLocation = -1;
GLuint pictureTexture;              // 1024x1024 RGB, the screen picture in its lower 768 rows
GLuint composedTexture;             // 1024x768 RGBA, the processor's finished frame

// The processor's pictures, 4 bytes a pixel (blue, green, red, alpha), rows bottom-up.
unsigned char screenPixels[SCREEN_WIDTH * SCREEN_HEIGHT * 4];
unsigned char borderPixels[SCREEN_WIDTH * SCREEN_HEIGHT * 4];
unsigned char levelPixels[COMPOSITE_GLOW_LEVELS][(1024 >> 3) * (512 >> 3) * 4];
GLuint borderSampled;               // the border texture borderPixels was taken from; 0: none
uint32_t borderSampledUploads;      // textureUploads when it was taken

constexpr int PICTURE_UNIT = 0, FIRST_GLOW_UNIT = 1, BORDER_UNIT = 6, UNITS_USED = 7;
constexpr int FIRST_GLOW_LEVEL = 3; // ordinary frames show levels 3 to 7 (alpha 255)

// Byte arithmetic as the blending of an 8-bit framebuffer does it: each pass rounds.
const char* const COMPOSITE_SOURCE =
    "uniform sampler2D picture, level3, level4, level5, level6, level7, border;\n"
    "uniform float fadeKeep, borderShown;\n"
    "vec3 bytes(vec4 texel) { return floor(texel.rgb * 255.0 + 0.5); }\n"
    "vec3 scaled(vec3 a, vec3 b) { return floor(a * b / 255.0 + 0.5); }\n"
    "vec3 glow(vec3 c, sampler2D level, vec2 uv) {\n"
    "  return min(c + scaled(bytes(texture2D(level, uv)), vec3(31.0)), 255.0);\n"
    "}\n"
    "void main() {\n"
    "  vec2 uv = gl_FragCoord.xy / vec2(1024.0, 768.0);\n"
    "  vec3 c = bytes(texture2D(picture, gl_FragCoord.xy / 1024.0));\n"
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

template <typename T>
bool fetch(T* entry, const char* name) {
  *entry = simulateMissing ? nullptr : (T)glProcAddress(name);
  return *entry != nullptr;
}

bool fetchEntryPoints() {
  bool ok = fetch(&activeTexture, "glActiveTextureARB") &
            fetch(&createShader, "glCreateShaderObjectARB") & fetch(&shaderSource, "glShaderSourceARB") &
            fetch(&compileShader, "glCompileShaderARB") &
            fetch(&createProgram, "glCreateProgramObjectARB") &
            fetch(&attachObject, "glAttachObjectARB") & fetch(&linkProgram, "glLinkProgramARB") &
            fetch(&getObjectParameter, "glGetObjectParameterivARB") &
            fetch(&useProgram, "glUseProgramObjectARB") & fetch(&getHandle, "glGetHandleARB") &
            fetch(&uniformLocation, "glGetUniformLocationARB") & fetch(&uniform1i, "glUniform1iARB") &
            fetch(&uniform1f, "glUniform1fARB") & fetch(&deleteObject, "glDeleteObjectARB");
  return ok && glExtensionAvailable("GL_ARB_multitexture") &&
         glExtensionAvailable("GL_ARB_shader_objects") &&
         glExtensionAvailable("GL_ARB_fragment_shader");
}

// Compiles and links the composite program and sets its samplers; an empty string on success.
const char* buildCompositeProgram() {
  GLhandleARB shader = createShader(GL_FRAGMENT_SHADER_ARB);
  const GLcharARB* source = COMPOSITE_SOURCE;
  shaderSource(shader, 1, &source, nullptr);
  compileShader(shader);
  GLint status = 0;
  getObjectParameter(shader, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  if (!status) {
    deleteObject(shader);
    return "the composite program does not compile";
  }
  compositeProgram = createProgram();
  attachObject(compositeProgram, shader);
  linkProgram(compositeProgram);
  deleteObject(shader);   // freed with the program
  getObjectParameter(compositeProgram, GL_OBJECT_LINK_STATUS_ARB, &status);
  if (!status) return "the composite program does not link";
  GLhandleARB previous = getHandle(GL_PROGRAM_OBJECT_ARB);
  useProgram(compositeProgram);
  static const char* const samplers[UNITS_USED] = {"picture", "level3", "level4", "level5",
                                                   "level6",  "level7", "border"};
  for (int unit = 0; unit < UNITS_USED; ++unit)
    uniform1i(uniformLocation(compositeProgram, samplers[unit]), unit);
  fadeKeepLocation = uniformLocation(compositeProgram, "fadeKeep");
  borderShownLocation = uniformLocation(compositeProgram, "borderShown");
  useProgram(previous);
  return "";
}

// True on the renderers that draw on the processor, where the processor composite wins.
bool softwareRenderer() {
  const char* renderer = (const char*)glGetString(GL_RENDERER);
  if (!renderer) return false;
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
    if (std::strstr(renderer, name)) return true;
  return false;
}

GLuint makeTexture(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat) {
  static unsigned char black[1024 * 1024 * 4];
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, pixelFormat, GL_UNSIGNED_BYTE, black);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
  return name;
}

// Why the fast tail cannot run on this context, or an empty string when it can.
const char* setUp() {
  composite = compositeOverride >= 0 ? (FastComposite)compositeOverride
                                     : softwareRenderer() ? CompositeByProcessor : CompositeByProgram;
  if (simulateMissing) return "an extension or entry point is missing";
  if (composite == CompositeByProcessor) {
    // A current program, if any, is set aside while the frame is drawn back.
    if (!fetchEntryPoints()) getHandle = nullptr;
    composedTexture = makeTexture(GL_RGBA8, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA);
    return "";
  }
  if (!fetchEntryPoints()) return "an extension or entry point is missing";
  GLint imageUnits = 0;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &imageUnits);
  if (imageUnits < UNITS_USED) return "too few texture units";
  const char* problem = buildCompositeProgram();
  if (*problem) return problem;
  pictureTexture = makeTexture(GL_RGB, 1024, 1024, GL_RGB);
  return "";
}

// Veil, glow levels 3 to 7, fade veil and border in one pass over the whole screen.
// fadeKeep is 255 minus the fade veil's alpha byte (255 without a fade).
void composeByProgram(float fadeKeep, TextureId border) {
  GLuint textures[UNITS_USED] = {};
  textures[PICTURE_UNIT] = pictureTexture;
  for (int i = 0; i < 5; ++i) textures[FIRST_GLOW_UNIT + i] = glowTargets[FIRST_GLOW_LEVEL + i];
  textures[BORDER_UNIT] = textureName(border);
  GLint saved[UNITS_USED] = {};
  for (int unit = 0; unit < UNITS_USED; ++unit) {
    activeTexture(GL_TEXTURE0_ARB + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved[unit]);
    glBindTexture(GL_TEXTURE_2D, textures[unit]);
  }
  activeTexture(GL_TEXTURE0_ARB);
  GLhandleARB previous = getHandle(GL_PROGRAM_OBJECT_ARB);
  beginScreenPass();
  glDisable(GL_BLEND);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  useProgram(compositeProgram);
  uniform1f(fadeKeepLocation, fadeKeep);
  // Without its picture the border quad is drawn untextured in white: it changes nothing.
  uniform1f(borderShownLocation, textures[BORDER_UNIT] != 0 ? 1.0f : 0.0f);
  glBegin(GL_QUADS);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3f(float(SCREEN_WIDTH), 0.0f, 0.0f);
  glVertex3f(float(SCREEN_WIDTH), float(SCREEN_HEIGHT), 0.0f);
  glVertex3f(0.0f, float(SCREEN_HEIGHT), 0.0f);
  glEnd();
  useProgram(previous);
  endScreenPass();
  for (int unit = UNITS_USED - 1; unit >= 0; --unit) {
    activeTexture(GL_TEXTURE0_ARB + unit);
    glBindTexture(GL_TEXTURE_2D, (GLuint)saved[unit]);
  }
}

// The fade veil's alpha as the framebuffer sees it: the nearest byte.
float fadeKeepFor(float alpha) {
  if (alpha < 0.0f) alpha = 0.0f;
  if (alpha > 1.0f) alpha = 1.0f;
  return 255.0f - (float)(int)(alpha * 255.0f + 0.5f);
}

// The border as it lands on a white screen, taken from the renderer before the glow capture
// (whose clear wipes the screen anyway); again only when the border or any picture changed.
void sampleBorder(TextureId border) {
  GLuint name = textureName(border);
  if (name == borderSampled && borderSampledUploads == textureUploads) return;
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
  glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE, borderPixels);
  glPopAttrib();
  borderSampled = name;
  borderSampledUploads = textureUploads;
}

// Reads the picture and glow levels 3 to 7 back, composes the frame and draws it back.
void composeByProcessor(float fadeKeep, GLuint border) {
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE, screenPixels);
  GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    glBindTexture(GL_TEXTURE_2D, glowTargets[FIRST_GLOW_LEVEL + k]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, levelPixels[k]);
    levels[k] = {levelPixels[k], 1024 >> (FIRST_GLOW_LEVEL + k), 512 >> (FIRST_GLOW_LEVEL + k)};
  }
  composeFrame(screenPixels, levels, border ? borderPixels : nullptr, (int32_t)fadeKeep, screenPixels);
  if (frameGrabPixels && frameGrabOnly) {
    // The capture takes the frame from here: reading it back after drawing it would only
    // repeat these bytes.
    for (size_t i = 0; i < (size_t)SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
      frameGrabPixels[i * 3] = screenPixels[i * 4 + 2];
      frameGrabPixels[i * 3 + 1] = screenPixels[i * 4 + 1];
      frameGrabPixels[i * 3 + 2] = screenPixels[i * 4];
    }
    frameGrabFilled = true;
    return;
  }

  GLhandleARB previous = getHandle ? getHandle(GL_PROGRAM_OBJECT_ARB) : 0;
  if (previous) useProgram(0);
  glBindTexture(GL_TEXTURE_2D, composedTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE,
                  screenPixels);
  beginScreenPass();
  glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  // The screen pass runs y down: the top of the screen takes the picture's last row.
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(float(SCREEN_WIDTH), 0.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(float(SCREEN_WIDTH), float(SCREEN_HEIGHT), 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(0.0f, float(SCREEN_HEIGHT), 0.0f);
  glEnd();
  glPopAttrib();
  endScreenPass();
  if (previous) useProgram(previous);
}

void drawOrdinaryTail(bool overlays, float fadeAlpha, TextureId white, TextureId border) {
  if (overlays && composite == CompositeByProcessor && textureName(border) != 0)
    sampleBorder(border);
  prepareGlow();
  drawRenderQueue();
  if (!overlays) return;
  float fadeKeep = fadeKeepFor(fadeAlpha);
  if (composite == CompositeByProcessor) {
    composeByProcessor(fadeKeep, textureName(border));
  } else {
    glBindTexture(GL_TEXTURE_2D, pictureTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    composeByProgram(fadeKeep, border);
  }
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

}  // namespace

bool exactPathRequested() {
  if (exactRequested < 0) {
    const char* value = std::getenv(EXACT_PATH_VARIABLE);
    exactRequested = value && *value && std::strcmp(value, "0") != 0;
  }
  return exactRequested == 1;
}

void setExactPath(bool exact) { exactOverride = exact ? 1 : 0; }

bool fastTailReady() {
  bool exact = exactOverride >= 0 ? exactOverride == 1 : exactPathRequested();
  if (exact) return false;
  if (support < 0) {
    const char* problem = setUp();
    support = *problem ? 0 : 1;
    if (!support)
      std::fprintf(stderr, "fast frame tail unavailable (%s): drawing every pass as written\n", problem);
  }
  return support == 1;
}

void drawFastFrameTail(bool overlays, float fadeAlpha, TextureId white, TextureId border) {
  drawOrdinaryTail(overlays, fadeAlpha, white, border);
}

void setFastComposite(int choice) {
  shutdownFastTail();
  compositeOverride = choice;
}

FastComposite fastComposite() { return composite; }

void shutdownFastTail() {
  if (compositeProgram && deleteObject) deleteObject(compositeProgram);
  if (pictureTexture) glDeleteTextures(1, &pictureTexture);
  if (composedTexture) glDeleteTextures(1, &composedTexture);
  compositeProgram = 0;
  pictureTexture = 0;
  composedTexture = 0;
  borderSampled = 0;
  compositeOverride = -1;
  fadeKeepLocation = -1;
  borderShownLocation = -1;
  support = -1;
  exactOverride = -1;
  exactRequested = -1;
}

void simulateMissingFastTailSupport(bool missing) {
  shutdownFastTail();
  simulateMissing = missing;
}
