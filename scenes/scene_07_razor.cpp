// Scene 7: the root with its hair beating to the bass envelope, a second hair mesh from
// u = 8, and from u = 6 the razor seen from a new camera. Owns no globals.
#include "audio/audio.h"
#include "render/render.h"
#include "scenes/scenes.h"

void scene7Script(int32_t t, float u) {
  (void)t;
  unsigned char e = bassEnvelopeAt(u);   // entry trunc(u * 4009.5) mod 8019
  float r = (u - 6) * 20 - 40;

  setCamera(26.1f, 109.5f, -44.6f, 2.5f, 6.5f, -20.5f);
  queueBackground(fondBleuCoinTex);
  queueCommand(SphereMapOn);
  placeMesh(&rootMesh, 0, 0, 0, 0, 0, 0);
  queueMesh(&rootMesh);
  queueCommand(SphereMapOff);
  queueCommand(AnisoShaderOn);
  if (u < 8) {
    poildebassMesh.framePosition = e * 0.0078125f + 1;
    placeMesh(&poildebassMesh, 0, 0, 0, 0, 0, 0);
    queueMesh(&poildebassMesh);
  } else {
    // Its animation position is set only in scene 8.
    placeMesh(&mognMesh, 0, 0, 0, 0, 0, 0);
    queueMesh(&mognMesh);
  }
  queueCommand(AnisoShaderOff);

  if (u > 6) {
    // This camera applies to the whole frame, root and hair included.
    setCamera(43.4f, 95, 28, -225.4f, 24, -3);
    placeMesh(&rasoirplatEnvMesh, -66, 20, 4, 2, r, -22);
    placeMesh(&rasoirplatMancheMesh, -66, 20, 4, 2, r, -22);
    queueCommand(SphereMapOn);
    queueMesh(&rasoirplatEnvMesh);
    queueCommand(SphereMapOff);
    queueMesh(&rasoirplatMancheMesh);
  }
}
