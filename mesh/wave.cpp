// The wave deformation: a single-frame Mesh's keyframe lifted along y by sines running along
// x and z (with up to two higher octaves), written into its work slot with fresh normals and
// tangents. Owns no globals.
#include <cmath>

#include "mesh/mesh.h"

static const double WAVE_PI = 3.1416;   // deliberately not the exact value: it sets the period

void waveMesh(Mesh* mesh, float phase, float frequency, float amplitude, float octaves) {
  // Slot 1 is the work slot only for a single keyframe; other Meshes are left alone.
  if (mesh->frameCount != 1 || !mesh->vertices || mesh->vertexCount <= 0) return;
  const int n = mesh->vertexCount;
  const MeshVertex* source = mesh->vertices;
  MeshVertex* out = mesh->vertices + n;
  for (int i = 0; i < n; ++i) {
    const MeshVertex& s = source[i];
    MeshVertex& w = out[i];
    float ax = (phase + s.x) * frequency;
    float az = (phase + s.z) * frequency;
    double h = s.y + amplitude * (std::sin((double)(ax * 2.0f) * WAVE_PI) +
                                  std::sin((double)(az * 2.0f) * WAVE_PI));
    if (octaves > 1.0f)
      h += amplitude * (octaves - 1.0f) * 0.25 *
           (std::sin((double)(ax * 4.0f) * WAVE_PI) + std::sin((double)(az * 4.0f) * WAVE_PI));
    if (octaves > 2.0f)
      h += amplitude * (octaves - 2.0f) * 0.0625 *
           (std::sin((double)(ax * 8.0f) * WAVE_PI) + std::sin((double)(az * 8.0f) * WAVE_PI));
    w.x = s.x;
    w.y = (float)h;
    w.z = s.z;
    w.u = s.u;
    w.v = s.v;
  }
  computeNormals(mesh, 1);
  computeTangents(mesh, 1);
  mesh->drawSlot = 1;
}
