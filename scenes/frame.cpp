// The frame sequence: clear, ask the scene clock, run the current scene's script, then the
// fixed tail (the queue on screen, veil and glow, scene 1's fade-in, the border, and after
// 178000 ms the closing sequence instead) and present. Owns no globals.
#include <cmath>

#include "app/app.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"

static void runSceneScript(int32_t scene, int32_t t, float u) {
  switch (scene) {
    case 1: scene1Script(t, u); break;
    case 2: scene2Script(t, u); break;
    case 3: scene3Script(t, u); break;
    case 4: scene4Script(t, u); break;
    case 5: scene5Script(t, u); break;
    case 6: scene6Script(t, u); break;
    case 7: scene7Script(t, u); break;
    case 8: scene8Script(t, u); break;
    case 9: scene9Script(t, u); break;
    case 10: scene10Script(t, u); break;
    default: break;   // scene 0, before the first table entry: the queue stays empty
  }
}

void renderFrame(int32_t elapsed) {
  clearDepthBuffer();
  resetRenderQueue();
  clearColorBufferPacked(0xFFFF00);
  int32_t scene = 0;
  int32_t t = 0;
  float u = 0;
  sceneClock(elapsed, scene, t, u);
  runSceneScript(scene, t, u);

  if (elapsed <= END_FADE_START_MS && fastTailReady()) {
    drawFastFrameTail(scene, t, whiteTex, bords2Tex);
    swapFrame();
    return;
  }
  prepareGlow();
  if (elapsed > END_FADE_START_MS) {
    // Closing: the picture tears row by row and fades to black; q runs from 0 to about 1.
    double d = (double(float(elapsed)) - 178000.0) * 0.00016666666f;
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
  if (scene == 1 && t < 8000) {
    drawTintedRect(0, 0, 1, 1, 0, 0, 0, float(1.0 - double(t) * 0.000125f), whiteTex);
  }
  if (scene != 2) drawScreenQuad(bords2Tex, 0, 0, 1.0f, 1.0f, 2);
  swapFrame();
}
