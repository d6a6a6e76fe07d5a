// Meshes: the record shared by every scene, its small operations, the .bof/.baf loaders,
// normals and tangents, and the wave deformation.
#pragma once
#include <cstddef>
#include <cstdint>
#include "texture/texture.h"

struct MeshVertex {                   // 15 floats, 60 bytes; the GL arrays point into this layout
  float x, y, z;
  float reserved[4];
  float u, v;
  float nx, ny, nz;
  float tx, ty, tz;
};
static_assert(sizeof(MeshVertex) == 60, "MeshVertex is 60 bytes");

struct MeshTriangle {                 // vertex indices relative to the start of a slot
  uint32_t i0, i1, i2;
};

struct Mesh {
  int32_t vertexCount;                // vertices in one frame
  int32_t triangleCount;
  int32_t frameCount;                 // keyframes; 1 for a static mesh
  MeshVertex* vertices;               // (frameCount + 1) slots of vertexCount; the last is the work slot
  MeshTriangle* triangles;
  float position[3];
  float rotationY, rotationX, rotationZ;   // radians
  TextureId texture;
  int32_t drawSlot;                   // slot that drawing shows
  float framePosition;                // animation position in frames
  uint32_t vertexBuffer;              // GL buffer names, adjacent: one call creates or deletes both
  uint32_t indexBuffer;
};

// Record operations.
Mesh* placeMesh(Mesh* mesh, float x, float y, float z, float a, float b, float c); // angles in degrees
TextureId setMeshTexture(Mesh* mesh, TextureId id);
Mesh* scaleMesh(Mesh* mesh, float factor);           // keyframes only, not the work slot
void interpolateMeshFrame(Mesh* mesh, float t);      // blend into the work slot; t wraps into range
void uploadMeshBuffers(Mesh* mesh);                  // create and fill both GL buffers
int destroyMesh(Mesh* mesh);                         // free arrays and buffers; safe when empty

// How a load or parse ended. Only the loaders give MeshFileMissing.
enum MeshParseResult { MeshParsed = 0, MeshOutOfMemory = 1, MeshMalformed = 2, MeshFileMissing = 3 };

// Files. The loaders read the whole file, parse it and upload the buffers; on any failure
// they print their message and leave an empty Mesh (all counts 0, no arrays) that draws
// nothing. They return how the load ended, so that the caller can answer a failure (the
// asset inventory presents the frame after a static mesh's "file not found" or "not nuff mem").
int loadStaticMesh(const char* path, Mesh* mesh);    // .bof
int loadAnimatedMesh(const char* path, Mesh* mesh);  // .baf

// Parsing without any GL call (tools, fuzzing): fill the counts and arrays of an empty Mesh
// from the bytes of a .bof or .baf file held in memory. Prints the loaders' messages on
// standard output ("not nuff mem", "WTF") and, for a malformed file, one line on standard
// error naming nameForMessages and the problem. The buffers are not touched.
int parseStaticMesh(const char* bytes, size_t size, Mesh* mesh, const char* nameForMessages);
int parseAnimatedMesh(const char* bytes, size_t size, Mesh* mesh, const char* nameForMessages);
void freeMeshArrays(Mesh* mesh);     // free both arrays, null them, counts 0; no GL call

// Normals and tangents.
struct Vec3 {
  float x, y, z;
};
Vec3 vec3Sub(Vec3 a, Vec3 b);
Vec3 vec3Add(Vec3 a, Vec3 b);
Vec3 vec3Scale(Vec3 a, float k);
float vec3Dot(Vec3 a, Vec3 b);
Vec3 vec3Cross(Vec3 a, Vec3 b);
Vec3 vec3Normalize(Vec3 a);
void computeNormals(Mesh* mesh, int firstSlot = 0);
void computeTangents(Mesh* mesh, int firstSlot = 0);

// Wave deformation of a single-frame mesh into its work slot.
void waveMesh(Mesh* mesh, float phase, float frequency, float amplitude, float octaves);
