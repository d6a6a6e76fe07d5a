// The asset inventory: every Mesh and TextureId of the show, loaded once behind the loading
// picture in a fixed order (the 41 textures take TextureIds 0 to 40 in load order) and
// released once at exit. Owns every asset global, each named after its data file.
#include "audio/audio.h"
#include "platform/data_folder.h"
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

// What the scripts change in the assets, as loadAssets leaves it: each Mesh's placement,
// animation position, texture and shown slot, and the camera. A time jump starts from here.
struct LoadedMeshState {
  float position[3];
  float rotationY, rotationX, rotationZ;
  TextureId texture;
  int32_t drawSlot;
  float framePosition;
};
static Mesh* const everyMesh[] = {
    &furballMesh,       &spchMesh,          &hParts[0],         &hParts[1],
    &hParts[2],         &hParts[3],         &hParts[4],         &hParts[5],
    &envahipoilAMesh,   &envahipoilBMesh,   &bottleMesh,        &bublMesh,
    &rootMesh,          &mognMesh,          &poildebassMesh,    &poilglowMesh,
    &teleMesh,          &teleChrmMesh,      &teleNoizMesh,      &rasoirplatEnvMesh,
    &rasoirplatMancheMesh, &tapisMesh,      &r2LameMesh,        &r2ManchMesh,
    &r2PlasMesh,        &skinMesh,          &clipMesh,          &grtzMesh};
constexpr int MESH_COUNT = int(sizeof everyMesh / sizeof everyMesh[0]);
static LoadedMeshState loadedMeshes[MESH_COUNT];
static Camera loadedCamera;

static void noteLoadedState() {
  for (int i = 0; i < MESH_COUNT; ++i) {
    const Mesh& m = *everyMesh[i];
    loadedMeshes[i] = {{m.position[0], m.position[1], m.position[2]}, m.rotationY, m.rotationX,
                       m.rotationZ, m.texture, m.drawSlot, m.framePosition};
  }
  loadedCamera = camera;
}

void resetAssetState() {
  for (int i = 0; i < MESH_COUNT; ++i) {
    Mesh& m = *everyMesh[i];
    const LoadedMeshState& s = loadedMeshes[i];
    for (int k = 0; k < 3; ++k) m.position[k] = s.position[k];
    m.rotationY = s.rotationY;
    m.rotationX = s.rotationX;
    m.rotationZ = s.rotationZ;
    m.texture = s.texture;
    m.drawSlot = s.drawSlot;
    m.framePosition = s.framePosition;
  }
  camera = loadedCamera;
}

// A static mesh whose file is missing or too large for memory leaves its message on the
// loading screen and presents the frame; an animated one only prints.
static void loadStatic(const char* path, Mesh* mesh) {
  int result = loadStaticMesh(path, mesh);
  if (result == MeshFileMissing || result == MeshOutOfMemory) swapFrame();
}

