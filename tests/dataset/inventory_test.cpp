// The generated data set as a whole: every file the show loads is there with the right size
// or keyframe count, every mesh loads through the show's own loaders without a message, and
// the generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "dataset_support.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/render_internal.h"
#include "support/gl_context.h"

namespace fs = std::filesystem;

#define DATA_SET(dir)                                      \
  std::string why_;                                        \
  const std::string dir = generatedDataSet(&why_);         \
  ASSERT_FALSE(dir.empty()) << why_

TEST(DataSet, EveryPictureHasTheSizeInItsName) {
  DATA_SET(data);
  EXPECT_EQ(INVENTORY_PICTURES.size(), 33u);
  for (const PictureEntry& e : INVENTORY_PICTURES) {
    std::error_code error;
    uintmax_t size = fs::file_size(data + "/" + e.name, error);
    EXPECT_FALSE(error) << e.name << " is missing";
    EXPECT_EQ(size, static_cast<uintmax_t>(e.width) * e.height * 4) << e.name;
  }
}

TEST(DataSet, ShadersAndSoundtrackArePresent) {
  DATA_SET(data);
  for (const char* name : {"aniso_light.vert", "aniso_light.frag"}) {
    std::error_code error;
    EXPECT_GT(fs::file_size(data + "/" + name, error), 100u) << name;
    EXPECT_FALSE(error) << name;
  }
  std::error_code error;
  EXPECT_EQ(fs::file_size(data + "/bassloop_low.raw", error), 8019u);
  std::vector<uint8_t> mp3;
  ASSERT_TRUE(readWholeFile(data + "/maronekt-mix6.mp3", &mp3));
  ASSERT_GT(mp3.size(), 100000u);
  bool id3 = mp3[0] == 'I' && mp3[1] == 'D' && mp3[2] == '3';
  bool frameSync = mp3[0] == 0xFF && (mp3[1] & 0xE0) == 0xE0;
  EXPECT_TRUE(id3 || frameSync) << "not an MP3 stream";
}

// Reads the counts at the head of a .bof/.baf file as the loaders do.
static bool meshHeader(const std::string& path, bool animated, unsigned* vertices, unsigned* triangles,
                       unsigned* frames) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char word[64];
  *frames = 1;
  bool ok = std::fscanf(f, "%63s %u %u", word, vertices, triangles) == 3 &&
            (!animated || std::fscanf(f, "%u", frames) == 1);
  std::fclose(f);
  return ok && std::strlen(word) <= 11;
}

TEST(DataSet, EveryMeshHasItsKeyframes) {
  DATA_SET(data);
  EXPECT_EQ(INVENTORY_MESHES.size(), 28u);
  for (const MeshEntry& e : INVENTORY_MESHES) {
    bool animated = std::string(e.name).ends_with(".baf");
    unsigned vertices = 0, triangles = 0, frames = 0;
    ASSERT_TRUE(meshHeader(data + "/" + e.name, animated, &vertices, &triangles, &frames))
        << e.name << " is missing or has no header";
    EXPECT_GT(vertices, 0u) << e.name;
    EXPECT_GT(triangles, 0u) << e.name;
    EXPECT_GE(frames, static_cast<unsigned>(e.minKeyframes)) << e.name;
  }
}

