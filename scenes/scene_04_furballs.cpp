// Scene 4: eighty fur balls born one every 200 ms on a dark grey field, flying out at the end
// onto a television set with a noise picture; the first 1.75 units hand over from scene 3.
// Owns noiseRandomState, the scene's own generator (never reseeded).
#include <cmath>

#include "platform/display.h"
#include "render/render.h"
#include "scenes/scenes.h"

int32_t noiseRandomState;

// state * 214013 + 2531011 with 32-bit wrap-around; the new state keeps only its 15 bits
// 16 to 30, which is also the value returned.
int32_t noiseRandom() {
  uint32_t next = uint32_t(noiseRandomState) * 214013u + 2531011u;
  noiseRandomState = (int32_t(next) >> 16) & 0x7FFF;
  return noiseRandomState;
}

void resetNoiseRandom() { noiseRandomState = 0; }

void scene4Script(int32_t t, float u) {
  float A = float((4.0 * u + 1) * 3.1415927f);
  float B = float(double(u) * 6.2831855f);
  float R = float(double(t) * 0.1f);
  float D = float(double(u) - 1);

  clearColorBufferPacked(0x202020);
  gen::srand(4);
  queueCommand(AnisoShaderOn);
  for (int i = 0; i < 80; i++) {
    float j = float((gen::rand() % 10) * double(0.06f));
    float S = float(std::pow((std::sin(double(A) + j) + 1.0) * 0.5, double(0.7f)));
    float H = float(std::pow(std::fabs(std::sin(double(B) + j)), 0.75) * 40.0);
    float f = float(i * double(0.1f));
    // Lower bound tested first here.
    float v = float((8 - (double(u) - f)) * 0.125f);
    if (v < 0) v = 0;
    else if (v > 1) v = 1;
    v = float(std::pow(double(v), 1.125));
    if (v < 0.2) v = 0.2f;
    furballMesh.framePosition = float(2 - 2 * (double(v) * S));
    int r1 = gen::rand() % 200 - 100;
    int r2 = gen::rand() % 200 - 100;
    placeMesh(&furballMesh, float(r2), float(double(v) * H + 10), float(r1), R, 0, 0);
    if (f > D) {
      // The ball's first 2 s: it flies in from up to six times its distance.
      float g = float(std::pow(double(f) - D, 4.0) * 5.0 + 1);
      furballMesh.position[0] = float(double(furballMesh.position[0]) * g);
      furballMesh.position[2] = float(double(furballMesh.position[2]) * g);
    }
    if (u > 9) {
      // All balls fly out.
      float g = float(std::pow(double(u) - 9, 4.0) * 10.0 + 1.0);
      furballMesh.position[0] = float(double(furballMesh.position[0]) * g);
      furballMesh.position[2] = float(double(furballMesh.position[2]) * g);
    }
    if (f < u) queueMesh(&furballMesh);
  }
  queueCommand(AnisoShaderOff);

  if (u <= 6) {
    camera.position[0] = 0;
    camera.position[1] = 20;
    camera.position[2] = -200;
    camera.angleY = 0;
    camera.angleX = 10;
    camera.angleZ = 0;
  } else if (u <= 9) {
    float w = float(std::pow((double(u) - 6) * 0.33333334f, 1.5));
    setCamera(0, float(20 - 8.0 * w), -200, 0, float(10 * (1.0 - w)), 0);
  } else {
    float r = float((double(u) - 9) * 0.33333334f);
    float n = float(std::pow((double(r) - 0.25) * 4.0, 4.0));
    setCamera(0, 12, float(-200 * (1 - std::pow(double(r), 1.5))), 0, 0, 0);
    if (n > 1.8) n = float(noiseRandom() % 9 + 2);   // a random keyframe from 2 to 10
    teleNoizMesh.framePosition = n;
    placeMesh(&teleNoizMesh, 0, 0, 0, 0, 0, 0);
    queueMesh(&teleNoizMesh);
  }

  if (u > 8.5) {
    placeMesh(&teleMesh, 0, 0, 0, 0, 0, 0);
    queueMesh(&teleMesh);
    queueCommand(SphereMapOn);
    queueCommand(BlendAdditive);
    placeMesh(&teleChrmMesh, 1.3965546f, 0, 4.2865844f, 0, 0, 0);
    queueMesh(&teleChrmMesh);
    queueCommand(SphereMapOff);
    queueCommand(BlendOff);
  }

  if (u < 1.75) {
    // Hand-over from scene 3: the envahipoil meshes recede and the pose moves from scene
    // 3's to (0, 20, -200, 0, 10, 0) while e goes from 0 to 1.
    float e = u < 0.75 ? 0.0f : float(double(u) - 0.75);
    float p = float((0.5 - u) * 8.0);
    envahipoilAMesh.framePosition = float(clamp01(p));
    envahipoilBMesh.framePosition = float(clamp01(p - 1.0));
    double ne = 1.0 - e;
    setCamera(float(11.8f * ne), float(20.8f * ne + 20.0 * e), float(-49.1f * ne - 200.0 * e),
              float(15.5f * ne), float(-14.5f * ne + 10.0 * e), float(4 * ne));
    placeMesh(&envahipoilAMesh, 0, 0, 0, 0, 0, 0);
    placeMesh(&envahipoilBMesh, 0, 0, 0, 0, 0, 0);
    queueCommand(AnisoShaderOn);
    if (envahipoilAMesh.framePosition > 0) queueMesh(&envahipoilAMesh);
    if (envahipoilBMesh.framePosition > 0) queueMesh(&envahipoilBMesh);
    queueCommand(AnisoShaderOff);
    if (u < 0.5) {
      queueCommand(BlendAlpha);
      queueBackground(titreTex);
      queueCommand(BlendOff);
    }
  }
}
