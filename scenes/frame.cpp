// The frame sequence: clear, ask the scene clock, run the current scene's script, then the
// fixed tail (the queue on screen, veil and glow, scene 1's fade-in, the border, and after
// END_FADE_START_MS the closing sequence instead) and present. Owns SceneScripts, the
// scripts by scene number.
#include <cmath>

#include "platform/display.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"

const SceneScript SceneScripts[SCENE_COUNT + 1] = {
    nullptr,      scene1Script, scene2Script, scene3Script, scene4Script, scene5Script,
    scene6Script, scene7Script, scene8Script, scene9Script, scene10Script};

void runSceneScript(int32_t scene, int32_t t, float u) {
  // Scene 0, before the first table entry: the queue stays empty.
  if (scene > 0 && scene <= SCENE_COUNT) SceneScripts[scene](t, u);
}

void renderFrame(int32_t elapsed) {
  clearDepthBuffer();
  resetRenderQueue();
  clearColorBufferPacked(FRAME_CLEAR_RGB);
  int32_t scene = 0;
  int32_t t = 0;
  float u = 0;
  sceneClock(elapsed, scene, t, u);
  runSceneScript(scene, t, u);

  if (elapsed <= END_FADE_START_MS && fastTailReady()) {
    // Scene 2 goes without veil, glow and border; scene 1 fades in from black.
    float fadeAlpha = scene == 1 && t < FADE_IN_MS ? float(1.0 - double(t) * FADE_IN_PER_MS) : 0.0f;
    drawFastFrameTail(scene != 2, fadeAlpha, whiteTex, bords2Tex);
    swapFrame();
    return;
  }
  prepareGlow();
  if (elapsed > END_FADE_START_MS) {
    // Closing: the picture tears row by row and fades to black; q runs from 0 to about 1.
    double d = (double(float(elapsed)) - double(END_FADE_START_MS)) * END_FADE_PER_MS;
    float q = float(d * d);
    drawRgbRowJitter(15 * q, 1.8f, int32_t(64 * (1.0 - q)), 3);
    drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, whiteTex);
    drawGlow(0, 0, 1, 1, 255, 1);
    drawGlow(0, 0, 1, 1, int32_t(250.0 * q), 0);
    drawTintedRect(0, 0, 1, 1, 0, 0, 0, q, whiteTex);
  } else {
    drawRenderQueue();
    if (scene != 2) {
      drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, whiteTex);
      drawGlow(0, 0, 1, 1, 255, 1);
    }
  }
  if (scene == 1 && t < FADE_IN_MS) {
    drawTintedRect(0, 0, 1, 1, 0, 0, 0, float(1.0 - double(t) * FADE_IN_PER_MS), whiteTex);
  }
  if (scene != 2) drawScreenQuad(bords2Tex, 0, 0, 1.0f, 1.0f, QuadMultiply);
  swapFrame();
}
