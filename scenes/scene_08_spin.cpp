// Scene 8: the root spinning with its hair driven by the 2500-3500 Hz band, the camera
// flying out in the last two seconds. Owns no globals.
#include <cmath>

#include "audio/audio.h"
#include "render/render.h"
#include "scenes/scenes.h"

// Hair position from the band level: silence gives 1, a level of 0.055 or more gives 0.
float scene8HairPosition(float level) {
  float g = float(1.1 - 20 * level);
  if (g < 0) g = 0;
  else if (g > 1) g = 1;
  return g;
}

void scene8Script(int32_t t, float u) {
  (void)t;
  float roll = float(7.3 - 2 * u);
  float spin = -14 * u;
  float g = scene8HairPosition(bandLevel(2500, 3500));

  queueBackground(fondBleuBasTex);
  setCamera(-6, 125, -14, -1, -35, roll);
  queueCommand(SphereMapOn);
  placeMesh(&rootMesh, 0, 0, 0, 180, spin, 0);
  queueMesh(&rootMesh);
  queueCommand(SphereMapOff);
  queueCommand(AnisoShaderOn);
  placeMesh(&mognMesh, 0, 0, 0, 180, spin, 0);
  mognMesh.framePosition = g;
  queueMesh(&mognMesh);
  queueCommand(AnisoShaderOff);

  if (u > 15) {
    // The camera flies out to (-93, 338, -710, 0.3, -18, 0).
    float e = float(std::pow(double(u - 15), 0.4));
    float f = 1 - e;
    setCamera(-93 * e - 6 * f, 338 * e + 125 * f, -710 * e - 14 * f, 0.3f * e - f,
              -18 * e - 35 * f, roll * f + 0 * e);
  }
}
