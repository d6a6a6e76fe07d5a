// The fast frame tail: choosing it and dispatching to its composite. The plain tail lays
// seven blended full-screen quads over the picture on an ordinary frame (veil, glow levels 3
// to 7, border; eight with scene 1's fade-in), and on a software renderer each of them reads
// and writes every pixel of the screen. This tail draws the glow capture and the queue as
// the plain one does, then composes veil, glow, fade veil and border in one go: with one
// fragment program on graphics hardware (render/composite_program.cpp), or on the processor
// from the picture read back on a software renderer (render/processor_tail.cpp).
//
// The closing sequence of the last six seconds stays with the plain tail: its cost is
// filling the three colour-masked 128x128 grids of the row jitter, which no merging saves
// (sending the grid as one vertex array instead of immediate mode made no difference).
//
// Owns the choice between the two tails (SHOW_EXACT, setExactPath) and the two composites,
// the check of what the driver offers, and the set-up and shutdown of both composites; the
// GL work of each goes through the picture path to the back end in use.
#include "render/fast_tail.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/fast_tail_internal.h"

namespace {

enum ExactChoice { ExactFromEnvironment, ExactPlainTail, ExactFastTail };
enum FastTailSupport { SupportNotLookedAt, SupportMissing, SupportThere };

FastTailSupport support = SupportNotLookedAt;   // on this context
ExactChoice exactOverride = ExactFromEnvironment;
int exactRequested = -1;            // SHOW_EXACT as read at the first question; -1 unread
bool simulateMissing;
FastCompositeChoice compositeOverride = ChooseCompositeByRenderer;
FastComposite composite = CompositeByProgram;
int setUpWidth, setUpHeight;        // the screen the composite was set up for

// True on the renderers that draw on the processor, where the processor composite wins.
bool softwareRenderer() {
  const char* renderer = (const char*)glGetString(GL_RENDERER);
  if (!renderer) return false;
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
    if (std::strstr(renderer, name)) return true;
  return false;
}

// Whether every glow level's texels span a power of two of screen pixels across (screens 512,
// 1024, 2048 or 4096 wide). Only there does the processor's magnification land where the
// renderer's does to the last step: at other spans the two round a few halves apart, which
// can add up to 3 over the five levels. The fragment program samples as the renderer does
// and composes at every size.
bool spansArePowersOfTwo() {
  for (int level = FIRST_GLOW_LEVEL; level < FIRST_GLOW_LEVEL + COMPOSITE_GLOW_LEVELS; ++level) {
    int width = 0, height = 0;
    glowLevelSize(level, &width, &height);
    int span = screenWidth() / width;
    if (span * width != screenWidth() || (span & (span - 1)) != 0) return false;
  }
  return true;
}

FastComposite chosenComposite() {
  switch (compositeOverride) {
    case ChooseCompositeByProgram: return CompositeByProgram;
    case ChooseCompositeByProcessor: return CompositeByProcessor;
    case ChooseCompositeByRenderer: break;
  }
  return softwareRenderer() && spansArePowersOfTwo() ? CompositeByProcessor : CompositeByProgram;
}

// Byte arithmetic as the blending of an 8-bit framebuffer does it: each pass rounds. The glow's
// weight, the screen's size, the picture texture's and the veil's weight are written in (%d)
// when the program is built.
const char* const COMPOSITE_SOURCE =
    "uniform sampler2D picture, level3, level4, level5, level6, level7, border;\n"
    "uniform float fadeKeep, borderShown;\n"
    "vec3 bytes(vec4 texel) { return floor(texel.rgb * 255.0 + 0.5); }\n"
    "vec3 scaled(vec3 a, vec3 b) { return floor(a * b / 255.0 + 0.5); }\n"
    "vec3 glow(vec3 c, sampler2D level, vec2 uv) {\n"
    "  return min(c + scaled(bytes(texture2D(level, uv)), vec3(%d.0)), 255.0);\n"
    "}\n"
    "void main() {\n"
    "  vec2 uv = gl_FragCoord.xy / vec2(%d.0, %d.0);\n"
    "  vec3 c = bytes(texture2D(picture, gl_FragCoord.xy / vec2(%d.0, %d.0)));\n"
    "  c = scaled(c, vec3(%d.0));\n"
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


// Why the fast tail cannot run on this context, or an empty string when it can.
const char* setUp() {
  composite = chosenComposite();
  if (simulateMissing) return "an extension or entry point is missing";
  setUpWidth = screenWidth();
  setUpHeight = screenHeight();
  if (composite == CompositeByProcessor)
    return setUpProcessorTail(fastTailEntryPointsThere()) ? "" : "no memory for the processor's pictures";
  if (!fastTailEntryPointsThere()) return "an extension or entry point is missing";
  return setUpCompositeProgram();
}

// The fade veil's alpha as the framebuffer sees it: the nearest byte.
float fadeKeepFor(float alpha) {
  if (alpha < 0.0f) alpha = 0.0f;
  if (alpha > 1.0f) alpha = 1.0f;
  return 255.0f - (float)(int)(alpha * 255.0f + 0.5f);
}

}  // namespace

