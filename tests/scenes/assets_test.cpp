// Loading the inventory from a small data set written by the test: which TextureId and
// texture each object gets, which Meshes are scaled, and that freeing leaves nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/audio.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

const char* const meshFiles[] = {
    "furball.baf",  "spch.baf",         "H_barr.baf",    "H_bout.baf",    "H_hous.baf",
    "H_port.baf",   "H_vitr.baf",       "H_couettes.baf", "envahipoilA.baf", "envahipoilB.baf",
    "bottle.baf",   "bubl.bof",         "root.bof",      "mogn.baf",      "poildebass.baf",
    "poilglow.baf", "tele.bof",         "tele_chrm.bof", "tele_noiz.baf", "rasoirplat_env.bof",
    "rasoirplat_manche.bof", "tapis.bof", "R2_lame.bof", "R2_manch.bof",  "R2_plas.bof",
    "skin.bof",     "clip.bof",         "grtz.baf"};

const char* const pictureFiles[] = {
    "loading_1024x512.raw", "titre_1024x512.raw", "blue_aniso_64x64.raw",
    "vrillstripe_256x64.raw", "fond_shampoo_512x512.raw", "bgGrn_64x64.raw",
    "fond_bleu_coini-inf-droit_512x512.raw", "fond_bleu_bas_512x512.raw",
    "fond_bleucentrebas_512x512.raw", "words_512x512.raw", "H_barr_256x256.raw",
    "H_bout_256x256.raw", "H_hous1_1024x1024.raw", "H_hous2_1024x1024.raw",
    "H_port1_256x256.raw", "H_port2_256x256.raw", "chrm2_256x256.raw",
    "darkvrilluv_256x256.raw", "bottlTiket_512x512.raw", "bottleEnv_128x128.raw",
    "bubulle_64x64.raw", "skinEnv_128x128.raw", "mogn_64x64.raw",
    "effetrevitalisant_256x256.raw", "tele_1024x1024.raw", "scrnoiz_512x512.raw",
    "chrm_256x256.raw", "rasoirplat_manche_256x256.raw", "rasoir_256x256.raw",
    "clip_4x4.raw", "grtz_4096x64.raw", "bords2_512x512.raw", "white_32x32.raw"};

// A square of two triangles, and a triangle in two keyframes (x of vertex 1 is 1.0).
const char* const staticMesh =
    "mesh\n4\n2\n5.0 6.0 7.0\n"
    "0 -1.0 0.0 -1.0 0.0 0.0\n1 1.0 0.0 -1.0 1.0 0.0\n"
    "2 1.0 0.0 1.0 1.0 1.0\n3 -1.0 0.0 1.0 0.0 1.0\n"
    "0 0 1 2\n1 0 2 3\n";
const char* const animatedMesh =
    "anim\n3\n1\n2\n5 6 7\n"
    "0 0.0 0.0 0.0 0.0 0.0\n1 1.0 0.0 0.0 1.0 0.0\n2 0.0 1.0 0.0 0.0 1.0\n"
    "0 0.0 0.0 1.0 0.0 0.0\n1 1.0 0.0 1.0 1.0 0.0\n2 0.0 1.0 1.0 0.0 1.0\n"
    "0 0 1 2\n";

// Writes the data set into the test's scratch folder and makes that the working directory.
void enterDataSet() {
  std::filesystem::path dir = std::filesystem::path(scratchPath("x")).parent_path();
  std::filesystem::create_directories(dir / "data");
  for (const char* name : meshFiles) {
    std::string file = name;
    std::ofstream(dir / "data" / file, std::ios::binary)
        << (file.ends_with(".baf") ? animatedMesh : staticMesh);
  }
  // Pictures shorter than their size: the loader keeps what the file has.
  for (const char* name : pictureFiles) std::ofstream(dir / "data" / name, std::ios::binary) << "\xff\xff\xff\xff";
  std::string bass(BASS_ENVELOPE_SIZE, '\0');
  bass[100] = char(200);
  std::ofstream(dir / "data" / "bassloop_low.raw", std::ios::binary) << bass;
  ASSERT_EQ(chdir(dir.c_str()), 0);
}

Mesh* allMeshes[] = {&furballMesh,    &spchMesh,          &hParts[0],
                     &hParts[1],      &hParts[2],         &hParts[3],
                     &hParts[4],      &hParts[5],         &envahipoilAMesh,
                     &envahipoilBMesh, &bottleMesh,       &bublMesh,
                     &rootMesh,       &mognMesh,          &poildebassMesh,
                     &poilglowMesh,   &teleMesh,          &teleChrmMesh,
                     &teleNoizMesh,   &rasoirplatEnvMesh, &rasoirplatMancheMesh,
                     &tapisMesh,      &r2LameMesh,        &r2ManchMesh,
                     &r2PlasMesh,     &skinMesh,          &clipMesh,
                     &grtzMesh};

}  // namespace

