// Normals and tangents: the square example, the pivot rules, unused vertices, several
// keyframes, and the zero-vector rule of the normaliser.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh/mesh.h"
#include "mesh_test_util.h"

static const char SQUARE_BOF[] =
    "mesh 4 2 0 0 0\n"
    "0 -1.0 0.0 -1.0 0.0 0.0\n1 1.0 0.0 -1.0 1.0 0.0\n2 1.0 0.0 1.0 1.0 1.0\n3 -1.0 0.0 1.0 0.0 1.0\n"
    "0 0 1 2\n1 0 2 3\n";

TEST(Normals, SquareGetsDownNormalAndTiltedTangent) {
  Mesh mesh{};
  ASSERT_EQ(parseStaticMesh(SQUARE_BOF, sizeof(SQUARE_BOF) - 1, &mesh, "square"), MeshParsed);
  mesh.vertices[4].nx = mesh.vertices[4].tx = 42.0f;    // the work slot must stay untouched
  computeNormals(&mesh);
  computeTangents(&mesh);
  for (int i = 0; i < 4; ++i) {
    const MeshVertex& v = mesh.vertices[i];
    EXPECT_FLOAT_EQ(v.nx, 0.0f);
    EXPECT_FLOAT_EQ(v.ny, -1.0f);
    EXPECT_FLOAT_EQ(v.nz, 0.0f);
    EXPECT_NEAR(v.tx, 0.0f, 1e-7);
    EXPECT_NEAR(v.ty, -0.0099995f, 1e-7) << i;
    EXPECT_NEAR(v.tz, 0.99995f, 1e-6) << i;
  }
  EXPECT_EQ(mesh.vertices[4].nx, 42.0f);
  EXPECT_EQ(mesh.vertices[4].tx, 42.0f);
  destroyMesh(&mesh);
}

// One triangle of three vertices with hand-set normals (computeNormals is not run).
static Mesh oneTriangle(Vec3 p0, Vec3 p1, Vec3 p2) {
  Mesh mesh = makeMesh(3, 1, 1);
  Vec3 p[3] = {p0, p1, p2};
  const Vec3 normals[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    MeshVertex& v = mesh.vertices[i];
    v.x = p[i].x, v.y = p[i].y, v.z = p[i].z;
    v.nx = normals[i].x, v.ny = normals[i].y, v.nz = normals[i].z;
  }
  mesh.triangles[0] = MeshTriangle{0, 1, 2};
  return mesh;
}

TEST(Normals, TangentPivotRules) {
  // All corners in one point: every cosine is 0, the tie keeps V0 as pivot, and the tangent
  // is V0's normal (weight 1) at all three vertices.
  Mesh tie = oneTriangle({1, 1, 1}, {1, 1, 1}, {1, 1, 1});
  computeTangents(&tie);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(tie.vertices[i].tx, 1.0f) << i;
    EXPECT_FLOAT_EQ(tie.vertices[i].ty, 0.0f) << i;
  }
  destroyMesh(&tie);

  // A right angle at V0 with v growing along V0->V1: pivot V0, tangent along +x plus the
  // small share of V0's normal (also +x).
  Mesh right = oneTriangle({0, 0, 0}, {2, 0, 0}, {0, 0, 3});
  right.vertices[1].v = 1.0f;
  computeTangents(&right);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(right.vertices[i].tx, 1.0f) << i;
    EXPECT_FLOAT_EQ(right.vertices[i].tz, 0.0f) << i;
  }
  destroyMesh(&right);

  // The right angle at V1: V1 pivots (A, B, C) = (V1, V2, V0); v grows toward V2 only.
  Mesh atOne = oneTriangle({2, 0, 0}, {0, 0, 0}, {0, 0, 3});
  atOne.vertices[2].v = 1.0f;
  computeTangents(&atOne);
  EXPECT_NEAR(atOne.vertices[0].ty, 0.01f / std::sqrt(1.0001f), 1e-6);
  EXPECT_NEAR(atOne.vertices[0].tz, 1.0f / std::sqrt(1.0001f), 1e-6);
  destroyMesh(&atOne);

  // The right angle at V2: V2 pivots (A, B, C) = (V2, V0, V1); its normal is +z.
  Mesh atTwo = oneTriangle({2, 0, 0}, {0, 0, 3}, {0, 0, 0});
  atTwo.vertices[0].v = 1.0f;
  computeTangents(&atTwo);
  EXPECT_NEAR(atTwo.vertices[1].tx, 1.0f / std::sqrt(1.0001f), 1e-6);
  EXPECT_NEAR(atTwo.vertices[1].tz, 0.01f / std::sqrt(1.0001f), 1e-6);
  destroyMesh(&atTwo);
}

TEST(Normals, UnusedVertexKeepsZeroAndKeyframesAreSeparate) {
  Mesh mesh = makeMesh(4, 2, 1);
  // Keyframe 0 in the plane y = 0, keyframe 1 in the plane x = 0; vertex 3 unused.
  const float k0[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  const float k1[3][3] = {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    mesh.vertices[i].x = k0[i][0], mesh.vertices[i].y = k0[i][1], mesh.vertices[i].z = k0[i][2];
    MeshVertex& w = mesh.vertices[4 + i];
    w.x = k1[i][0], w.y = k1[i][1], w.z = k1[i][2];
  }
  mesh.vertices[3].nx = mesh.vertices[3].tx = 5.0f;   // stale values are overwritten with 0
  mesh.vertices[8].ny = 9.0f;                         // work slot
  mesh.triangles[0] = MeshTriangle{0, 2, 1};          // file triangle 0 1 2
  computeNormals(&mesh);
  computeTangents(&mesh);
  // (P1 - P0) x (P2 - P0) of the file's order a, b, c.
  EXPECT_FLOAT_EQ(mesh.vertices[0].ny, -1.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[4].nx, 1.0f);
  EXPECT_EQ(mesh.vertices[3].nx, 0.0f);
  EXPECT_EQ(mesh.vertices[3].tx, 0.0f);
  EXPECT_EQ(mesh.vertices[7].nx, 0.0f);
  EXPECT_EQ(mesh.vertices[8].ny, 9.0f);
  destroyMesh(&mesh);
}

TEST(Normals, VectorHelpers) {
  Vec3 zero = vec3Normalize(Vec3{0, 0, 0});
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);
  EXPECT_EQ(zero.z, 0.0f);
  Vec3 n = vec3Normalize(Vec3{3, 0, 4});
  EXPECT_FLOAT_EQ(n.x, 0.6f);
  EXPECT_FLOAT_EQ(n.z, 0.8f);
  Vec3 c = vec3Cross(Vec3{1, 0, 0}, Vec3{0, 1, 0});
  EXPECT_EQ(c.z, 1.0f);
  EXPECT_EQ(c.x, 0.0f);
  EXPECT_EQ(vec3Dot(Vec3{1, 2, 3}, Vec3{4, 5, 6}), 32.0f);
  Vec3 s = vec3Sub(vec3Add(Vec3{1, 2, 3}, vec3Scale(Vec3{1, 1, 1}, 2)), Vec3{3, 4, 5});
  EXPECT_EQ(s.x + s.y + s.z, 0.0f);
}
