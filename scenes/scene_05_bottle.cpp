// Scene 5: the shampoo bottle sinking and turning on its background, drawn twice: once with
// its label, once sphere-mapped with the environment picture added on top. Owns no globals.
#include <cmath>

#include "render/render.h"
#include "scenes/scenes.h"

void scene5Script(int32_t t, float u) {
  (void)t;
  float p = float(double(u) * 0.25f);
  float q = float(1.0 - p);
  float b = 0;
  if (p > 0.25) {
    float v = float(std::pow((p - 0.25) * 1.3333333333333333, 0.25) * 3.0);
    b = v < 0 ? 0.0f : v > 3 ? 3.0f : v;
  }

  setCamera(0, 0, -80, 0, float(10.0 * q), 0);
  queueBackground(fondShampooTex);
  placeMesh(&bottleMesh, 0, float(-30.0 * p), 0, float(100.0 * q), 0, 0);
  bottleMesh.framePosition = b;
  queueMesh(&bottleMesh);
  setOverrideTexture(bottleEnvTex);
  queueCommand(BlendAdditive);
  queueCommand(SphereMapOn);
  queueCommand(OverrideTextureOn);
  queueMesh(&bottleMesh);
  queueCommand(BlendOff);
  queueCommand(SphereMapOff);
  queueCommand(OverrideTextureOff);
}
