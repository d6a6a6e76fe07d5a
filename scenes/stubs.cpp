// Placeholders until the scenes are written; each definition moves to its own file.
#include "scenes/scenes.h"
#include "app/app.h"


void renderFrame(int32_t) {
  clearDepthBuffer();
  clearColorBufferPacked(0xFFFF00);
  swapFrame();
}

void scene1Script(int32_t, float) {}
void scene2Script(int32_t, float) {}
void scene3Script(int32_t, float) {}
void scene4Script(int32_t, float) {}
void scene5Script(int32_t, float) {}
void scene6Script(int32_t, float) {}
void scene7Script(int32_t, float) {}
void scene8Script(int32_t, float) {}
void scene9Script(int32_t, float) {}
void scene10Script(int32_t, float) {}
int32_t noiseRandomState;
int32_t noiseRandom() { return 0; }

Mesh furballMesh, spchMesh, hParts[6], envahipoilAMesh, envahipoilBMesh, bottleMesh, bublMesh,
    rootMesh, mognMesh, poildebassMesh, poilglowMesh, teleMesh, teleChrmMesh, teleNoizMesh,
    rasoirplatEnvMesh, rasoirplatMancheMesh, tapisMesh, r2LameMesh, r2ManchMesh, r2PlasMesh,
    skinMesh, clipMesh, grtzMesh;
TextureId loadingTex, titreTex, fondShampooTex, bgGrnTex, fondBleuCoinTex, fondBleuBasTex,
    fondBleuCentreBasTex, hHous1Tex, hHous2Tex, hPort1Tex, hPort2Tex, bottleEnvTex, bords2Tex,
    whiteTex;
void loadAssets() {}
void freeAssets() {}
