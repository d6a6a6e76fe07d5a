// Scene 2: the animated words on the frame's clear colour, each quarter of the scene easing
// one keyframe on. No background, no camera call. Owns no globals.
#include <cmath>

#include "render/render.h"
#include "scenes/scenes.h"

void scene2Script(int32_t t, float u) {
  (void)t;
  float s = float(double(u) * 4);
  int32_t n = int32_t(s);
  float w = float(n + std::pow(double(s) - n, 0.25));
  if (w > 3) w = 3;
  else if (w < 0) w = 0;

  placeMesh(&spchMesh, 0, 0, 300, 0, 0, 0);
  spchMesh.framePosition = w;
  queueMesh(&spchMesh);
}
