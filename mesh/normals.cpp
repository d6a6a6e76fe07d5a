// Per-vertex normals (unit face normals summed without area weighting) and tangents (the
// surface direction in which the texture coordinate v grows), over a run of frameCount
// vertex slots starting at a first slot, plus the 3-vector helpers both use. Owns no globals.
#include <cmath>

#include "mesh/mesh.h"

Vec3 vec3Sub(Vec3 a, Vec3 b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 vec3Add(Vec3 a, Vec3 b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 vec3Scale(Vec3 a, float k) { return Vec3{k * a.x, k * a.y, k * a.z}; }
float vec3Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 vec3Cross(Vec3 a, Vec3 b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 vec3Normalize(Vec3 a) {
  float s = a.x * a.x + a.y * a.y + a.z * a.z;
  if (s == 0.0f) return a;            // a zero vector stays zero
  float k = 1.0f / std::sqrt(s);
  return Vec3{a.x * k, a.y * k, a.z * k};
}

static inline Vec3 positionOf(const MeshVertex& v) { return Vec3{v.x, v.y, v.z}; }
static inline Vec3 normalOf(const MeshVertex& v) { return Vec3{v.nx, v.ny, v.nz}; }

// The slots firstSlot .. firstSlot + frameCount - 1 exist in the block (the work slot is the
// last); false when there is nothing to process.
static bool slotRunValid(const Mesh* mesh, int firstSlot) {
  return mesh->vertices && mesh->vertexCount > 0 && mesh->frameCount > 0 && firstSlot >= 0 &&
         firstSlot <= 1;
}

static inline bool triangleValid(const MeshTriangle& t, uint32_t n) {
  return t.i0 < n && t.i1 < n && t.i2 < n;
}

void computeNormals(Mesh* mesh, int firstSlot) {
  if (!slotRunValid(mesh, firstSlot)) return;
  const size_t n = (size_t)mesh->vertexCount;
  for (int s = firstSlot; s < firstSlot + mesh->frameCount; ++s) {
    MeshVertex* slot = mesh->vertices + (size_t)s * n;
    for (size_t i = 0; i < n; ++i) slot[i].nx = slot[i].ny = slot[i].nz = 0.0f;
    for (int t = 0; mesh->triangles && t < mesh->triangleCount; ++t) {
      const MeshTriangle& tri = mesh->triangles[t];
      if (!triangleValid(tri, (uint32_t)n)) continue;
      MeshVertex& v0 = slot[tri.i0];
      MeshVertex& v1 = slot[tri.i1];
      MeshVertex& v2 = slot[tri.i2];
      Vec3 p0 = positionOf(v0);
      Vec3 e1 = vec3Sub(positionOf(v1), p0);
      Vec3 e2 = vec3Sub(positionOf(v2), p0);
      Vec3 f = vec3Normalize(vec3Cross(e2, e1));
      MeshVertex* corners[3] = {&v0, &v1, &v2};
      for (MeshVertex* c : corners) {
        c->nx += f.x;
        c->ny += f.y;
        c->nz += f.z;
      }
    }
    for (size_t i = 0; i < n; ++i) {
      Vec3 nrm = vec3Normalize(normalOf(slot[i]));
      slot[i].nx = nrm.x;
      slot[i].ny = nrm.y;
      slot[i].nz = nrm.z;
    }
  }
}

// The tangent fields themselves serve as the accumulators: nothing in the triangle pass reads
// them, so no temporary block is needed and the operation cannot fail for lack of memory.
void computeTangents(Mesh* mesh, int firstSlot) {
  if (!slotRunValid(mesh, firstSlot)) return;
  const size_t n = (size_t)mesh->vertexCount;
  for (int s = firstSlot; s < firstSlot + mesh->frameCount; ++s) {
    MeshVertex* slot = mesh->vertices + (size_t)s * n;
    for (size_t i = 0; i < n; ++i) slot[i].tx = slot[i].ty = slot[i].tz = 0.0f;
    for (int t = 0; mesh->triangles && t < mesh->triangleCount; ++t) {
      const MeshTriangle& tri = mesh->triangles[t];
      if (!triangleValid(tri, (uint32_t)n)) continue;
      MeshVertex* v0 = &slot[tri.i0];
      MeshVertex* v1 = &slot[tri.i1];
      MeshVertex* v2 = &slot[tri.i2];
      Vec3 p0 = positionOf(*v0), p1 = positionOf(*v1), p2 = positionOf(*v2);
      // Absolute cosines of the angles at the three corners.
      Vec3 e01 = vec3Normalize(vec3Sub(p1, p0));
      Vec3 e02 = vec3Normalize(vec3Sub(p2, p0));
      Vec3 e21 = vec3Normalize(vec3Sub(p1, p2));
      float c0 = std::fabs(vec3Dot(e01, e02));
      float c1 = std::fabs(vec3Dot(e01, e21));
      float c2 = std::fabs(vec3Dot(e21, e02));
      // The pivot is the corner closest to a right angle, in cyclic order.
      const MeshVertex *a, *b, *c;
      if (c2 + c1 >= 2.0f * c0) {
        a = v0, b = v1, c = v2;
      } else if (c2 + c0 < 2.0f * c1) {
        a = v2, b = v0, c = v1;
      } else {
        a = v1, b = v2, c = v0;
      }
      Vec3 d1 = vec3Normalize(vec3Sub(positionOf(*b), positionOf(*a)));
      Vec3 d2 = vec3Normalize(vec3Sub(positionOf(*c), positionOf(*a)));
      float w = 1.0f - std::fabs(vec3Dot(d1, d2));
      Vec3 tangent = vec3Add(vec3Add(vec3Scale(normalOf(*a), 0.01f), vec3Scale(d1, b->v - a->v)),
                             vec3Scale(d2, c->v - a->v));
      tangent = vec3Scale(vec3Normalize(tangent), w * w);
      MeshVertex* corners[3] = {v0, v1, v2};
      for (MeshVertex* corner : corners) {
        corner->tx += tangent.x;
        corner->ty += tangent.y;
        corner->tz += tangent.z;
      }
    }
    for (size_t i = 0; i < n; ++i) {
      Vec3 tg = vec3Normalize(Vec3{slot[i].tx, slot[i].ty, slot[i].tz});
      slot[i].tx = tg.x;
      slot[i].ty = tg.y;
      slot[i].tz = tg.z;
    }
  }
}
