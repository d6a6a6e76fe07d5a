// Scene 10: the skin, the razor and the clip swinging over rows of sliding carpet, with the
// greetings multiplied in while their animation runs. Owns no globals.
#include <cmath>

#include "render/render.h"
#include "scenes/scenes.h"

// Four carpets at depth z, at the sliding row position W.
static void queueCarpetRow(float W, float z) {
  const float xs[4] = {W, W - 400, W + 400, W - 800};
  for (float x : xs) {
    placeMesh(&tapisMesh, x, 0, z, 0, 0, 0);
    queueMesh(&tapisMesh);
  }
}

void scene10Script(int32_t t, float u) {
  (void)t;
  float P = float(std::pow(double(u * 0.055555556f), 1.2));   // 1 at u = 18
  float m = 1 - P;
  float H = float(0.5f - 0.5f * std::cos(double(P * 6.2831855f)));
  float X = float(225 - 300 * std::pow(double(H), 0.35));
  int32_t n = int32_t(11 * P);
  float W = (11 * P - n) * 400 - 380;

  queueBackground(fondBleuCentreBasTex);
  setCamera(250 * P + 180 * m, 193 * P + 63 * m, 128 * P + 350 * m, 117 * P + 131 * m,
            -37 * P - 20 * m, 0);
  placeMesh(&skinMesh, X, 0, 25, 0, 0, 0);
  placeMesh(&r2LameMesh, X - 10, 0, 25, 180, 0, 20);
  placeMesh(&r2ManchMesh, X - 10, 0, 25, 180, 0, 20);
  placeMesh(&r2PlasMesh, X - 10, 0, 25, 180, 0, 20);
  placeMesh(&grtzMesh, -75, 1, 25, 0, 0, 0);
  grtzMesh.framePosition = float(P * 1.4 - 0.3);
  placeMesh(&clipMesh, X, 0, 25, 0, 0, 0);
  waveMesh(&tapisMesh, -200 * u, 0.0025f, 1.5f, 0);

  queueCommand(AnisoShaderOn);
  queueCarpetRow(W, -200);
  queueCommand(AnisoShaderOff);

  queueCommand(SphereMapOn);
  queueMesh(&skinMesh);
  queueMesh(&r2LameMesh);
  queueCommand(AnisoShaderOn);
  queueMesh(&r2ManchMesh);
  queueCommand(AnisoShaderOff);
  queueCommand(SphereMapOff);
  queueMesh(&r2PlasMesh);

  if (grtzMesh.framePosition > 0 && grtzMesh.framePosition < 1) {
    queueCommand(BlendMultiply);
    queueMesh(&grtzMesh);
  }

  queueCommand(BlendAlphaDepthWrite);
  queueMesh(&clipMesh);
  queueCommand(BlendOff);

  queueCommand(AnisoShaderOn);
  queueCarpetRow(W, 200);
  queueCommand(AnisoShaderOff);
}
