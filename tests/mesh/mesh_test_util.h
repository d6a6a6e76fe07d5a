// Small helpers shared by the mesh tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "mesh/mesh.h"

// All counts 0 and no arrays: the state every failed load leaves.
inline void expectEmptyMesh(const Mesh& mesh) {
  EXPECT_EQ(mesh.vertexCount, 0);
  EXPECT_EQ(mesh.triangleCount, 0);
  EXPECT_EQ(mesh.frameCount, 0);
  EXPECT_EQ(mesh.vertices, nullptr);
  EXPECT_EQ(mesh.triangles, nullptr);
}

inline void writeTextFile(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

// A Mesh built in memory: frames keyframes of n vertices plus the work slot, all zero.
inline Mesh makeMesh(int n, int frames, int triangles) {
  Mesh mesh{};
  mesh.vertexCount = n;
  mesh.frameCount = frames;
  mesh.triangleCount = triangles;
  mesh.vertices = (MeshVertex*)calloc((size_t)(frames + 1) * n, sizeof(MeshVertex));
  mesh.triangles = triangles ? (MeshTriangle*)calloc(triangles, sizeof(MeshTriangle)) : nullptr;
  mesh.texture = -1;
  return mesh;
}
