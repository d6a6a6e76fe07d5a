// The cartoon house of the first scenes: walls and roof, door, window panes, fence, the
// fence sprouting tufts, the two pigtails on the roof and the hair creeping over the walls.
// Built in world units (the show scales these files by 0.1, so they are written 10x):
// about 50 wide and 45 tall, standing on y = 0, front toward -z.
#include <vector>

#include "mesh_builder.h"
#include "mesh_groups.h"

namespace {

constexpr float FILE_SCALE = 7.0f;

// House outline: walls x in [-20, 20], z in [-15, 15], up to the eaves line at y = 27,
// front and back gables peaking at y = 41; roof slabs overhang to x = +-25.
constexpr float WALL_X = 20, WALL_Z = 15, WALL_TOP = 27, PEAK = 41;
constexpr float ROOF_X = 25, ROOF_Z = 17.5f, ROOF_T = 2.5f;
constexpr float FENCE_Z = -23;

// Squash-and-stretch poses shared by house, fence and panes: 0 rest, 1 squashed,
// 2 stretched tall, 3 overshoot. Scaled about the middle of the ground plan.
struct Pose {
  float sx, sy, sz;
};
constexpr Pose POSES[4] = {{1, 1, 1}, {1.15f, 0.78f, 1.10f}, {0.90f, 1.20f, 0.92f}, {0.86f, 1.30f, 0.88f}};

V3 posed(V3 p, int pose) {
  const Pose& q = POSES[pose];
  return {p.x * q.sx, p.y * q.sy, p.z * q.sz};
}
void applyPose(BuildMesh& m, int pose) {
  transformFrom(m, 0, [&](V3 p) { return posed(p, pose); });
}

// Roof slope on the right side: from the ridge (0, PEAK) down toward the eave.
V3 roofNormal() { return normalize(V3{PEAK - WALL_TOP, WALL_X, 0}); }
float roofY(float x) { return PEAK - (PEAK - WALL_TOP) * x / WALL_X; }

void addWalls(BuildMesh& m) {
  // Walls use the left half of the house picture (u 0..0.5), v = 1 at the ground.
  auto wallV = [](float y) { return 1.0f - y / (PEAK + 1); };
  for (int side = 0; side < 2; ++side) {
    float z = side ? WALL_Z : -WALL_Z;
    V3 out{0, 0, side ? 1.0f : -1.0f};
    auto at = [&](float x, float y) { return m.vertex({x, y, z}, 0.5f * (x + WALL_X) / (2 * WALL_X), wallV(y)); };
    // Front/back as a 4 x 3 grid up to the eaves plus the gable triangle.
    const int nx = 4, ny = 3;
    uint32_t g[nx + 1][ny + 1];
    for (int i = 0; i <= nx; ++i)
      for (int j = 0; j <= ny; ++j) g[i][j] = at(-WALL_X + 2 * WALL_X * i / nx, WALL_TOP * j / ny);
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) m.quadFacing(g[i][j], g[i + 1][j], g[i + 1][j + 1], g[i][j + 1], out);
    uint32_t l = at(-WALL_X, WALL_TOP), r = at(WALL_X, WALL_TOP), p = at(0, PEAK);
    uint32_t ml = at(-WALL_X / 2, WALL_TOP), mr = at(WALL_X / 2, WALL_TOP);
    uint32_t cl = at(-WALL_X / 2, (WALL_TOP + PEAK) / 2), cr = at(WALL_X / 2, (WALL_TOP + PEAK) / 2);
    uint32_t mid = at(0, WALL_TOP);
    auto tri = [&](uint32_t a, uint32_t b, uint32_t c) {
      V3 n = cross(m.verts[b].p - m.verts[a].p, m.verts[c].p - m.verts[a].p);
      if (dot(n, out) >= 0)
        m.triangle(a, b, c);
      else
        m.triangle(a, c, b);
    };
    tri(l, ml, cl);
    tri(ml, mid, cl);
    tri(mid, p, cl);
    tri(mid, mr, cr);
    tri(mid, cr, p);
    tri(mr, r, cr);
  }
  for (int side = 0; side < 2; ++side) {
    float x = side ? WALL_X : -WALL_X;
    V3 out{side ? 1.0f : -1.0f, 0, 0};
    addGrid(m, 4, 3, false, [&](int i, int j) {
      float z = -WALL_Z + 2 * WALL_Z * i / 4, y = WALL_TOP * j / 3;
      return BuildVertex{{x, y, z}, 0.5f * (z + WALL_Z) / (2 * WALL_Z), wallV(y)};
    });
    // Fix the winding of the grid just added to face `out`.
    size_t first = m.tris.size() - 4 * 3 * 6;
    for (size_t t = first; t < m.tris.size(); t += 3) {
      V3 a = m.verts[m.tris[t]].p, b = m.verts[m.tris[t + 1]].p, c = m.verts[m.tris[t + 2]].p;
      if (dot(cross(b - a, c - a), out) < 0) std::swap(m.tris[t + 1], m.tris[t + 2]);
    }
  }
  uint32_t a = m.vertex({-WALL_X, 0, -WALL_Z}, 0.0f, 0.95f), b = m.vertex({WALL_X, 0, -WALL_Z}, 0.5f, 0.95f);
  uint32_t c = m.vertex({WALL_X, 0, WALL_Z}, 0.5f, 1.0f), d = m.vertex({-WALL_X, 0, WALL_Z}, 0.0f, 1.0f);
  m.quadFacing(a, b, c, d, {0, -1, 0});
}

