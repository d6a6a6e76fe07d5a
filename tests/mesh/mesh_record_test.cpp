// The Mesh record's operations without GL: layout, placement, scaling, keyframe blending and
// the safety of every operation on an empty or destroyed Mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "mesh/mesh.h"
#include "mesh_test_util.h"

TEST(MeshRecord, VertexLayoutMatchesTheGlArrays) {
  EXPECT_EQ(sizeof(MeshVertex), 60u);
  EXPECT_EQ(offsetof(MeshVertex, x), 0u);
  EXPECT_EQ(offsetof(MeshVertex, u), 28u);
  EXPECT_EQ(offsetof(MeshVertex, nx), 36u);
  EXPECT_EQ(offsetof(MeshVertex, tx), 48u);
  EXPECT_EQ(sizeof(MeshTriangle), 12u);
  // One GL call creates or deletes both buffers, so their fields must be adjacent.
  EXPECT_EQ(offsetof(Mesh, indexBuffer), offsetof(Mesh, vertexBuffer) + sizeof(uint32_t));
}

TEST(MeshRecord, PlaceMeshStoresRadiansInSinglePrecision) {
  Mesh mesh{};
  EXPECT_EQ(placeMesh(&mesh, 1, 2, 3, 90, 0, 0), &mesh);
  EXPECT_EQ(mesh.rotationY, 1.5707964f);
  EXPECT_EQ(mesh.rotationX, 0.0f);
  EXPECT_EQ(mesh.rotationZ, 0.0f);
  EXPECT_EQ(mesh.position[2], 3.0f);
  placeMesh(&mesh, 0, 0, 0, 0, 180, -45);
  EXPECT_EQ(mesh.rotationX, 180 * 0.017453292f);
  EXPECT_EQ(mesh.rotationZ, -45 * 0.017453292f);
  EXPECT_EQ(setMeshTexture(&mesh, 5), 5);
  EXPECT_EQ(mesh.texture, 5);
}

TEST(MeshRecord, ScaleMeshScalesKeyframesOnly) {
  Mesh mesh = makeMesh(2, 2, 0);
  for (int i = 0; i < 6; ++i) {
    MeshVertex& v = mesh.vertices[i];
    v.x = 10.0f + i;
    v.y = 20.0f + i;
    v.z = 30.0f + i;
    v.u = v.nx = v.tx = 0.5f;
  }
  EXPECT_EQ(scaleMesh(&mesh, 0.1f), &mesh);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(mesh.vertices[i].x, (10.0f + i) * 0.1f) << i;
    EXPECT_EQ(mesh.vertices[i].z, (30.0f + i) * 0.1f) << i;
    EXPECT_EQ(mesh.vertices[i].u, 0.5f);
    EXPECT_EQ(mesh.vertices[i].nx, 0.5f);
    EXPECT_EQ(mesh.vertices[i].tx, 0.5f);
  }
  for (int i = 4; i < 6; ++i) EXPECT_EQ(mesh.vertices[i].y, 20.0f + i) << "work slot";
  destroyMesh(&mesh);
}

// Four keyframes whose every float differs by frame and vertex; reserved floats are sentinels.
static Mesh fourKeyframes() {
  Mesh mesh = makeMesh(3, 4, 0);
  for (int f = 0; f < 5; ++f)
    for (int i = 0; i < 3; ++i) {
      MeshVertex& v = mesh.vertices[f * 3 + i];
      float* p = &v.x;
      for (int k = 0; k < 15; ++k) p[k] = f == 4 ? -99.0f : f * 10.0f + i + k * 0.01f * (f + 1);
      for (float& r : v.reserved) r = 777.0f;
    }
  return mesh;
}

static void expectBlend(const Mesh& mesh, int a, int b, float w, const char* label) {
  for (int i = 0; i < 3; ++i) {
    const float* pa = &mesh.vertices[a * 3 + i].x;
    const float* pb = &mesh.vertices[b * 3 + i].x;
    const float* po = &mesh.vertices[4 * 3 + i].x;
    for (int k = 0; k < 15; ++k) {
      if (k >= 3 && k <= 6) {
        EXPECT_EQ(po[k], 777.0f) << label << ": reserved float " << k;
      } else {
        EXPECT_FLOAT_EQ(po[k], pa[k] + w * (pb[k] - pa[k])) << label << ": vertex " << i << " float " << k;
      }
    }
  }
}

