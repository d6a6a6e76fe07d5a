// The time jump: the state that carries from one frame to the next, brought to what a straight
// run has at the new time without drawing the frames in between. Owns no globals.
//
// What a frame draws is the render queue its script fills (each mesh entry with a snapshot of
// the placement and animation position), plus what the scripts leave in the Mesh records and
// the camera: the texture of each Mesh, the camera pose, and the animation position of a Mesh
// queued without setting it. Each script sets all of that for what it draws, except where it
// relies on an earlier scene: scene 2 draws with scene 1's camera, scene 1 with the house
// textures loadAssets gives (scene 3 swaps them and leaves them), and scene 7 draws the long
// crop at the position loadAssets gives it (scene 8 sets it, later). So: every Mesh and the
// camera back to their loaded state, then each earlier scene's script once, at the last
// millisecond the scene clock gives it, and the queue emptied again (the two flags of the
// queue and the GL state are set and cleared within each frame). The random generators
// start over: they differ between any two runs anyway. The scripts run with drawing held
// (scene 4's clears its colour buffer), so the jump calls no GL at all and leaves whatever
// framebuffer is bound as it was.
#include <cmath>

#include "platform/display.h"
#include "render/render.h"
#include "scenes/scenes.h"

void jumpShowTo(int32_t elapsed) {
  resetAssetState();
  resetNoiseRandom();
  gen::srand(0);
  setOverrideTexture(-1);   // as at start; scenes 5 and 6 set it before each use
  holdDrawing(1);
  for (int i = 0; i + 1 < SCENE_TABLE_SIZE; ++i) {
    int32_t start = sceneStartMs(i);
    int32_t last = sceneStartMs(i + 1);              // the clock still gives entry i there
    if (last >= elapsed) break;                      // the target lies in entry i or before
    resetRenderQueue();
    runSceneScript(SceneTable[i].scene, last - start, float(last - start) * 0.0005f);
  }
  holdDrawing(0);
  resetRenderQueue();
}

int32_t straightRunStart(int32_t elapsed) {
  constexpr int32_t NOISE_SCREEN_FROM_MS = 38000, NOISE_SCREEN_TO_MS = 44000;
  return elapsed > NOISE_SCREEN_FROM_MS && elapsed <= NOISE_SCREEN_TO_MS ? NOISE_SCREEN_FROM_MS : elapsed;
}

int32_t fixedRateElapsed(long k, int fps) { return (int32_t)std::lround(k * 1000.0 / fps); }

long firstFixedRateFrameAt(int32_t ms, int fps) {
  long k = (long)std::floor(ms * (double)fps / 1000.0);
  while (k > 0 && fixedRateElapsed(k - 1, fps) >= ms) --k;
  while (fixedRateElapsed(k, fps) < ms) ++k;
  return k;
}