void loadAssets() {
  loadingTex = loadRawTexture(dataPath("loading_1024x512.raw"));
  drawScreenQuad(loadingTex, 0, 0, 1.0f, 1.0f, QuadOpaque);
  swapFrame();
  titreTex = loadRawTexture(dataPath("titre_1024x512.raw"));
  setShaderTexture(loadRawTexture(dataPath("blue_aniso_64x64.raw")));

  loadAnimatedMesh(dataPath("furball.baf"), &furballMesh);
  scale(&furballMesh, 0.1f);
  texture(&furballMesh, dataPath("vrillstripe_256x64.raw"));
  normals(&furballMesh);
  tangents(&furballMesh);

  fondShampooTex = loadRawTexture(dataPath("fond_shampoo_512x512.raw"));
  bgGrnTex = loadRawTexture(dataPath("bgGrn_64x64.raw"));
  fondBleuCoinTex = loadRawTexture(dataPath("fond_bleu_coini-inf-droit_512x512.raw"));
  fondBleuBasTex = loadRawTexture(dataPath("fond_bleu_bas_512x512.raw"));
  fondBleuCentreBasTex = loadRawTexture(dataPath("fond_bleucentrebas_512x512.raw"));

  loadAnimatedMesh(dataPath("spch.baf"), &spchMesh);
  texture(&spchMesh, dataPath("words_512x512.raw"));

  loadAnimatedMesh(dataPath("H_barr.baf"), &hParts[0]);
  texture(&hParts[0], dataPath("H_barr_256x256.raw"));
  scale(&hParts[0], 0.1f);

  loadAnimatedMesh(dataPath("H_bout.baf"), &hParts[1]);
  texture(&hParts[1], dataPath("H_bout_256x256.raw"));
  scale(&hParts[1], 0.1f);

  loadAnimatedMesh(dataPath("H_hous.baf"), &hParts[2]);
  hHous1Tex = loadRawTexture(dataPath("H_hous1_1024x1024.raw"));
  setMeshTexture(&hParts[2], hHous1Tex);
  hHous2Tex = loadRawTexture(dataPath("H_hous2_1024x1024.raw"));
  scale(&hParts[2], 0.1f);

  loadAnimatedMesh(dataPath("H_port.baf"), &hParts[3]);
  hPort1Tex = loadRawTexture(dataPath("H_port1_256x256.raw"));
  setMeshTexture(&hParts[3], hPort1Tex);
  hPort2Tex = loadRawTexture(dataPath("H_port2_256x256.raw"));
  scale(&hParts[3], 0.1f);

  loadAnimatedMesh(dataPath("H_vitr.baf"), &hParts[4]);
  texture(&hParts[4], dataPath("chrm2_256x256.raw"));
  scale(&hParts[4], 0.1f);
  normals(&hParts[4]);

  loadAnimatedMesh(dataPath("H_couettes.baf"), &hParts[5]);
  texture(&hParts[5], dataPath("darkvrilluv_256x256.raw"));
  scale(&hParts[5], 0.1f);
  normals(&hParts[5]);
  tangents(&hParts[5]);

  loadAnimatedMesh(dataPath("envahipoilA.baf"), &envahipoilAMesh);
  texture(&envahipoilAMesh, dataPath("darkvrilluv_256x256.raw"));
  scale(&envahipoilAMesh, 0.1f);
  normals(&envahipoilAMesh);
  tangents(&envahipoilAMesh);

  loadAnimatedMesh(dataPath("envahipoilB.baf"), &envahipoilBMesh);
  texture(&envahipoilBMesh, dataPath("darkvrilluv_256x256.raw"));
  scale(&envahipoilBMesh, 0.1f);
  normals(&envahipoilBMesh);
  tangents(&envahipoilBMesh);

  loadAnimatedMesh(dataPath("bottle.baf"), &bottleMesh);
  texture(&bottleMesh, dataPath("bottlTiket_512x512.raw"));
  normals(&bottleMesh);
  scale(&bottleMesh, 0.2f);

  bottleEnvTex = loadRawTexture(dataPath("bottleEnv_128x128.raw"));

  loadStatic(dataPath("bubl.bof"), &bublMesh);
  texture(&bublMesh, dataPath("bubulle_64x64.raw"));
  normals(&bublMesh);
  scale(&bublMesh, 0.1f);

  loadStatic(dataPath("root.bof"), &rootMesh);
  texture(&rootMesh, dataPath("skinEnv_128x128.raw"));
  normals(&rootMesh);

  loadAnimatedMesh(dataPath("mogn.baf"), &mognMesh);
  texture(&mognMesh, dataPath("mogn_64x64.raw"));
  normals(&mognMesh);

  loadAnimatedMesh(dataPath("poildebass.baf"), &poildebassMesh);
  texture(&poildebassMesh, dataPath("mogn_64x64.raw"));
  normals(&poildebassMesh);

  loadAnimatedMesh(dataPath("poilglow.baf"), &poilglowMesh);
  texture(&poilglowMesh, dataPath("effetrevitalisant_256x256.raw"));

  loadStatic(dataPath("tele.bof"), &teleMesh);
  texture(&teleMesh, dataPath("tele_1024x1024.raw"));
  scale(&teleMesh, 0.1f);

  loadStatic(dataPath("tele_chrm.bof"), &teleChrmMesh);
  texture(&teleChrmMesh, dataPath("chrm2_256x256.raw"));
  normals(&teleChrmMesh);
  scale(&teleChrmMesh, 0.1f);

  loadAnimatedMesh(dataPath("tele_noiz.baf"), &teleNoizMesh);
  texture(&teleNoizMesh, dataPath("scrnoiz_512x512.raw"));
  scale(&teleNoizMesh, 0.1f);

  loadStatic(dataPath("rasoirplat_env.bof"), &rasoirplatEnvMesh);
  texture(&rasoirplatEnvMesh, dataPath("chrm_256x256.raw"));
  normals(&rasoirplatEnvMesh);

  loadStatic(dataPath("rasoirplat_manche.bof"), &rasoirplatMancheMesh);
  texture(&rasoirplatMancheMesh, dataPath("rasoirplat_manche_256x256.raw"));
  normals(&rasoirplatMancheMesh);

  loadStatic(dataPath("tapis.bof"), &tapisMesh);
  texture(&tapisMesh, dataPath("vrillstripe_256x64.raw"));
  normals(&tapisMesh);

  loadStatic(dataPath("R2_lame.bof"), &r2LameMesh);
  texture(&r2LameMesh, dataPath("chrm_256x256.raw"));
  normals(&r2LameMesh);

  loadStatic(dataPath("R2_manch.bof"), &r2ManchMesh);
  texture(&r2ManchMesh, dataPath("chrm_256x256.raw"));
  normals(&r2ManchMesh);

  loadStatic(dataPath("R2_plas.bof"), &r2PlasMesh);
  texture(&r2PlasMesh, dataPath("rasoir_256x256.raw"));
  normals(&r2PlasMesh);

  loadStatic(dataPath("skin.bof"), &skinMesh);
  texture(&skinMesh, dataPath("skinEnv_128x128.raw"));
  normals(&skinMesh);

  loadStatic(dataPath("clip.bof"), &clipMesh);
  texture(&clipMesh, dataPath("clip_4x4.raw"));

  loadAnimatedMesh(dataPath("grtz.baf"), &grtzMesh);
  texture(&grtzMesh, dataPath("grtz_4096x64.raw"));
  normals(&grtzMesh);

  bords2Tex = loadRawTexture(dataPath("bords2_512x512.raw"));
  whiteTex = loadRawTexture(dataPath("white_32x32.raw"));

  loadBassEnvelope(dataPath("bassloop_low.raw"));

  // Start pose, the values setCamera(0, 50, -100, 0, 0, 0) would set; then the projection.
  setCamera(0, 50, -100, 0, 0, 0);
  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
  noteLoadedState();
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