void compositeSource(char* out, size_t size, int width, int height, int textureWidth, int textureHeight) {
  std::snprintf(out, size, COMPOSITE_SOURCE, GLOW_WEIGHT, width, height, textureWidth, textureHeight, VEIL_KEEP);
}

bool exactPathRequested() {
  if (exactRequested < 0) {
    const char* value = std::getenv(EXACT_PATH_VARIABLE);
    exactRequested = value && *value && std::strcmp(value, "0") != 0;
  }
  return exactRequested == 1;
}

void setExactPath(bool exact) { exactOverride = exact ? ExactPlainTail : ExactFastTail; }

bool fastTailReady() {
  bool exact = exactOverride != ExactFromEnvironment ? exactOverride == ExactPlainTail : exactPathRequested();
  if (exact) return false;
  if (support != SupportNotLookedAt && (setUpWidth != screenWidth() || setUpHeight != screenHeight())) {
    // The screen changed size: the composite is made again for the new one.
    releaseCompositeProgram();
    releaseProcessorTail();
    support = SupportNotLookedAt;
  }
  if (support == SupportNotLookedAt) {
    const char* problem = setUp();
    support = *problem ? SupportMissing : SupportThere;
    if (support == SupportMissing)
      std::fprintf(stderr, "fast frame tail unavailable at %dx%d (%s): drawing every pass as written\n",
                   setUpWidth, setUpHeight, problem);
  }
  return support == SupportThere;
}

void drawFastFrameTail(bool overlays, float fadeAlpha, TextureId white, TextureId border) {
  if (overlays && composite == CompositeByProcessor && textureName(border) != 0)
    sampleBorder(border);
  prepareGlow();
  drawRenderQueue();
  if (!overlays) return;
  float fadeKeep = fadeKeepFor(fadeAlpha);
  if (composite == CompositeByProcessor && !composeByProcessor(fadeKeep, textureName(border))) {
    // Sizes the composite does not take: this frame and the next ones as the plain tail
    // draws them.
    std::fprintf(stderr, "fast frame tail unavailable at %dx%d (the processor composite does not take "
                 "these sizes): drawing every pass as written\n", setUpWidth, setUpHeight);
    support = SupportMissing;
    drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, white);
    drawGlow(0, 0, 1, 1, 255, 1);
    if (fadeAlpha > 0.0f) drawTintedRect(0, 0, 1, 1, 0, 0, 0, fadeAlpha, white);
    drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
    return;
  }
  if (composite == CompositeByProgram) composeByProgram(fadeKeep, border);
  leaveFastTailState(fadeKeep, white);
}

void grabFinishedFrame(unsigned char* rgb) {
  if (processorFrameHeld())
    copyHeldFrame(rgb);
  else
    readFrame(rgb);
}

void setFastComposite(FastCompositeChoice choice) {
  shutdownFastTail();
  compositeOverride = choice;
}

FastComposite fastComposite() { return composite; }

void shutdownFastTail() {
  releaseCompositeProgram();
  releaseProcessorTail();
  compositeOverride = ChooseCompositeByRenderer;
  support = SupportNotLookedAt;
  exactOverride = ExactFromEnvironment;
  exactRequested = -1;
}

void simulateMissingFastTailSupport(bool missing) {
  shutdownFastTail();
  simulateMissing = missing;
}
