// The asset inventory: every Mesh and TextureId of the show, loaded once behind the loading
// picture in a fixed order (the 41 textures take TextureIds 0 to 40 in load order) and
// released once at exit. Owns every asset global, each named after its data file.
#include "audio/audio.h"
#include "platform/display.h"
#include "render/render.h"
#include "scenes/scenes.h"

Mesh furballMesh, spchMesh, hParts[6], envahipoilAMesh, envahipoilBMesh, bottleMesh, bublMesh,
    rootMesh, mognMesh, poildebassMesh, poilglowMesh, teleMesh, teleChrmMesh, teleNoizMesh,
    rasoirplatEnvMesh, rasoirplatMancheMesh, tapisMesh, r2LameMesh, r2ManchMesh, r2PlasMesh,
    skinMesh, clipMesh, grtzMesh;
TextureId loadingTex, titreTex, fondShampooTex, bgGrnTex, fondBleuCoinTex, fondBleuBasTex,
    fondBleuCentreBasTex, hHous1Tex, hHous2Tex, hPort1Tex, hPort2Tex, bottleEnvTex, bords2Tex,
    whiteTex;

static void texture(Mesh* mesh, const char* file) { setMeshTexture(mesh, loadRawTexture(file)); }
static void normals(Mesh* mesh) { computeNormals(mesh); }
static void tangents(Mesh* mesh) { computeTangents(mesh); }
static void scale(Mesh* mesh, float k) { scaleMesh(mesh, k); }

// A static mesh whose file is missing or too large for memory leaves its message on the
// loading screen and presents the frame; an animated one only prints.
static void loadStatic(const char* path, Mesh* mesh) {
  int result = loadStaticMesh(path, mesh);
  if (result == MeshFileMissing || result == MeshOutOfMemory) swapFrame();
}

