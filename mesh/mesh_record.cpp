// The Mesh record's small operations: placement, texture, scaling, keyframe blending into
// the work slot, and the two GL buffer objects from upload to release. Owns no globals.
#include <cmath>
#include <cstdlib>

#include "gl/extensions.h"
#include "mesh/mesh.h"

static const float DEGREES_TO_RADIANS = 0.017453292f;

Mesh* placeMesh(Mesh* mesh, float x, float y, float z, float a, float b, float c) {
  mesh->position[0] = x;
  mesh->position[1] = y;
  mesh->position[2] = z;
  mesh->rotationY = a * DEGREES_TO_RADIANS;
  mesh->rotationX = b * DEGREES_TO_RADIANS;
  mesh->rotationZ = c * DEGREES_TO_RADIANS;
  return mesh;
}

TextureId setMeshTexture(Mesh* mesh, TextureId id) {
  mesh->texture = id;
  return id;
}

Mesh* scaleMesh(Mesh* mesh, float factor) {
  if (!mesh->vertices || mesh->vertexCount <= 0 || mesh->frameCount <= 0) return mesh;
  size_t count = (size_t)mesh->frameCount * (size_t)mesh->vertexCount;
  for (size_t i = 0; i < count; ++i) {
    MeshVertex* v = &mesh->vertices[i];
    v->x *= factor;
    v->y *= factor;
    v->z *= factor;
  }
  return mesh;
}

// A position outside (-1, frameCount) is taken modulo frameCount into [0, frameCount): the
// animation loops. A non-finite one gives 0.
static float wrapFramePosition(float t, int frameCount) {
  if (!std::isfinite(t)) return 0.0f;
  if (t > -1.0f && t < (float)frameCount) return t;
  double wrapped = std::fmod((double)t, (double)frameCount);
  if (wrapped < 0.0) wrapped += frameCount;
  float result = (float)wrapped;
  if (!(result >= 0.0f && result < (float)frameCount)) result = 0.0f;   // rounded up to the end
  return result;
}

void interpolateMeshFrame(Mesh* mesh, float t) {
  const int frames = mesh->frameCount;
  if (frames <= 1) return;            // a static or deformed Mesh keeps its own slot
  t = wrapFramePosition(t, frames);
  int k = (int)t;                     // truncation toward zero: -1 < t < 0 gives 0
  int next = k < frames - 1 ? k + 1 : k - frames + 1;
  float w = t - (float)k;
  const int n = mesh->vertexCount;
  if (mesh->vertices && n > 0) {
    const MeshVertex* a = mesh->vertices + (size_t)k * n;
    const MeshVertex* b = mesh->vertices + (size_t)next * n;
    MeshVertex* out = mesh->vertices + (size_t)frames * n;
    for (int i = 0; i < n; ++i) {
      // Floats 0-2 and 7-14; the reserved floats 3-6 are left alone.
      const MeshVertex& p = a[i];
      const MeshVertex& q = b[i];
      MeshVertex& o = out[i];
      o.x = p.x + w * (q.x - p.x);
      o.y = p.y + w * (q.y - p.y);
      o.z = p.z + w * (q.z - p.z);
      o.u = p.u + w * (q.u - p.u);
      o.v = p.v + w * (q.v - p.v);
      o.nx = p.nx + w * (q.nx - p.nx);
      o.ny = p.ny + w * (q.ny - p.ny);
      o.nz = p.nz + w * (q.nz - p.nz);
      o.tx = p.tx + w * (q.tx - p.tx);
      o.ty = p.ty + w * (q.ty - p.ty);
      o.tz = p.tz + w * (q.tz - p.tz);
    }
  }
  mesh->drawSlot = frames;
}

void uploadMeshBuffers(Mesh* mesh) {
  // Without a GL context's entry points (tools, tests without GL) there is nothing to make.
  if (!ext::glGenBuffersARB || !ext::glBindBufferARB || !ext::glBufferDataARB) return;
  ext::glGenBuffersARB(2, &mesh->vertexBuffer);   // vertexBuffer and indexBuffer are adjacent
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh->vertexBuffer);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, mesh->indexBuffer);
  GLsizeiptrARB vertexBytes = mesh->vertices && mesh->vertexCount > 0
                                  ? (GLsizeiptrARB)mesh->vertexCount * (GLsizeiptrARB)sizeof(MeshVertex)
                                  : 0;
  GLsizeiptrARB triangleBytes = mesh->triangles && mesh->triangleCount > 0
                                    ? (GLsizeiptrARB)mesh->triangleCount * (GLsizeiptrARB)sizeof(MeshTriangle)
                                    : 0;
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB, vertexBytes, vertexBytes ? mesh->vertices : nullptr,
                       GL_DYNAMIC_DRAW_ARB);
  ext::glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, triangleBytes,
                       triangleBytes ? mesh->triangles : nullptr, GL_DYNAMIC_DRAW_ARB);
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}

int destroyMesh(Mesh* mesh) {
  if ((mesh->vertexBuffer || mesh->indexBuffer) && ext::glDeleteBuffersARB)
    ext::glDeleteBuffersARB(2, &mesh->vertexBuffer);
  // Zeroed names make a second destroy (or a draw) of this Mesh touch no GL object.
  mesh->vertexBuffer = 0;
  mesh->indexBuffer = 0;
  freeMeshArrays(mesh);
  mesh->texture = -1;
  return 0;
}