TEST(Assets, LoadOrderTexturesScalesAndRelease) {
  GL_TEST_CONTEXT();
  initGlState();
  enterDataSet();
  loadAssets();

  // TextureIds follow the load order: 41 textures in slots 0 to 40.
  EXPECT_EQ(loadingTex, 0);
  EXPECT_EQ(titreTex, 1);
  EXPECT_EQ(shaderTexture, 2);
  EXPECT_EQ(furballMesh.texture, 3);
  EXPECT_EQ(fondShampooTex, 4);
  EXPECT_EQ(fondBleuCentreBasTex, 8);
  EXPECT_EQ(hParts[2].texture, hHous1Tex);
  EXPECT_EQ(hHous2Tex, hHous1Tex + 1);
  EXPECT_EQ(hParts[3].texture, hPort1Tex);
  EXPECT_EQ(hPort2Tex, hPort1Tex + 1);
  EXPECT_EQ(bottleEnvTex, bottleMesh.texture + 1);
  EXPECT_EQ(bords2Tex, 39);
  EXPECT_EQ(whiteTex, 40);
  EXPECT_EQ(grtzMesh.texture, 38);
  for (int i = 0; i < TEXTURE_TABLE_SIZE; i++) EXPECT_EQ(TextureTable[i] != 0, i <= 40) << i;

  // Files that share a picture still get a slot each.
  EXPECT_NE(hParts[5].texture, envahipoilAMesh.texture);
  EXPECT_NE(envahipoilAMesh.texture, envahipoilBMesh.texture);

  for (Mesh* m : allMeshes) {
    EXPECT_GT(m->vertexCount, 0);
    EXPECT_GE(m->texture, 3);
    EXPECT_EQ(m->position[0], 0.0f);
    EXPECT_EQ(m->position[1], 0.0f);
    EXPECT_EQ(m->position[2], 0.0f);
    EXPECT_EQ(m->rotationY, 0.0f);
    EXPECT_EQ(m->rotationX, 0.0f);
    EXPECT_EQ(m->rotationZ, 0.0f);
  }

  // Vertex 1 of keyframe 1 lies at x = 1 in every file: the scale factors show there.
  struct Scaled {
    Mesh* mesh;
    float x;
  };
  const Scaled scaled[] = {{&furballMesh, 0.1f}, {&hParts[0], 0.1f},  {&hParts[5], 0.1f},
                           {&bottleMesh, 0.2f},  {&bublMesh, 0.1f},   {&teleMesh, 0.1f},
                           {&teleNoizMesh, 0.1f}, {&spchMesh, 1.0f},  {&rootMesh, 1.0f},
                           {&mognMesh, 1.0f},    {&tapisMesh, 1.0f},  {&grtzMesh, 1.0f}};
  for (const Scaled& s : scaled) {
    const Mesh* m = s.mesh;
    int v = m->frameCount > 1 ? m->vertexCount + 1 : 1;
    EXPECT_FLOAT_EQ(m->vertices[v].x, s.x) << (m - allMeshes[0]);
  }
  // Normals where the inventory derives them (a unit normal), tangents on the hair.
  const MeshVertex& n = bottleMesh.vertices[0];
  EXPECT_NEAR(n.nx * n.nx + n.ny * n.ny + n.nz * n.nz, 1.0f, 1e-4);
  const MeshVertex& tg = furballMesh.vertices[0];
  EXPECT_NEAR(tg.tx * tg.tx + tg.ty * tg.ty + tg.tz * tg.tz, 1.0f, 1e-4);

  EXPECT_EQ(bassEnvelope[100], 200);
  EXPECT_EQ(camera.position[0], 0.0f);
  EXPECT_EQ(camera.position[1], 50.0f);
  EXPECT_EQ(camera.position[2], -100.0f);
  EXPECT_EQ(camera.angleY + camera.angleX + camera.angleZ, 0.0f);
  EXPECT_EQ(camera.zNear, 5.0f);
  EXPECT_EQ(camera.zFar, 1000.0f);
  EXPECT_EQ(camera.focal, 240.0f);

  freeAssets();
  for (Mesh* m : allMeshes) {
    EXPECT_EQ(m->vertexCount, 0);
    EXPECT_EQ(m->texture, -1);
    EXPECT_EQ(m->vertices, nullptr);
  }
  for (uint32_t name : TextureTable) EXPECT_EQ(name, 0u);
}