static bool finite3(float a, float b, float c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

TEST(DataSet, EveryMeshLoadsCleanlyWithFiniteNormalsAndTangents) {
  DATA_SET(data);
  GL_TEST_CONTEXT();
  // Only the buffer entry points are needed to load; the shader is not built here.
  ext::glBindBufferARB = (PFNGLBINDBUFFERARBPROC)glProcAddress("glBindBufferARB");
  ext::glGenBuffersARB = (PFNGLGENBUFFERSARBPROC)glProcAddress("glGenBuffersARB");
  ext::glBufferDataARB = (PFNGLBUFFERDATAARBPROC)glProcAddress("glBufferDataARB");
  ext::glDeleteBuffersARB = (PFNGLDELETEBUFFERSARBPROC)glProcAddress("glDeleteBuffersARB");
  ASSERT_TRUE(ext::glBindBufferARB && ext::glGenBuffersARB && ext::glBufferDataARB && ext::glDeleteBuffersARB);
  for (const MeshEntry& e : INVENTORY_MESHES) {
    SCOPED_TRACE(e.name);
    std::string path = data + "/" + e.name;
    bool animated = std::string(e.name).ends_with(".baf");
    unsigned vertices = 0, triangles = 0, frames = 0;
    ASSERT_TRUE(meshHeader(path, animated, &vertices, &triangles, &frames));
    Mesh mesh{};
    testing::internal::CaptureStdout();
    if (animated) loadAnimatedMesh(path.c_str(), &mesh);
    else loadStaticMesh(path.c_str(), &mesh);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the loader complained";
    ASSERT_EQ(mesh.vertexCount, static_cast<int>(vertices));
    ASSERT_EQ(mesh.triangleCount, static_cast<int>(triangles));
    ASSERT_EQ(mesh.frameCount, static_cast<int>(frames));
    ASSERT_NE(mesh.vertices, nullptr);
    int badIndex = 0, badPosition = 0, badNormal = 0, badTangent = 0, degenerate = 0;
    for (int t = 0; t < mesh.triangleCount; ++t) {
      const MeshTriangle& tri = mesh.triangles[t];
      if (tri.i0 >= vertices || tri.i1 >= vertices || tri.i2 >= vertices) ++badIndex;
      else if (tri.i0 == tri.i1 || tri.i1 == tri.i2 || tri.i0 == tri.i2) ++degenerate;
    }
    computeNormals(&mesh);
    computeTangents(&mesh);
    for (int i = 0; i < mesh.frameCount * mesh.vertexCount; ++i) {
      const MeshVertex& v = mesh.vertices[i];
      if (!finite3(v.x, v.y, v.z) || !std::isfinite(v.u) || !std::isfinite(v.v)) ++badPosition;
      if (!finite3(v.nx, v.ny, v.nz)) ++badNormal;
      if (!finite3(v.tx, v.ty, v.tz)) ++badTangent;
    }
    EXPECT_EQ(badIndex, 0);
    EXPECT_EQ(degenerate, 0) << "triangles that repeat a vertex";
    EXPECT_EQ(badPosition, 0);
    EXPECT_EQ(badNormal, 0);
    EXPECT_EQ(badTangent, 0);
    destroyMesh(&mesh);
  }
}

// Every file of one folder equals the file of the same name in the other.
static void expectSameFiles(const std::string& a, const std::string& b, const char* what) {
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(a)) {
    std::string name = entry.path().filename().string();
    std::vector<uint8_t> x, y;
    ASSERT_TRUE(readWholeFile(entry.path().string(), &x)) << name;
    ASSERT_TRUE(readWholeFile(b + "/" + name, &y)) << what << ": " << name << " only in one run";
    EXPECT_TRUE(x == y) << what << ": " << name << " differs between runs";
    ++compared;
  }
  EXPECT_GT(compared, 0) << what;
}

TEST(DataSet, TwoRunsWriteIdenticalBytes) {
  DATA_SET(data);
  const std::string scratch = scratchPath("runs");
  std::error_code error;
  fs::remove_all(scratch, error);
  fs::create_directories(scratch, error);
  // Each part twice more, alone: the same bytes as each other and as the full run.
  for (const char* part : {"pictures", "meshes", "shaders"}) {
    std::string one = scratch + "/" + part + "1", two = scratch + "/" + part + "2";
    ASSERT_TRUE(runMakeData(std::string("--only ") + part + " --out '" + one + "'", one + ".log")) << part;
    ASSERT_TRUE(runMakeData(std::string("--only ") + part + " --out '" + two + "'", two + ".log")) << part;
    expectSameFiles(one, two, part);
    expectSameFiles(one, data, part);
  }
  fs::remove_all(scratch, error);
}