void addRoof(BuildMesh& m) {
  // Two slabs on the roof half of the picture (u 0.5..1) and a ridge cap.
  V3 n = roofNormal();
  for (int side = 0; side < 2; ++side) {
    float sgn = side ? 1.0f : -1.0f;
    V3 ridge{0, PEAK, 0}, eave{sgn * ROOF_X, roofY(ROOF_X), 0};
    V3 nn{sgn * n.x, n.y, 0};
    V3 c[8];
    for (int i = 0; i < 8; ++i) {
      V3 p = (i & 1) ? eave : ridge;
      if (i & 2) p = p + nn * ROOF_T;
      p.z = (i & 4) ? ROOF_Z : -ROOF_Z;
      c[i] = p;
    }
    addHexahedron(m, c, 0.5f, 0.0f, 1.0f, 1.0f);
  }
  V3 lo{-1.9f, PEAK + 0.4f, -ROOF_Z - 0.3f}, hi{1.9f, PEAK + 3.3f, ROOF_Z + 0.3f};
  addBox(m, lo, hi, 0.5f, 0.0f, 0.6f, 1.0f);
  // Chimney on the right slope.
  addBox(m, {9, roofY(12) - 2, 3}, {13.5f, 46, 7.5f}, 0.02f, 0.3f, 0.12f, 0.7f);
  addBox(m, {8.5f, 46, 2.5f}, {14, 47.5f, 8}, 0.5f, 0.0f, 0.55f, 0.1f);
}

// Window panes of the front (also the frames of H_hous are placed around these).
struct Pane {
  float x0, y0, x1, y1;
};
constexpr Pane PANES[2] = {{-16.5f, 11, -9, 20}, {9, 11, 16.5f, 20}};
constexpr float ROUND_Y = 33, ROUND_R = 3.6f;