void loadAssets() {
  loadingTex = loadRawTexture("data/loading_1024x512.raw");
  drawScreenQuad(loadingTex, 0, 0, 1.0f, 1.0f, 0);
  swapFrame();
  titreTex = loadRawTexture("data/titre_1024x512.raw");
  setShaderTexture(loadRawTexture("data/blue_aniso_64x64.raw"));

  loadAnimatedMesh("data/furball.baf", &furballMesh);
  scale(&furballMesh, 0.1f);
  texture(&furballMesh, "data/vrillstripe_256x64.raw");
  normals(&furballMesh);
  tangents(&furballMesh);

  fondShampooTex = loadRawTexture("data/fond_shampoo_512x512.raw");
  bgGrnTex = loadRawTexture("data/bgGrn_64x64.raw");
  fondBleuCoinTex = loadRawTexture("data/fond_bleu_coini-inf-droit_512x512.raw");
  fondBleuBasTex = loadRawTexture("data/fond_bleu_bas_512x512.raw");
  fondBleuCentreBasTex = loadRawTexture("data/fond_bleucentrebas_512x512.raw");

  loadAnimatedMesh("data/spch.baf", &spchMesh);
  texture(&spchMesh, "data/words_512x512.raw");

  loadAnimatedMesh("data/H_barr.baf", &hParts[0]);
  texture(&hParts[0], "data/H_barr_256x256.raw");
  scale(&hParts[0], 0.1f);

  loadAnimatedMesh("data/H_bout.baf", &hParts[1]);
  texture(&hParts[1], "data/H_bout_256x256.raw");
  scale(&hParts[1], 0.1f);

  loadAnimatedMesh("data/H_hous.baf", &hParts[2]);
  hHous1Tex = loadRawTexture("data/H_hous1_1024x1024.raw");
  setMeshTexture(&hParts[2], hHous1Tex);
  hHous2Tex = loadRawTexture("data/H_hous2_1024x1024.raw");
  scale(&hParts[2], 0.1f);

  loadAnimatedMesh("data/H_port.baf", &hParts[3]);
  hPort1Tex = loadRawTexture("data/H_port1_256x256.raw");
  setMeshTexture(&hParts[3], hPort1Tex);
  hPort2Tex = loadRawTexture("data/H_port2_256x256.raw");
  scale(&hParts[3], 0.1f);

  loadAnimatedMesh("data/H_vitr.baf", &hParts[4]);
  texture(&hParts[4], "data/chrm2_256x256.raw");
  scale(&hParts[4], 0.1f);
  normals(&hParts[4]);

  loadAnimatedMesh("data/H_couettes.baf", &hParts[5]);
  texture(&hParts[5], "data/darkvrilluv_256x256.raw");
  scale(&hParts[5], 0.1f);
  normals(&hParts[5]);
  tangents(&hParts[5]);

  loadAnimatedMesh("data/envahipoilA.baf", &envahipoilAMesh);
  texture(&envahipoilAMesh, "data/darkvrilluv_256x256.raw");
  scale(&envahipoilAMesh, 0.1f);
  normals(&envahipoilAMesh);
  tangents(&envahipoilAMesh);

  loadAnimatedMesh("data/envahipoilB.baf", &envahipoilBMesh);
  texture(&envahipoilBMesh, "data/darkvrilluv_256x256.raw");
  scale(&envahipoilBMesh, 0.1f);
  normals(&envahipoilBMesh);
  tangents(&envahipoilBMesh);

  loadAnimatedMesh("data/bottle.baf", &bottleMesh);
  texture(&bottleMesh, "data/bottlTiket_512x512.raw");
  normals(&bottleMesh);
  scale(&bottleMesh, 0.2f);

  bottleEnvTex = loadRawTexture("data/bottleEnv_128x128.raw");

  loadStatic("data/bubl.bof", &bublMesh);
  texture(&bublMesh, "data/bubulle_64x64.raw");
  normals(&bublMesh);
  scale(&bublMesh, 0.1f);

  loadStatic("data/root.bof", &rootMesh);
  texture(&rootMesh, "data/skinEnv_128x128.raw");
  normals(&rootMesh);

  loadAnimatedMesh("data/mogn.baf", &mognMesh);
  texture(&mognMesh, "data/mogn_64x64.raw");
  normals(&mognMesh);

  loadAnimatedMesh("data/poildebass.baf", &poildebassMesh);
  texture(&poildebassMesh, "data/mogn_64x64.raw");
  normals(&poildebassMesh);

  loadAnimatedMesh("data/poilglow.baf", &poilglowMesh);
  texture(&poilglowMesh, "data/effetrevitalisant_256x256.raw");

  loadStatic("data/tele.bof", &teleMesh);
  texture(&teleMesh, "data/tele_1024x1024.raw");
  scale(&teleMesh, 0.1f);

  loadStatic("data/tele_chrm.bof", &teleChrmMesh);
  texture(&teleChrmMesh, "data/chrm2_256x256.raw");
  normals(&teleChrmMesh);
  scale(&teleChrmMesh, 0.1f);

  loadAnimatedMesh("data/tele_noiz.baf", &teleNoizMesh);
  texture(&teleNoizMesh, "data/scrnoiz_512x512.raw");
  scale(&teleNoizMesh, 0.1f);

  loadStatic("data/rasoirplat_env.bof", &rasoirplatEnvMesh);
  texture(&rasoirplatEnvMesh, "data/chrm_256x256.raw");
  normals(&rasoirplatEnvMesh);

  loadStatic("data/rasoirplat_manche.bof", &rasoirplatMancheMesh);
  texture(&rasoirplatMancheMesh, "data/rasoirplat_manche_256x256.raw");
  normals(&rasoirplatMancheMesh);

  loadStatic("data/tapis.bof", &tapisMesh);
  texture(&tapisMesh, "data/vrillstripe_256x64.raw");
  normals(&tapisMesh);

  loadStatic("data/R2_lame.bof", &r2LameMesh);
  texture(&r2LameMesh, "data/chrm_256x256.raw");
  normals(&r2LameMesh);

  loadStatic("data/R2_manch.bof", &r2ManchMesh);
  texture(&r2ManchMesh, "data/chrm_256x256.raw");
  normals(&r2ManchMesh);

  loadStatic("data/R2_plas.bof", &r2PlasMesh);
  texture(&r2PlasMesh, "data/rasoir_256x256.raw");
  normals(&r2PlasMesh);

  loadStatic("data/skin.bof", &skinMesh);
  texture(&skinMesh, "data/skinEnv_128x128.raw");
  normals(&skinMesh);

  loadStatic("data/clip.bof", &clipMesh);
  texture(&clipMesh, "data/clip_4x4.raw");

  loadAnimatedMesh("data/grtz.baf", &grtzMesh);
  texture(&grtzMesh, "data/grtz_4096x64.raw");
  normals(&grtzMesh);

  bords2Tex = loadRawTexture("data/bords2_512x512.raw");
  whiteTex = loadRawTexture("data/white_32x32.raw");

  loadBassEnvelope("data/bassloop_low.raw");

  // Start pose, the values setCamera(0, 50, -100, 0, 0, 0) would set; then the projection.
  setCamera(0, 50, -100, 0, 0, 0);
  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
}

void freeAssets() {
  destroyMesh(&furballMesh);
  for (Mesh& part : hParts) destroyMesh(&part);
  Mesh* rest[] = {&bottleMesh,     &bublMesh,          &rootMesh,          &mognMesh,
                  &poildebassMesh, &poilglowMesh,      &teleMesh,          &teleChrmMesh,
                  &teleNoizMesh,   &rasoirplatEnvMesh, &rasoirplatMancheMesh, &tapisMesh,
                  &r2LameMesh,     &r2ManchMesh,       &r2PlasMesh,        &skinMesh,
                  &clipMesh,       &grtzMesh,          &spchMesh,          &envahipoilAMesh,
                  &envahipoilBMesh};
  for (Mesh* mesh : rest) destroyMesh(mesh);
  releaseTextures();
}
