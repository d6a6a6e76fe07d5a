// Geometry toolkit of the mesh generator: rotations, the fixed-seed generator, boxes,
// tubes and strands, and the text writers for .bof and .baf files.
#include "mesh_builder.h"

#include <cstdio>
#include <cstdlib>

#include "make_data.h"

M3 rotX(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}
M3 rotY(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}
M3 rotZ(float deg) {
  float c = std::cos(radians(deg)), s = std::sin(radians(deg));
  return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}
M3 rotAxis(V3 a, float deg) {
  a = normalize(a);
  float c = std::cos(radians(deg)), s = std::sin(radians(deg)), t = 1 - c;
  return {{{t * a.x * a.x + c, t * a.x * a.y - s * a.z, t * a.x * a.z + s * a.y},
           {t * a.x * a.y + s * a.z, t * a.y * a.y + c, t * a.y * a.z - s * a.x},
           {t * a.x * a.z - s * a.y, t * a.y * a.z + s * a.x, t * a.z * a.z + c}}};
}
M3 operator*(const M3& a, const M3& b) {
  M3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}
V3 operator*(const M3& a, V3 v) {
  return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
          a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
          a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}
M3 transpose(const M3& a) {
  M3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
  return r;
}

uint32_t MeshRng::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}
float MeshRng::uniform() { return (next() >> 8) * (1.0f / 16777216.0f); }
float MeshRng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

uint32_t BuildMesh::vertex(V3 p, float u, float v) {
  verts.push_back({p, u, v});
  return (uint32_t)verts.size() - 1;
}
void BuildMesh::triangle(uint32_t a, uint32_t b, uint32_t c) {
  tris.push_back(a);
  tris.push_back(b);
  tris.push_back(c);
}
void BuildMesh::quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  triangle(a, b, c);
  triangle(a, c, d);
}
void BuildMesh::quadFacing(uint32_t a, uint32_t b, uint32_t c, uint32_t d, V3 outward) {
  V3 n = cross(verts[b].p - verts[a].p, verts[c].p - verts[a].p) +
         cross(verts[c].p - verts[a].p, verts[d].p - verts[a].p);
  if (dot(n, outward) >= 0)
    quad(a, b, c, d);
  else
    quad(a, d, c, b);
}