void addWindowFrames(BuildMesh& m) {
  const float z0 = -WALL_Z - 0.7f, z1 = -WALL_Z + 0.2f, w = 0.7f;
  for (const Pane& p : PANES) {
    float cx = (p.x0 + p.x1) / 2, cy = (p.y0 + p.y1) / 2;
    addBox(m, {p.x0 - w, p.y0 - w, z0}, {p.x1 + w, p.y0, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    addBox(m, {p.x0 - w, p.y1, z0}, {p.x1 + w, p.y1 + w, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    addBox(m, {p.x0 - w, p.y0, z0}, {p.x0, p.y1, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    addBox(m, {p.x1, p.y0, z0}, {p.x1 + w, p.y1, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    addBox(m, {cx - 0.3f, p.y0, z0 + 0.2f}, {cx + 0.3f, p.y1, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    addBox(m, {p.x0, cy - 0.3f, z0 + 0.2f}, {p.x1, cy + 0.3f, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
    // Window sill.
    addBox(m, {p.x0 - 1.2f, p.y0 - 1.6f, z0 - 0.8f}, {p.x1 + 1.2f, p.y0 - w, z1}, 0.01f, 0.9f, 0.08f, 0.98f);
  }
  // Ring around the round gable window, as a 12-sided tube lying along z.
  std::vector<V3> ring;
  std::vector<float> r;
  for (int k = 0; k <= 16; ++k) {
    float a = 2 * PI_F * k / 16;
    ring.push_back({ROUND_R * std::cos(a), ROUND_Y + ROUND_R * std::sin(a), -WALL_Z - 0.3f});
    r.push_back(0.55f);
  }
  addTube(m, ring, r, 6, {0, 0, -1}, 0.01f, 0.07f, 0.9f, 0.98f, false, false);
}

BuildMesh houseBody(int pose) {
  BuildMesh m;
  addWalls(m);
  addRoof(m);
  addWindowFrames(m);
  // Door step.
  addBox(m, {-6.5f, 0, -WALL_Z - 2.2f}, {6.5f, 1.0f, -WALL_Z}, 0.02f, 0.92f, 0.48f, 1.0f);
  applyPose(m, pose);
  return m;
}

// The door: a slab hinged on its left edge, swinging out toward the camera.
constexpr float DOOR_X0 = -5, DOOR_X1 = 5, DOOR_Y1 = 17;
BuildMesh door(float angle, int pose) {
  BuildMesh m;
  addBox(m, {DOOR_X0, 0.8f, -WALL_Z - 0.6f}, {DOOR_X1, DOOR_Y1, -WALL_Z - 0.1f}, 0, 0, 1, 1);
  // Knob.
  addBox(m, {DOOR_X1 - 2.2f, 8.2f, -WALL_Z - 1.4f}, {DOOR_X1 - 1.2f, 9.2f, -WALL_Z - 0.6f}, 0.85f, 0.5f, 0.9f, 0.55f);
  M3 r = rotY(angle);
  V3 hinge{DOOR_X0, 0, -WALL_Z - 0.1f};
  transformFrom(m, 0, [&](V3 p) { return posed(hinge + r * (p - hinge), pose); });
  return m;
}

// Glass panes, slightly pillowed so the sphere map slides across them.
BuildMesh panes(int pose) {
  BuildMesh m;
  const float z = -WALL_Z - 0.25f;
  for (const Pane& p : PANES) {
    addGrid(m, 6, 6, false, [&](int i, int j) {
      float s = i / 6.0f, t = j / 6.0f;
      float bulge = 0.6f * std::sin(PI_F * s) * std::sin(PI_F * t);
      return BuildVertex{{lerpf(p.x0, p.x1, s), lerpf(p.y0, p.y1, t), z - bulge}, s, 1 - t};
    });
  }
  // Round pane: rings around its centre.
  addGrid(m, 16, 4, false, [&](int i, int j) {
    float a = 2 * PI_F * i / 16, rr = ROUND_R * (1 - j / 4.0f);
    float bulge = 0.5f * (1 - (rr / ROUND_R) * (rr / ROUND_R));
    return BuildVertex{{rr * std::cos(a), ROUND_Y + rr * std::sin(a), z - bulge},
                       0.5f + 0.5f * std::cos(a) * rr / ROUND_R, 0.5f - 0.5f * std::sin(a) * rr / ROUND_R};
  });
  // Every pane faces the camera: fix the winding toward -z.
  for (size_t t = 0; t < m.tris.size(); t += 3) {
    V3 a = m.verts[m.tris[t]].p, b = m.verts[m.tris[t + 1]].p, c = m.verts[m.tris[t + 2]].p;
    if (cross(b - a, c - a).z > 0) std::swap(m.tris[t + 1], m.tris[t + 2]);
  }
  applyPose(m, pose);
  return m;
}

// Fence pickets left and right of the path to the door.
std::vector<float> picketXs() {
  std::vector<float> xs;
  for (float x = -25; x <= 25.01f; x += 3.5f)
    if (std::fabs(x) > 6) xs.push_back(x);
  return xs;
}
constexpr float PICKET_TOP = 9;

void addFence(BuildMesh& m) {
  for (float x : picketXs()) {
    addBox(m, {x - 1, 0, FENCE_Z - 0.4f}, {x + 1, PICKET_TOP - 1.5f, FENCE_Z + 0.4f}, 0, 0.15f, 1, 1);
    V3 c[8];
    for (int i = 0; i < 8; ++i) {
      float cx = (i & 2) ? x + ((i & 1) ? 0.12f : -0.12f) : x + ((i & 1) ? 1.0f : -1.0f);
      c[i] = {cx, (i & 2) ? PICKET_TOP : PICKET_TOP - 1.5f, FENCE_Z + ((i & 4) ? 0.4f : -0.4f)};
    }
    addHexahedron(m, c, 0, 0, 1, 0.15f);
  }
  for (int side = 0; side < 2; ++side) {
    float x0 = side ? 6.2f : -26.0f, x1 = side ? 26.0f : -6.2f;
    addBox(m, {x0, 2.2f, FENCE_Z + 0.4f}, {x1, 3.4f, FENCE_Z + 1.0f}, 0, 0.3f, 1, 0.4f);
    addBox(m, {x0, 5.6f, FENCE_Z + 0.4f}, {x1, 6.8f, FENCE_Z + 1.0f}, 0, 0.3f, 1, 0.4f);
  }
}

BuildMesh fence(int pose) {
  BuildMesh m;
  addFence(m);
  applyPose(m, pose);
  return m;
}

// The fence once the house is complete: tufts of hair sprout from every picket tip
// (grown = 0 hidden inside the tip, 1 full).
BuildMesh sproutingFence(int pose, float grown) {
  BuildMesh m;
  addFence(m);
  MeshRng rng{0x5eed0b07};
  for (float x : picketXs()) {
    for (int k = 0; k < 7; ++k) {
      float a = rng.range(0, 2 * PI_F), tilt = rng.range(0.25f, 0.9f), len = rng.range(2.5f, 4.2f);
      V3 dir = normalize({std::sin(tilt) * std::cos(a), std::cos(tilt), std::sin(tilt) * std::sin(a)});
      V3 root{x, PICKET_TOP - 0.6f, FENCE_Z};
      std::vector<V3> spine;
      for (int s = 0; s < 4; ++s) {
        float t = s / 3.0f * grown;
        V3 droop{0, -0.35f * len * t * t, 0};
        spine.push_back(root + dir * (len * t) + droop);
      }
      addStrand(m, spine, 0.32f * grown + 0.001f, 0.06f * grown + 0.001f, 3, {1, 0, 0}, rng.range(0, 0.8f), 0.2f, 0.0f, 0.12f);
    }
  }
  applyPose(m, pose);
  return m;
}

// Pigtails on both roof slopes (rooted on the stretched pose, where the scene shows
// them): 0 hanging down, 1 lifting, 2 sticking straight out. v runs root to tip.
BuildMesh pigtails(int frame) {
  BuildMesh m;
  const V3 ends[3] = {{6, -16, 0}, {15, -7, 0}, {18, 3, 0}};
  const V3 ctrls[3] = {{5, 0, 0}, {6, 1, 0}, {6, 1.5f, 0}};
  V3 n = roofNormal();
  for (int side = 0; side < 2; ++side) {
    float sgn = side ? 1.0f : -1.0f;
    float rx = 15.5f;
    V3 root = posed(V3{sgn * rx, roofY(rx), 0} + V3{sgn * n.x, n.y, 0} * (ROOF_T - 0.6f), 2);
    V3 p1 = root + V3{sgn * ctrls[frame].x, ctrls[frame].y, 0};
    V3 p2 = root + V3{sgn * ends[frame].x, ends[frame].y, 0};
    const int rings = 16;
    std::vector<V3> spine;
    std::vector<float> radius;
    for (int k = 0; k <= rings; ++k) {
      float t = k / (float)rings;
      V3 p = root * ((1 - t) * (1 - t)) + p1 * (2 * t * (1 - t)) + p2 * (t * t);
      spine.push_back(p);
      // Tied near the root, a full bunch, then a tapered tip; a braid ripple along it.
      float shape = t < 0.12f ? lerpf(1.4f, 1.0f, t / 0.12f)
                              : (t < 0.8f ? lerpf(1.0f, 2.2f, (t - 0.12f) / 0.68f) : lerpf(2.2f, 0.2f, (t - 0.8f) / 0.2f));
      float braid = 1.0f + 0.12f * std::sin(t * 40.0f);
      radius.push_back(shape * braid);
    }
    addTube(m, spine, radius, 10, {0, 0, 1}, 0.0f, 1.0f, 0.0f, 1.0f, true, true);
    // Hair tie: a short, wider band close to the root.
    std::vector<V3> tie = {spine[1], spine[2]};
    std::vector<float> tr = {1.75f, 1.75f};
    addTube(m, tie, tr, 10, {0, 0, 1}, 0.9f, 0.1f, 0.02f, 0.05f, true, true);
  }
  return m;
}

// Hair creeping over the (stretched) house: strands rooted on the walls (A) or on the
// roof and gables (B), grown = 0 hidden just inside the surface, 1 full length.
struct Root {
  V3 p, n;
};
std::vector<Root> wallRoots(MeshRng& rng, int count) {
  std::vector<Root> roots;
  while ((int)roots.size() < count) {
    int face = (int)(rng.uniform() * 4);
    float s = rng.uniform(), t = rng.uniform();
    Root r;
    if (face < 2) {  // front (weighted twice)
      r.p = {lerpf(-WALL_X, WALL_X, s), WALL_TOP * t, -WALL_Z};
      r.n = {0, 0, -1};
    } else {
      float sgn = face == 2 ? -1.0f : 1.0f;
      r.p = {sgn * WALL_X, WALL_TOP * t, lerpf(-WALL_Z, WALL_Z, s)};
      r.n = {sgn, 0, 0};
    }
    roots.push_back(r);
  }
  return roots;
}
std::vector<Root> roofRoots(MeshRng& rng, int count) {
  std::vector<Root> roots;
  V3 n = roofNormal();
  while ((int)roots.size() < count) {
    float s = rng.uniform(), t = rng.uniform();
    Root r;
    if (rng.uniform() < 0.8f) {
      float sgn = rng.uniform() < 0.5f ? -1.0f : 1.0f;
      float x = ROOF_X * s;
      r.p = V3{sgn * x, roofY(x), lerpf(-ROOF_Z, ROOF_Z, t)} + V3{sgn * n.x, n.y, 0} * ROOF_T;
      r.n = {sgn * n.x, n.y, 0};
    } else {  // front gable
      float y = lerpf(WALL_TOP, PEAK - 2, t);
      float half = WALL_X * (PEAK - y) / (PEAK - WALL_TOP);
      r.p = {lerpf(-half, half, s), y, -WALL_Z};
      r.n = {0, 0, -1};
    }
    roots.push_back(r);
  }
  return roots;
}

BuildMesh creepingHair(const std::vector<Root>& roots, uint32_t seed, float grown) {
  BuildMesh m;
  MeshRng rng{seed};
  for (const Root& r : roots) {
    float len = rng.range(3.0f, 6.5f), side = rng.range(-1, 1), curl = rng.range(-1.5f, 1.5f);
    V3 tangent = normalize(cross(r.n, {0, 1, 0.001f}));
    V3 base = r.p - r.n * 0.6f;     // hidden just inside the surface
    std::vector<V3> spine;
    for (int s = 0; s < 5; ++s) {
      float t = s / 4.0f * grown;
      V3 p = base + r.n * (0.6f * grown + 0.35f * len * t) + V3{0, -0.75f * len * t * t, 0} +
             tangent * (side * len * 0.3f * t + curl * std::sin(3 * t) * 0.4f);
      spine.push_back(p);
    }
    addStrand(m, spine, 0.34f * grown + 0.001f, 0.05f * grown + 0.001f, 3, r.n, rng.range(0, 0.75f), 0.25f);
  }
  applyPose(m, 2);
  return m;
}

}  // namespace

void writeHouseMeshes(const std::string& outDir) {
  std::vector<BuildMesh> frames;
  for (int k = 0; k < 4; ++k) frames.push_back(houseBody(k));
  writeAnimatedMesh(outDir, "H_hous.baf", frames, FILE_SCALE);

  frames.clear();
  for (int k = 0; k < 4; ++k) frames.push_back(fence(k));
  writeAnimatedMesh(outDir, "H_barr.baf", frames, FILE_SCALE);

  frames.clear();
  for (int k = 0; k < 4; ++k) frames.push_back(panes(k));
  writeAnimatedMesh(outDir, "H_vitr.baf", frames, FILE_SCALE);

  // Door keyframes follow the house pose the scripts show beside them.
  const float doorAngles[5] = {0, 22, 50, 82, 108};
  const int doorPoses[5] = {0, 1, 2, 3, 2};
  frames.clear();
  for (int k = 0; k < 5; ++k) frames.push_back(door(doorAngles[k], doorPoses[k]));
  writeAnimatedMesh(outDir, "H_port.baf", frames, FILE_SCALE);

  // The sprouting fence takes over from the overshoot pose and settles with the house.
  frames = {sproutingFence(3, 0.0f), sproutingFence(2, 1.0f)};
  writeAnimatedMesh(outDir, "H_bout.baf", frames, FILE_SCALE);

  frames = {pigtails(0), pigtails(1), pigtails(2)};
  writeAnimatedMesh(outDir, "H_couettes.baf", frames, FILE_SCALE);

  MeshRng rng{0xa11ce5};
  std::vector<Root> walls = wallRoots(rng, 900);
  frames = {creepingHair(walls, 11, 0.0f), creepingHair(walls, 11, 1.0f)};
  writeAnimatedMesh(outDir, "envahipoilA.baf", frames, FILE_SCALE);
  std::vector<Root> roof = roofRoots(rng, 700);
  frames = {creepingHair(roof, 12, 0.0f), creepingHair(roof, 12, 1.0f)};
  writeAnimatedMesh(outDir, "envahipoilB.baf", frames, FILE_SCALE);
}
