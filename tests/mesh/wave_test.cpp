// The wave deformation: what it copies, its period with its own value of pi, the octave
// weights and their strict thresholds, and what it leaves alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "mesh/mesh.h"
#include "mesh_test_util.h"

// A flat single-frame grid of n x n vertices, spacing 1, at height 0, with triangles.
static Mesh flatGrid(int n) {
  Mesh mesh = makeMesh(n * n, 1, 2 * (n - 1) * (n - 1));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      MeshVertex& v = mesh.vertices[j * n + i];
      v.x = (float)i;
      v.z = (float)j;
      v.u = i * 0.25f;
      v.v = j * 0.5f;
      v.nx = 3.0f;                    // slot 0 normals and tangents must stay as they are
      v.tx = 4.0f;
    }
  int t = 0;
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      uint32_t a = j * n + i;
      mesh.triangles[t++] = MeshTriangle{a, a + (uint32_t)n, a + 1};
      mesh.triangles[t++] = MeshTriangle{a + 1, a + (uint32_t)n, a + (uint32_t)n + 1};
    }
  return mesh;
}

// Height that waveMesh gives a single vertex at (x, 0, z).
static float heightAt(float x, float z, float phase, float frequency, float amplitude, float octaves) {
  Mesh mesh = makeMesh(1, 1, 0);
  mesh.vertices[0].x = x;
  mesh.vertices[0].z = z;
  waveMesh(&mesh, phase, frequency, amplitude, octaves);
  float h = mesh.vertices[1].y;
  destroyMesh(&mesh);
  return h;
}

TEST(Wave, ZeroAmplitudeCopiesAndRederives) {
  Mesh mesh = flatGrid(3);
  waveMesh(&mesh, 12.0f, 0.3f, 0.0f, 3.0f);
  EXPECT_EQ(mesh.drawSlot, 1);
  for (int i = 0; i < 9; ++i) {
    const MeshVertex& s = mesh.vertices[i];
    const MeshVertex& w = mesh.vertices[9 + i];
    EXPECT_EQ(w.x, s.x);
    EXPECT_EQ(w.y, s.y);
    EXPECT_EQ(w.z, s.z);
    EXPECT_EQ(w.u, s.u);
    EXPECT_EQ(w.v, s.v);
    EXPECT_FLOAT_EQ(std::fabs(w.ny), 1.0f) << "flat grid normal";
    EXPECT_NEAR(w.tz * w.tz + w.ty * w.ty + w.tx * w.tx, 1.0f, 1e-5);
    EXPECT_EQ(s.nx, 3.0f);
    EXPECT_EQ(s.tx, 4.0f);
  }
  destroyMesh(&mesh);
}

TEST(Wave, DeformsFromTheKeyframeEveryCall) {
  Mesh mesh = flatGrid(4);
  waveMesh(&mesh, 0.3f, 0.1f, 2.0f, 1.0f);
  std::vector<MeshVertex> first(mesh.vertices + 16, mesh.vertices + 32);
  waveMesh(&mesh, 0.3f, 0.1f, 2.0f, 1.0f);   // same arguments, same shape: nothing accumulates
  EXPECT_EQ(memcmp(first.data(), mesh.vertices + 16, 16 * sizeof(MeshVertex)), 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(mesh.vertices[i].y, 0.0f) << "keyframe unchanged";
  bool lifted = false;
  for (int i = 0; i < 16; ++i) lifted |= mesh.vertices[16 + i].y != 0.0f;
  EXPECT_TRUE(lifted);
  destroyMesh(&mesh);
}

TEST(Wave, PhaseOriginAndPeriod) {
  // At x = z = -phase every sine argument is 0.
  EXPECT_EQ(heightAt(-7.5f, -7.5f, 7.5f, 0.0025f, 100.0f, 3.0f), 0.0f);
  // With frequency 0.0025 the wave repeats every 399.9991 units, not 400: pi is 3.1416 here.
  float atPeriod = heightAt(399.9991f, 0.0f, 0.0f, 0.0025f, 1000.0f, 1.0f);
  float at400 = heightAt(400.0f, 0.0f, 0.0f, 0.0025f, 1000.0f, 1.0f);
  EXPECT_LT(std::fabs(atPeriod), 0.003f);
  EXPECT_GT(std::fabs(at400), 0.01f);
  float alongZ = heightAt(0.0f, 399.9991f, 0.0f, 0.0025f, 1000.0f, 1.0f);
  EXPECT_LT(std::fabs(alongZ), 0.003f);
}

TEST(Wave, OctaveWeightsAndStrictThresholds) {
  // z = phase = 0 silences the z sines; x = 0.1 with frequency 1 leaves three distinct sines.
  const double p = 3.1416;
  const float x = 0.1f;
  const double s1 = std::sin((double)(x * 2.0f) * p);
  const double s2 = std::sin((double)(x * 4.0f) * p);
  const double s3 = std::sin((double)(x * 8.0f) * p);
  auto h = [&](float octaves) { return heightAt(x, 0.0f, 0.0f, 1.0f, 1.0f, octaves); };
  struct Case {
    float octaves;
    double expected;
  } cases[] = {
      {0.0f, s1},                               // no octave below the threshold, not a negative one
      {0.5f, s1},
      {1.0f, s1},                               // "above 1" is strict
      {1.5f, s1 + 0.125 * s2},                  // second octave at 0.125, no negative third
      {2.0f, s1 + 0.25 * s2},
      {2.5f, s1 + 0.375 * s2 + 0.03125 * s3},
      {3.0f, s1 + 0.5 * s2 + 0.0625 * s3},
  };
  for (const Case& c : cases) EXPECT_NEAR(h(c.octaves), c.expected, 2e-7) << c.octaves;
}

TEST(Wave, OnlySingleFrameMeshesAreDeformed) {
  Mesh mesh = makeMesh(2, 2, 0);
  mesh.vertices[2].y = 5.0f;                // keyframe 1 would be slot 1
  waveMesh(&mesh, 0.0f, 0.25f, 1.0f, 1.0f);
  EXPECT_EQ(mesh.vertices[2].y, 5.0f);
  EXPECT_EQ(mesh.drawSlot, 0);
  destroyMesh(&mesh);
}
