// Scene 6: the bottle rising out of view with 280 bubbles circling it, the camera moving in,
// then the root and its hair rising from below and the glow of the hair fading in.
// Owns no globals. Arithmetic is single precision except where a double constant enters.
#include <cmath>

#include "render/render.h"
#include "scenes/scenes.h"

void scene6Script(int32_t t, float u) {
  float A = float(0.5 - 0.5 * std::cos(0.1 * (2 * u * 3.1416)));
  float B = float(0.5 - 0.5 * std::cos(0.2 * (2 * u * 3.1416)));
  float Q = float(0.5f - 0.5f * std::cos(double(u * 0.1f * 3.1416f)));
  float spin = u * 360;
  float D = float(24.8f * std::pow(double(Q), 0.4));
  float k = (u - 1) * 0.2f;
  float s = (u - 4) * 0.25f;
  if (s > 1) s = 1;
  float h = float(-200 * (0.5f - 0.5f * std::cos(double((1 - s) * 3.1415927f))));

  setCamera(0, 120, -80, 0, 0, 0);
  queueBackground(fondShampooTex);
  placeMesh(&bottleMesh, 0, 90 - 7.5f * u, 0, -22.5f * u, 0, 0);
  bottleMesh.framePosition = 3.0f;
  queueMesh(&bottleMesh);
  setOverrideTexture(bottleEnvTex);
  queueCommand(CullOff);
  queueCommand(BlendAdditive);
  queueCommand(SphereMapOn);
  queueCommand(OverrideTextureOn);
  queueMesh(&bottleMesh);
  queueCommand(BlendOff);
  queueCommand(CullOn);
  queueCommand(SphereMapOff);
  queueCommand(OverrideTextureOff);
  queueCommand(SphereMapOn);

  if (u < 10) {
    // Reseeded every frame: each bubble keeps its phase, radius, offset and tilt.
    gen::srand(0);
    for (int i = 0; i < 280; i++) {
      int p = gen::rand() % 300;
      int j = gen::rand() % 20 - 10;
      int R = 20 + 15 * (gen::rand() % 2);
      float angle = u + p;
      float c = (gen::rand() % 180) + spin;
      float b = (gen::rand() % 180) + spin;
      float a = (gen::rand() % 180) + spin;
      float x = float(R * A * std::sin(double(angle)) + D + 0.75f * j * Q * B);
      float y = float(10 * A * std::sin(double(8 * p + 0.002f * t)) + j * B + 10 * A + 120 - 3 * Q);
      float z = float(R * A * std::cos(double(angle)) - Q);
      placeMesh(&bublMesh, x, y, z, a, b, c);
      queueMesh(&bublMesh);
    }
    queueCommand(SphereMapOff);
  }

  if (u >= 1 && u < 6) {
    setCamera(26.1f * k + 0 * (1 - k), 109.5f * k + 120 * (1 - k), -44.6f * k - 80 * (1 - k),
              2.5f * k, 6.5f * k, -20.5f * k);
  } else if (u >= 6) {
    setCamera(26.1f, 109.5f, -44.6f, 2.5f, 6.5f, -20.5f);
  }

  if (u >= 4) {
    // The root rises from y = -200 to 0 between u = 4 and u = 8.
    queueCommand(SphereMapOn);
    placeMesh(&rootMesh, 0, h, 0, 0, 0, 0);
    queueMesh(&rootMesh);
    queueCommand(SphereMapOff);
    queueCommand(AnisoShaderOn);
    poildebassMesh.framePosition = 1.0f;
    placeMesh(&poildebassMesh, 0, h, 0, 0, 0, 0);
    queueMesh(&poildebassMesh);
    queueCommand(AnisoShaderOff);
  }

  if (u >= 9 && u < 12) {
    queueCommand(BlendAlpha);
    placeMesh(&poilglowMesh, 0, 0, 0, 0, 0, 0);
    poilglowMesh.framePosition = (u - 9) * 0.33333334f;
    queueMesh(&poilglowMesh);
    queueCommand(BlendOff);
  }
}
