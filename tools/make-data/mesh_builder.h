// Small toolkit the mesh generator builds every object with: 3-vectors and rotations, a
// growable vertex/triangle list, grids, tubes and strands, and the .bof/.baf writers.
//
// Winding rule for everything added here: a triangle (a, b, c) is stored so that
// (Pb - Pa) x (Pc - Pa) points out of the object (right-hand rule, file coordinates). The
// show's loader swaps b and c and draws with a z-mirrored model-view, so this side is the
// one the camera sees with back faces culled.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct V3 {
  float x, y, z;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline V3 operator*(float k, V3 a) { return a * k; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalize(V3 a) {
  float l = length(a);
  return l > 0.0f ? a * (1.0f / l) : a;
}
inline V3 lerp(V3 a, V3 b, float t) { return a + (b - a) * t; }
inline float lerpf(float a, float b, float t) { return a + (b - a) * t; }
inline float clampf(float x, float lo, float hi) { return x < lo ? lo : (x > hi ? hi : x); }
inline float smooth01(float t) {
  t = clampf(t, 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

constexpr float PI_F = 3.14159265f;
inline float radians(float deg) { return deg * (PI_F / 180.0f); }

// Row-major 3x3 rotation; rotX/rotY/rotZ follow GL's glRotatef about the unit axes.
struct M3 {
  float m[3][3];
};
M3 rotX(float deg);
M3 rotY(float deg);
M3 rotZ(float deg);
M3 rotAxis(V3 axis, float deg);
M3 operator*(const M3& a, const M3& b);
V3 operator*(const M3& a, V3 v);
M3 transpose(const M3& a);

// Fixed-seed generator (xorshift32): the same numbers on every run and every machine.
struct MeshRng {
  uint32_t state;
  uint32_t next();
  float uniform();                       // [0, 1)
  float range(float lo, float hi);
};

struct BuildVertex {
  V3 p;
  float u, v;
};

struct BuildMesh {
  std::vector<BuildVertex> verts;
  std::vector<uint32_t> tris;            // triples a, b, c (outward by the right-hand rule)

  uint32_t vertex(V3 p, float u, float v);
  void triangle(uint32_t a, uint32_t b, uint32_t c);
  // Quad a-b-c-d in order around its edge; stored as (a, b, c), (a, c, d).
  void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
  // The same quad, reordered if needed so that its face points along `outward`.
  void quadFacing(uint32_t a, uint32_t b, uint32_t c, uint32_t d, V3 outward);
  uint32_t count() const { return (uint32_t)verts.size(); }
};

// Regular grid of (nu + 1) x (nv + 1) vertices from f(i, j) (i along the first direction,
// j along the second). Its faces point along Pi x Pj, or the other way when `flip`.
// Returns the index of vertex (0, 0); vertex (i, j) is base + j * (nu + 1) + i.
template <class F>
uint32_t addGrid(BuildMesh& m, int nu, int nv, bool flip, F f) {
  uint32_t base = m.count();
  for (int j = 0; j <= nv; ++j)
    for (int i = 0; i <= nu; ++i) {
      BuildVertex bv = f(i, j);
      m.vertex(bv.p, bv.u, bv.v);
    }
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nu; ++i) {
      uint32_t a = base + j * (nu + 1) + i, b = a + 1, c = b + nu + 1, d = a + nu + 1;
      if (flip)
        m.quad(a, d, c, b);
      else
        m.quad(a, b, c, d);
    }
  return base;
}

// Both sides of a grid, each with its own vertices (so each side gets its own normals).
template <class F>
void addGridTwoSided(BuildMesh& m, int nu, int nv, F f) {
  addGrid(m, nu, nv, false, f);
  addGrid(m, nu, nv, true, f);
}

// Closed box between corners lo and hi; every face maps u, v over [u0, u1] x [v0, v1]
// (v0 at the top of side faces).
void addBox(BuildMesh& m, V3 lo, V3 hi, float u0, float v0, float u1, float v1);

// A tube along `spine` (at least 2 points) with one radius per spine point, `sides`
// faces around, u over [u0, u0 + du] around and v from v0 at the first point to v1 at the
// last. `up` seeds the ring frame. Ends are left open; `capEnd` closes the last ring with a
// point, `capStart` the first. Faces point out of the tube.
void addTube(BuildMesh& m, const std::vector<V3>& spine, const std::vector<float>& radius,
             int sides, V3 up, float u0, float du, float v0, float v1, bool capStart,
             bool capEnd);

// One hair strand: a thin tube from root to tip with v running 0 (root) .. 1 (tip).
void addStrand(BuildMesh& m, const std::vector<V3>& spine, float rootRadius, float tipRadius,
               int sides, V3 up, float u0, float du, float v0 = 0.0f, float v1 = 1.0f);

// Closed six-sided solid from eight corners, corner index = x bit | y bit << 1 | z bit << 2
// (any convex, box-like shape); every face maps u, v over [u0, u1] x [v0, v1].
void addHexahedron(BuildMesh& m, const V3 c[8], float u0, float v0, float u1, float v1);

// UV sphere (nu around, nv pole to pole), faces out; u over [u0, u1] around, v over
// [v0, v1] from the top pole down.
void addSphere(BuildMesh& m, V3 centre, float radius, int nu, int nv, float u0, float u1, float v0,
               float v1);

// Surface of revolution about the y axis through `centre`, from a profile of (radius, y, v)
// points listed from the top down, an elliptical section (radius times sx in x, sz in z)
// and u over [u0, u1] once around with u = (u0 + u1) / 2 facing -z. Faces point away
// from the axis along the profile's outer side.
struct ProfilePoint {
  float r, y, v;
};
uint32_t addRevolution(BuildMesh& m, V3 centre, const std::vector<ProfilePoint>& profile, int sides,
                       float sx, float sz, float u0, float u1);

// Apply a function to every vertex position added since index `from`.
template <class F>
void transformFrom(BuildMesh& m, uint32_t from, F f) {
  for (size_t i = from; i < m.verts.size(); ++i) m.verts[i].p = f(m.verts[i].p);
}

// Writers. Positions are multiplied by `fileScale` (10 for meshes the show scales by 0.1).
// Every keyframe of an animated mesh must have the same vertex count and triangle list;
// a mismatch is a generator bug and ends the program with a message.
bool writeStaticMesh(const std::string& outDir, const std::string& name, const BuildMesh& m,
                     float fileScale);
bool writeAnimatedMesh(const std::string& outDir, const std::string& name,
                       const std::vector<BuildMesh>& frames, float fileScale);