void addBox(BuildMesh& m, V3 lo, V3 hi, float u0, float v0, float u1, float v1) {
  // Six faces, each with its own four corners so that edges stay sharp.
  const V3 normals[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
  for (const V3& n : normals) {
    // Two in-face axes: `r` (u direction) and `d` (down, v direction).
    V3 d = (n.y != 0) ? V3{0, 0, n.y > 0 ? -1.0f : 1.0f} : V3{0, -1, 0};
    V3 r = cross(d, n);
    V3 c = (lo + hi) * 0.5f, h = (hi - lo) * 0.5f;
    auto corner = [&](float sr, float sd) {
      V3 o = n + r * sr + d * sd;
      return V3{c.x + o.x * h.x, c.y + o.y * h.y, c.z + o.z * h.z};
    };
    uint32_t a = m.vertex(corner(-1, -1), u0, v0);
    uint32_t b = m.vertex(corner(1, -1), u1, v0);
    uint32_t cc = m.vertex(corner(1, 1), u1, v1);
    uint32_t dd = m.vertex(corner(-1, 1), u0, v1);
    m.quadFacing(a, b, cc, dd, n);
  }
}

void addTube(BuildMesh& m, const std::vector<V3>& spine, const std::vector<float>& radius,
             int sides, V3 up, float u0, float du, float v0, float v1, bool capStart,
             bool capEnd) {
  const int n = (int)spine.size();
  uint32_t base = m.count();
  V3 prevN = up;
  for (int k = 0; k < n; ++k) {
    V3 t = spine[k < n - 1 ? k + 1 : k] - spine[k > 0 ? k - 1 : k];
    if (length(t) < 1e-6f) t = V3{0, 1, 0};
    t = normalize(t);
    // Ring frame carried along the spine: the previous normal made perpendicular to t.
    V3 nn = prevN - t * dot(prevN, t);
    if (length(nn) < 1e-4f) nn = cross(t, std::fabs(t.x) < 0.9f ? V3{1, 0, 0} : V3{0, 0, 1});
    nn = normalize(nn);
    prevN = nn;
    V3 b = cross(t, nn);
    float v = n > 1 ? v0 + (v1 - v0) * k / (n - 1) : v0;
    for (int s = 0; s <= sides; ++s) {
      float a = 2 * PI_F * s / sides;
      V3 p = spine[k] + (nn * std::cos(a) + b * std::sin(a)) * radius[k];
      m.vertex(p, u0 + du * s / sides, v);
    }
  }
  // Around x along is outward for this ring frame (b = t x n).
  for (int k = 0; k + 1 < n; ++k)
    for (int s = 0; s < sides; ++s) {
      uint32_t a = base + k * (sides + 1) + s;
      m.quad(a, a + 1, a + 1 + sides + 1, a + sides + 1);
    }
  if (capEnd) {
    V3 t = normalize(spine[n - 1] - spine[n - 2]);
    uint32_t tip = m.vertex(spine[n - 1] + t * (radius[n - 1] * 0.5f), u0 + du * 0.5f, v1);
    uint32_t ring = base + (n - 1) * (sides + 1);
    for (int s = 0; s < sides; ++s) m.triangle(ring + s, ring + s + 1, tip);
  }
  if (capStart) {
    V3 t = normalize(spine[1] - spine[0]);
    uint32_t end = m.vertex(spine[0] - t * (radius[0] * 0.5f), u0 + du * 0.5f, v0);
    for (int s = 0; s < sides; ++s) m.triangle(base + s + 1, base + s, end);
  }
}

void addStrand(BuildMesh& m, const std::vector<V3>& spine, float rootRadius, float tipRadius,
               int sides, V3 up, float u0, float du, float v0, float v1) {
  std::vector<float> r(spine.size());
  for (size_t k = 0; k < spine.size(); ++k)
    r[k] = lerpf(rootRadius, tipRadius, spine.size() > 1 ? (float)k / (spine.size() - 1) : 0);
  addTube(m, spine, r, sides, up, u0, du, v0, v1, false, false);
}

void addHexahedron(BuildMesh& m, const V3 c[8], float u0, float v0, float u1, float v1) {
  // Faces as corner quads in order around their edge; the winding is fixed per face by
  // its direction from the solid's centre.
  static const int faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                  {2, 3, 7, 6}, {2, 0, 1, 3}, {4, 6, 7, 5}};
  V3 centre{0, 0, 0};
  for (int i = 0; i < 8; ++i) centre = centre + c[i] * 0.125f;
  for (const auto& f : faces) {
    V3 fc = (c[f[0]] + c[f[1]] + c[f[2]] + c[f[3]]) * 0.25f;
    uint32_t a = m.vertex(c[f[0]], u0, v0);
    uint32_t b = m.vertex(c[f[1]], u1, v0);
    uint32_t cc = m.vertex(c[f[2]], u1, v1);
    uint32_t d = m.vertex(c[f[3]], u0, v1);
    m.quadFacing(a, b, cc, d, fc - centre);
  }
}

void addSphere(BuildMesh& m, V3 centre, float radius, int nu, int nv, float u0, float u1, float v0,
               float v1) {
  addGrid(m, nu, nv, false, [&](int i, int j) {
    float a = 2 * PI_F * i / nu, b = PI_F * j / nv;
    V3 p{radius * std::sin(b) * std::cos(a), radius * std::cos(b), radius * std::sin(b) * std::sin(a)};
    return BuildVertex{centre + p, lerpf(u0, u1, (float)i / nu), lerpf(v0, v1, (float)j / nv)};
  });
}

