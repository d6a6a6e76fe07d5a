// Placeholders until the mesh code is written; each definition moves to its own file.
#include "mesh/mesh.h"

Mesh* placeMesh(Mesh* mesh, float, float, float, float, float, float) { return mesh; }
TextureId setMeshTexture(Mesh* mesh, TextureId id) { mesh->texture = id; return id; }
Mesh* scaleMesh(Mesh* mesh, float) { return mesh; }
void interpolateMeshFrame(Mesh*, float) {}
void uploadMeshBuffers(Mesh*) {}
int destroyMesh(Mesh*) { return 0; }
void loadStaticMesh(const char*, Mesh*) {}
void loadAnimatedMesh(const char*, Mesh*) {}
Vec3 vec3Sub(Vec3 a, Vec3) { return a; }
Vec3 vec3Add(Vec3 a, Vec3) { return a; }
Vec3 vec3Scale(Vec3 a, float) { return a; }
float vec3Dot(Vec3, Vec3) { return 0.0f; }
Vec3 vec3Cross(Vec3 a, Vec3) { return a; }
Vec3 vec3Normalize(Vec3 a) { return a; }
void computeNormals(Mesh*, int) {}
void computeTangents(Mesh*, int) {}
void waveMesh(Mesh*, float, float, float, float) {}
