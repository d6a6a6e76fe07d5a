// Scene 1: the house parts glide in from 300 units away over a green background, every part
// running its animation as a 500 ms saw-tooth. Owns no globals.
#include <cmath>

#include "render/render.h"
#include "scenes/scenes.h"

// The parts arrive at t = 6000; c falls from 1 to 0 every 500 ms. Products are taken in
// double precision and stored as floats.
void scene1Script(int32_t t, float u) {
  (void)u;
  float z0 = float(double(6000 - t) * 0.05f);
  if (z0 < 0) z0 = 0;
  int32_t k = (2 * t) / 1000;
  float c = float(1.0 - (double(t) * 0.002f - k));
  if (c < 0) c = 0;
  else if (c > 1) c = 1;

  Mesh* hBarr = &hParts[0];
  Mesh* hHous = &hParts[2];
  Mesh* hPort = &hParts[3];
  Mesh* hVitr = &hParts[4];

  queueBackground(bgGrnTex);
  placeMesh(hBarr, 0, -15, z0, 15, -10, 0);
  placeMesh(hHous, 0, -15, z0, 15, -10, 0);
  placeMesh(hPort, 0, -15, z0, 15, -10, 0);
  placeMesh(hVitr, 0, -15, z0, 15, -10, 0);
  hBarr->framePosition = c;
  queueMesh(hBarr);
  hHous->framePosition = c;
  queueMesh(hHous);
  hPort->framePosition = c;
  queueMesh(hPort);
  queueCommand(SphereMapOn);
  hVitr->framePosition = c;
  queueMesh(hVitr);
  queueCommand(SphereMapOff);
  setCamera(0, 0, -80, 0, 0, 0);
}