uint32_t addRevolution(BuildMesh& m, V3 centre, const std::vector<ProfilePoint>& profile, int sides,
                       float sx, float sz, float u0, float u1) {
  return addGrid(m, sides, (int)profile.size() - 1, false, [&](int i, int j) {
    float a = 2 * PI_F * i / sides;
    const ProfilePoint& q = profile[j];
    V3 p{-q.r * sx * std::sin(a), q.y, q.r * sz * std::cos(a)};
    return BuildVertex{centre + p, lerpf(u0, u1, (float)i / sides), q.v};
  });
}

// Fixed-format number: four decimals through snprintf with the "C" conventions it always
// uses for %f (the generator never calls setlocale); negative zero prints as zero.
static void appendReal(std::string& s, float f) {
  char buf[32];
  if (std::fabs(f) < 0.00005f) f = 0.0f;
  std::snprintf(buf, sizeof buf, " %.4f", (double)f);
  s += buf;
}

static void appendVertices(std::string& s, const BuildMesh& m, float k) {
  char buf[24];
  for (size_t i = 0; i < m.verts.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%zu", i);
    s += buf;
    const BuildVertex& v = m.verts[i];
    appendReal(s, v.p.x * k);
    appendReal(s, v.p.y * k);
    appendReal(s, v.p.z * k);
    appendReal(s, v.u);
    appendReal(s, v.v);
    s += '\n';
  }
}

static void appendTriangles(std::string& s, const BuildMesh& m) {
  char buf[64];
  for (size_t t = 0; t * 3 < m.tris.size(); ++t) {
    std::snprintf(buf, sizeof buf, "%zu %u %u %u\n", t, m.tris[t * 3], m.tris[t * 3 + 1],
                  m.tris[t * 3 + 2]);
    s += buf;
  }
}

static bool writeText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = f && std::fclose(f) == 0 && ok;
  if (!ok) reportWriteFailure(path);
  return ok;
}

static void checkIndices(const std::string& name, const BuildMesh& m) {
  for (uint32_t i : m.tris)
    if (i >= m.verts.size()) {
      std::fprintf(stderr, "make-data: %s: index %u out of range\n", name.c_str(), i);
      std::abort();
    }
}

bool writeStaticMesh(const std::string& outDir, const std::string& name, const BuildMesh& m,
                     float fileScale) {
  checkIndices(name, m);
  std::string s;
  s.reserve(m.verts.size() * 56 + m.tris.size() * 8 + 64);
  char buf[96];
  std::snprintf(buf, sizeof buf, "mesh\n%zu\n%zu\n0.0 0.0 0.0\n", m.verts.size(), m.tris.size() / 3);
  s += buf;
  appendVertices(s, m, fileScale);
  appendTriangles(s, m);
  return writeText(outDir + "/" + name, s);
}

bool writeAnimatedMesh(const std::string& outDir, const std::string& name,
                       const std::vector<BuildMesh>& frames, float fileScale) {
  for (const BuildMesh& f : frames) {
    if (f.verts.size() != frames[0].verts.size() || f.tris != frames[0].tris) {
      std::fprintf(stderr, "make-data: %s: keyframes differ in topology\n", name.c_str());
      std::abort();
    }
  }
  checkIndices(name, frames[0]);
  std::string s;
  s.reserve(frames.size() * frames[0].verts.size() * 56 + frames[0].tris.size() * 8 + 64);
  char buf[96];
  std::snprintf(buf, sizeof buf, "anim\n%zu\n%zu\n%zu\n0.0 0.0 0.0\n", frames[0].verts.size(),
                frames[0].tris.size() / 3, frames.size());
  s += buf;
  for (const BuildMesh& f : frames) appendVertices(s, f, fileScale);
  appendTriangles(s, frames[0]);
  return writeText(outDir + "/" + name, s);
}