TEST(MeshRecord, InterpolationBlendsElevenFloatsIntoTheWorkSlot) {
  Mesh mesh = fourKeyframes();
  interpolateMeshFrame(&mesh, 2.0f);
  EXPECT_EQ(mesh.drawSlot, 4);
  for (int i = 0; i < 3; ++i) {
    const float* k2 = &mesh.vertices[2 * 3 + i].x;
    const float* out = &mesh.vertices[4 * 3 + i].x;
    for (int k = 0; k < 15; ++k)
      if (k < 3 || k > 6) {
        EXPECT_EQ(out[k], k2[k]) << "w = 0 copies keyframe 2 exactly";
      }
  }
  interpolateMeshFrame(&mesh, 3.25f);       // the last keyframe blends toward keyframe 0
  expectBlend(mesh, 3, 0, 0.25f, "3.25");
  interpolateMeshFrame(&mesh, 0.5f);
  expectBlend(mesh, 0, 1, 0.5f, "0.5");
  interpolateMeshFrame(&mesh, -0.5f);       // truncation toward zero extrapolates from keyframe 0
  expectBlend(mesh, 0, 1, -0.5f, "-0.5");
  EXPECT_EQ(mesh.drawSlot, 4);
  // Keyframes are never written.
  EXPECT_EQ(mesh.vertices[0].x, 0.0f);
  EXPECT_EQ(mesh.vertices[9].x, 30.0f);
  destroyMesh(&mesh);
}

TEST(MeshRecord, InterpolationWrapsPositionsOutsideTheLoop) {
  struct Case {
    float t;
    int a, b;
    float w;
  } cases[] = {{4.0f, 0, 1, 0.0f},  {5.25f, 1, 2, 0.25f}, {-1.0f, 3, 0, 0.0f},
               {-4.75f, 3, 0, 0.25f}, {403.5f, 3, 0, 0.5f}, {1e30f, 0, 1, 0.0f}};
  for (const Case& c : cases) {
    Mesh mesh = fourKeyframes();
    interpolateMeshFrame(&mesh, c.t);
    std::string label = "t = " + std::to_string(c.t);
    expectBlend(mesh, c.a, c.b, c.w, label.c_str());
    EXPECT_EQ(mesh.drawSlot, 4) << label;
    destroyMesh(&mesh);
  }
  const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  for (float t : odd) {
    Mesh mesh = fourKeyframes();
    interpolateMeshFrame(&mesh, t);
    expectBlend(mesh, 0, 1, 0.0f, "non-finite position shows keyframe 0");
    destroyMesh(&mesh);
  }
}

TEST(MeshRecord, SingleFrameMeshIsNeverInterpolated) {
  Mesh mesh = makeMesh(3, 1, 0);
  for (int i = 0; i < 6; ++i) mesh.vertices[i].x = (float)i;
  Mesh before = mesh;
  std::vector<MeshVertex> copy(mesh.vertices, mesh.vertices + 6);
  for (float t : {0.0f, 0.5f, 7.0f, -3.0f}) interpolateMeshFrame(&mesh, t);
  EXPECT_EQ(memcmp(copy.data(), mesh.vertices, 6 * sizeof(MeshVertex)), 0);
  EXPECT_EQ(mesh.drawSlot, 0);
  mesh.drawSlot = 1;                          // as waveMesh leaves it
  interpolateMeshFrame(&mesh, 0.5f);
  EXPECT_EQ(mesh.drawSlot, 1);
  EXPECT_EQ(before.vertexCount, mesh.vertexCount);
  destroyMesh(&mesh);
}

TEST(MeshRecord, EmptyAndDestroyedMeshesAreSafeEverywhere) {
  Mesh zero{};
  Mesh failed{};
  EXPECT_EQ(parseStaticMesh("x", 1, &failed, "t.bof"), MeshMalformed);
  Mesh destroyed = fourKeyframes();
  EXPECT_EQ(destroyMesh(&destroyed), 0);
  EXPECT_EQ(destroyed.vertices, nullptr);
  EXPECT_EQ(destroyed.texture, -1);
  EXPECT_EQ(destroyed.vertexBuffer, 0u);
  EXPECT_EQ(destroyed.frameCount, 0);        // freeMeshArrays clears the frame count with the arrays
  Mesh animatedNoVertices{};
  animatedNoVertices.frameCount = 3;
  for (Mesh* m : {&zero, &failed, &destroyed, &animatedNoVertices}) {
    interpolateMeshFrame(m, 1.5f);
    interpolateMeshFrame(m, 100.0f);
    scaleMesh(m, 2.0f);
    computeNormals(m);
    computeTangents(m);
    computeNormals(m, 1);
    computeTangents(m, 1);
    waveMesh(m, 1.0f, 0.0025f, 10.0f, 3.0f);
    EXPECT_EQ(destroyMesh(m), 0);
    EXPECT_EQ(destroyMesh(m), 0);             // a second destroy does nothing
    EXPECT_EQ(m->vertices, nullptr);
    EXPECT_EQ(m->vertexCount, 0);
  }
  EXPECT_EQ(animatedNoVertices.drawSlot, 3);
  EXPECT_EQ(zero.drawSlot, 0);
}
