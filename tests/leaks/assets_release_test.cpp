// Nothing of the show's assets outlives freeAssets: every Mesh gives back its arrays and both
// GL buffers, every texture is deleted on the GL side and its slot freed, so a second load
// starts from slot 0 again. The disabled canary leaks on purpose: leaks.bash runs it to prove
// the leak checker and its suppressions still see the show's own allocations.
#include <gtest/gtest.h>
#include <unistd.h>

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "render/render.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "texture/texture.h"

namespace {

Mesh* const inventoryMeshes[] = {
    &furballMesh,     &spchMesh,    &hParts[0],         &hParts[1],         &hParts[2],
    &hParts[3],       &hParts[4],   &hParts[5],         &envahipoilAMesh,   &envahipoilBMesh,
    &bottleMesh,      &bublMesh,    &rootMesh,          &mognMesh,          &poildebassMesh,
    &poilglowMesh,    &teleMesh,    &teleChrmMesh,      &teleNoizMesh,      &rasoirplatEnvMesh,
    &rasoirplatMancheMesh, &tapisMesh, &r2LameMesh,     &r2ManchMesh,       &r2PlasMesh,
    &skinMesh,        &clipMesh,    &grtzMesh};

PFNGLISBUFFERARBPROC isBuffer;

bool glBufferExists(uint32_t name) { return name != 0 && isBuffer(name); }

void expectEverythingReleased(const std::vector<uint32_t>& buffers,
                              const std::vector<uint32_t>& textures) {
  for (Mesh* m : inventoryMeshes) {
    SCOPED_TRACE(m - inventoryMeshes[0]);
    EXPECT_EQ(m->vertexCount, 0);
    EXPECT_EQ(m->triangleCount, 0);
    EXPECT_EQ(m->vertices, nullptr);
    EXPECT_EQ(m->triangles, nullptr);
    EXPECT_EQ(m->vertexBuffer, 0u);
    EXPECT_EQ(m->indexBuffer, 0u);
    EXPECT_EQ(m->texture, -1);
  }
  for (int i = 0; i < TEXTURE_TABLE_SIZE; ++i) EXPECT_EQ(TextureTable[i], 0u) << "slot " << i;
  for (uint32_t name : buffers) EXPECT_FALSE(glBufferExists(name)) << "GL buffer " << name;
  for (uint32_t name : textures) EXPECT_FALSE(glIsTexture(name)) << "GL texture " << name;
}

}  // namespace

TEST(AssetRelease, TheRealDataSetLeavesNothingBehind) {
  ASSERT_TRUE(std::filesystem::exists("data/furball.baf")) << "no data set in data/ (scripts/build.sh makes it)";
  GL_TEST_CONTEXT();
  initGlState();
  isBuffer = (PFNGLISBUFFERARBPROC)glProcAddress("glIsBufferARB");
  ASSERT_NE(isBuffer, nullptr);
  loadAssets();

  std::vector<uint32_t> buffers, textures;
  for (Mesh* m : inventoryMeshes) {
    EXPECT_GT(m->vertexCount, 0) << (m - inventoryMeshes[0]);
    EXPECT_TRUE(glBufferExists(m->vertexBuffer) && glBufferExists(m->indexBuffer))
        << (m - inventoryMeshes[0]);
    buffers.push_back(m->vertexBuffer);
    buffers.push_back(m->indexBuffer);
  }
  for (uint32_t name : TextureTable)
    if (name) textures.push_back(name);
  EXPECT_EQ(textures.size(), 41u);
  for (uint32_t name : textures) EXPECT_TRUE(glIsTexture(name)) << name;

  freeAssets();
  expectEverythingReleased(buffers, textures);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(AssetRelease, AMissingDataSetIsReleasedToo_SecondLoadStartsAtSlotZero) {
  GL_TEST_CONTEXT();
  initGlState();
  isBuffer = (PFNGLISBUFFERARBPROC)glProcAddress("glIsBufferARB");
  ASSERT_NE(isBuffer, nullptr);
  std::filesystem::path dir = std::filesystem::path(scratchPath("x")).parent_path();
  std::filesystem::create_directories(dir);
  ASSERT_EQ(chdir(dir.c_str()), 0);   // no data/ here: every file is missing

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    loadAssets();
    // Missing files still take their slots and make their (empty) buffers.
    EXPECT_EQ(loadingTex, 0);
    EXPECT_EQ(whiteTex, 40);
    std::vector<uint32_t> buffers, textures;
    for (Mesh* m : inventoryMeshes) {
      buffers.push_back(m->vertexBuffer);
      buffers.push_back(m->indexBuffer);
    }
    for (uint32_t name : TextureTable)
      if (name) textures.push_back(name);
    EXPECT_EQ(textures.size(), 41u);
    freeAssets();
    expectEverythingReleased(buffers, textures);
  }
}

// Leaks one picture block through the show's reader. Run only by tests/leaks/leaks.bash,
// which expects the leak checker to report it.
TEST(AssetRelease, DISABLED_LeakCanary) {
  std::string path = scratchPath("canary_4x4.raw");
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  RawImage* image = new RawImage{nullptr, 0, 0};
  loadRawImage(path.c_str(), image);
  EXPECT_NE(image->pixels, nullptr);
  image->pixels = nullptr;            // the only pointer to the block is gone
  delete image;
}
