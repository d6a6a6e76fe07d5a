// Scene 9: eight copies of the rippling carpet under a camera gliding between two poses.
// Owns no globals.
#include "render/render.h"
#include "scenes/scenes.h"

void scene9Script(int32_t t, float u) {
  (void)t;
  float k = u * 0.16666667f;
  float m = 1 - k;

  queueBackground(fondBleuCentreBasTex);
  setCamera(380 * m + 180 * k, 223 * m + 63 * k, 290 * m + 150 * k, 162 * m + 131 * k,
            -24 * m - 20 * k, 0);
  waveMesh(&tapisMesh, -200 * u, 0.0025f, float(30 * m + 1.5), 0);
  queueCommand(AnisoShaderOn);
  static const float copies[8][2] = {{20, 0},    {-380, 0},    {420, 0},    {-780, 0},
                                     {20, -400}, {-380, -400}, {420, -400}, {-780, -400}};
  for (const auto& xz : copies) {
    placeMesh(&tapisMesh, xz[0], 0, xz[1], 0, 0, 0);
    queueMesh(&tapisMesh);
  }
  queueCommand(AnisoShaderOff);
}
