// Post effects on the finished frame, as the front end sees them: the glow levels' sizes,
// the frame's seed, when the capture and the chain are made, what each overlay draws and the
// row jitter's random rows. The back ends draw them (render/picture_path.h). Owns glowTargets,
// glowTargetsReady, sceneCaptured, effectsSeed, rowOffset, gridCoord and the size the
// targets were made for.
#include "platform/display.h"
#include "render/render_internal.h"

GLuint glowTargets[8];
bool glowTargetsReady;
bool sceneCaptured;
int32_t effectsSeed;
float rowOffset[129];
float gridCoord[129];
int glowTargetsWidth, glowTargetsHeight;

void glowLevelSize(int level, int* width, int* height) {
  if (level <= 0) {
    *width = screenWidth();
    *height = screenHeight() * 2 / 3;
  } else {
    *width = GLOW_LEVEL1_WIDTH >> (level - 1);
    *height = GLOW_LEVEL1_HEIGHT >> (level - 1);
  }
}

int glowChainSteps(GlowChainStep steps[GLOW_CHAIN_MOST_STEPS]) {
  // A capture more than twice level 1's width is halved first, in level 1's target, until it
  // is not: a linear sample then falls at most every other texel, so none is skipped.
  int count = 0, width = 0, height = 0, firstWidth = 0, firstHeight = 0;
  glowLevelSize(0, &width, &height);
  glowLevelSize(1, &firstWidth, &firstHeight);
  int source = 0;
  while (width > 2 * firstWidth && count < GLOW_CHAIN_MOST_STEPS - 7) {
    width /= 2;
    height /= 2;
    steps[count++] = {source, 1, width, height};
    source = 1;
  }
  for (int i = 1; i < 8; ++i) {
    glowLevelSize(i, &width, &height);
    steps[count++] = {source, i, width, height};
    source = i;
  }
  return count;
}

void beginEffectsFrame(int32_t elapsedMs) {
  effectsSeed = elapsedMs;
  sceneCaptured = false;
}

void prepareGlow() {
  dropHeldFrame();
  if (glowTargetsReady && (glowTargetsWidth != screenWidth() || glowTargetsHeight != screenHeight()))
    releaseGlowTargets();         // the screen changed size: targets of the new one
  if (!glowTargetsReady) createGlowTargets();
  captureScene();
  buildGlowChain();
}

void drawGlow(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive) {
  drawGlowLevels(x0, y0, x1, y1, alpha, additive);
}

void drawTintedRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture) {
  drawTintedQuad(x0, y0, x1, y1, r, g, b, a, texture);
}

void drawRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance) {
  // A chance below 1 would divide by zero (or flip the sign of the remainder): use 1.
  if (jumpChance < 1) jumpChance = 1;
  if (decayChance < 1) decayChance = 1;
  gen::srand((uint32_t)effectsSeed);
  int32_t g = 0;
  for (int i = 128; i >= 0; --i) {
    if (gen::rand() % decayChance == 0)
      g = (int32_t)((double)(gen::rand() % 8) * (double)decay * 0.125 * (double)g);
    if (gen::rand() % jumpChance == 0)
      g = (int32_t)((double)(gen::rand() % 16 - 7) * (double)amplitude);
    rowOffset[i] = (float)g * 0.0009765625f;
    gridCoord[i] = (float)i * 0.0078125f;
  }
  drawRowJitterGrid();
}

void drawRgbRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance) {
  if (jumpChance == 0) jumpChance = 1;
  if (decayChance == 0) decayChance = 1;
  setColourMask(true, false, false, true);
  drawRowJitter(amplitude, decay, jumpChance, decayChance);
  setColourMask(false, true, false, true);
  drawRowJitter(amplitude * 0.8f, decay, jumpChance, decayChance);
  setColourMask(false, false, true, true);
  drawRowJitter(amplitude * 0.7f, decay, jumpChance, decayChance);
  setColourMask(true, true, true, true);
}
