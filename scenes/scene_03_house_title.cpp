// Scene 3: the house completed, its quilt hair following the bass, then the two envahipoil
// meshes growing in under the title card. Owns no globals.
#include <cmath>

#include "audio/audio.h"
#include "render/render.h"
#include "scenes/scenes.h"

// Animation position of the quilt hair from the 20-90 Hz band level: the bass drives it
// until u = 1.5, then the time takes over; positions above 1 are bent by a power of 1.8
// and the result is held at 2.
float scene3HairPosition(float level, float u) {
  float k = float(double(level) + 1.25);
  if (u > 1.5) k = float(2.0 * u - 1.8);
  if (k > 1) k = float(std::pow(double(k) - 1, 1.8) + 1);
  return k > 2 ? 2.0f : k;
}

void scene3Script(int32_t t, float u) {
  (void)t;
  float m = float(double(u) * 60);
  if (m < 0) m = 0;
  else if (m > 4) m = 4;

  Mesh* hBarr = &hParts[0];
  Mesh* hBout = &hParts[1];
  Mesh* hHous = &hParts[2];
  Mesh* hPort = &hParts[3];
  Mesh* hVitr = &hParts[4];
  Mesh* hCouettes = &hParts[5];

  queueBackground(bgGrnTex);
  setCamera(11.8f, 20.8f, -49.1f, 15.5f, -14.5f, 4);
  for (int i = 0; i < 6; i++) placeMesh(&hParts[i], 0, 0, 0, 0, 0, 0);

  if (m < 3) {
    hBarr->framePosition = m;
    queueMesh(hBarr);
  } else {
    hBout->framePosition = m - 3;
    queueMesh(hBout);
  }

  setMeshTexture(hHous, m < 3 ? hHous1Tex : hHous2Tex);
  hHous->framePosition = m < 3 ? m : 6 - m;
  queueMesh(hHous);

  setMeshTexture(hPort, m < 3 ? hPort1Tex : hPort2Tex);
  hPort->framePosition = m;
  queueMesh(hPort);

  queueCommand(SphereMapOn);
  if (m < 3) {
    hVitr->framePosition = m;
    queueMesh(hVitr);
  }
  queueCommand(SphereMapOff);

  if (m > 3) {
    float k = scene3HairPosition(bandLevel(20, 90), u);
    queueCommand(AnisoShaderOn);
    queueCommand(CullOff);
    hCouettes->framePosition = k;
    queueMesh(hCouettes);
    queueCommand(CullOn);
    queueCommand(AnisoShaderOff);
  }

  if (u > 1.75) {
    float p = float((u - 1.75) * 8.0);
    envahipoilAMesh.framePosition = float(clamp01(p));
    envahipoilBMesh.framePosition = float(clamp01(p - 1.0));
    placeMesh(&envahipoilAMesh, 0, 0, 0, 0, 0, 0);
    placeMesh(&envahipoilBMesh, 0, 0, 0, 0, 0, 0);
    queueCommand(AnisoShaderOn);
    if (envahipoilAMesh.framePosition > 0) queueMesh(&envahipoilAMesh);
    if (envahipoilBMesh.framePosition > 0) queueMesh(&envahipoilBMesh);
    queueCommand(AnisoShaderOff);
    queueCommand(BlendAlpha);
    queueBackground(titreTex);
    queueCommand(BlendOff);
  }
}
