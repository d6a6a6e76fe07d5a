// Everything that is not house or hair: the tagline words, the television (case, chrome,
// flickering screen), the shampoo bottle, a bubble, the giant hair root, the flat razor,
// the cartridge razor with its guard, the strip of shaved skin and the greetings ribbon.
// Positions are built in world units; the writer scales them to file units (10x for the
// files the show scales by 0.1, 5x for 0.2).
#include <cmath>
#include <vector>

#include "greetings.h"
#include "mesh_builder.h"
#include "mesh_groups.h"

namespace {

// Fix every triangle added since index `fromTri` (an index into tris) to face `outward`.
void faceAll(BuildMesh& m, size_t fromTri, V3 outward) {
  for (size_t t = fromTri; t < m.tris.size(); t += 3) {
    V3 a = m.verts[m.tris[t]].p, b = m.verts[m.tris[t + 1]].p, c = m.verts[m.tris[t + 2]].p;
    if (dot(cross(b - a, c - a), outward) < 0) std::swap(m.tris[t + 1], m.tris[t + 2]);
  }
}

// ---- Words: four quads side by side, 380 units in front of the camera -------------------
// Keyframe k shows words 0..k; later words are shrunk to their centre point.
BuildMesh words(int shown) {
  BuildMesh m;
  const float w = 72, h = 32, step = 76;
  for (int k = 0; k < 4; ++k) {
    float cx = (k - 1.5f) * step, cy = (k % 2 ? -3.0f : 3.0f);
    float s = k <= shown ? 1.0f : 0.0f;
    float v0 = k * 0.25f, v1 = (k + 1) * 0.25f;
    uint32_t bl = m.vertex({cx - s * w / 2, cy - s * h / 2, 0}, 0, v1);
    uint32_t tl = m.vertex({cx - s * w / 2, cy + s * h / 2, 0}, 0, v0);
    uint32_t tr = m.vertex({cx + s * w / 2, cy + s * h / 2, 0}, 1, v0);
    uint32_t br = m.vertex({cx + s * w / 2, cy - s * h / 2, 0}, 1, v1);
    m.quad(bl, tl, tr, br);  // (tl - bl) x (tr - bl) points to -z, toward the camera
  }
  return m;
}

// ---- Television (world units, file 10x): front at z = 0 facing -z ---------------------
constexpr float TV_X = 30, TV_BOTTOM = -13, TV_TOP = 35, TV_DEPTH = 38;
constexpr float HOLE_X = 19, HOLE_BOTTOM = -1, HOLE_TOP = 25, SCREEN_Z = 8;
const V3 CHROME_OFFSET{1.3965546f, 0, 4.2865844f};   // where the scene places the chrome

float frontU(float x) { return (x + TV_X) / (2 * TV_X); }
float frontV(float y) { return (TV_TOP - y) / (TV_TOP - TV_BOTTOM); }

BuildMesh teleCase() {
  BuildMesh m;
  auto fv = [&](float x, float y, float z) { return m.vertex({x, y, z}, frontU(x), frontV(y)); };
  // Front: a frame around the screen opening.
  const float xs[4] = {-TV_X, -HOLE_X, HOLE_X, TV_X}, ys[4] = {TV_BOTTOM, HOLE_BOTTOM, HOLE_TOP, TV_TOP};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      if (i == 1 && j == 1) continue;
      m.quadFacing(fv(xs[i], ys[j], 0), fv(xs[i + 1], ys[j], 0), fv(xs[i + 1], ys[j + 1], 0), fv(xs[i], ys[j + 1], 0),
                   {0, 0, -1});
    }
  // Tunnel from the opening back to the screen (dark bezel colour).
  const V3 hc[4] = {{-HOLE_X, HOLE_BOTTOM, 0}, {HOLE_X, HOLE_BOTTOM, 0}, {HOLE_X, HOLE_TOP, 0}, {-HOLE_X, HOLE_TOP, 0}};
  for (int k = 0; k < 4; ++k) {
    V3 a = hc[k], b = hc[(k + 1) % 4];
    V3 in = V3{0, 0, 0} - (a + b) * 0.5f;
    in.z = 0;
    in.y = (k == 0) ? 1.0f : (k == 2 ? -1.0f : 0.0f);
    in.x = (k == 1) ? -1.0f : (k == 3 ? 1.0f : 0.0f);
    V3 bz = b + V3{0, 0, SCREEN_Z + 0.5f}, az = a + V3{0, 0, SCREEN_Z + 0.5f};
    m.quadFacing(m.vertex(a, 0.17f, 0.17f), m.vertex(b, 0.18f, 0.17f), m.vertex(bz, 0.18f, 0.18f),
                 m.vertex(az, 0.17f, 0.18f), in);
  }
  // Sides, top, bottom and back taper toward the rear; plain case material (u 0..0.1).
  const float bx = 24, bb = -8, bt = 30;
  V3 f[4] = {{-TV_X, TV_BOTTOM, 0}, {TV_X, TV_BOTTOM, 0}, {TV_X, TV_TOP, 0}, {-TV_X, TV_TOP, 0}};
  V3 r[4] = {{-bx, bb, TV_DEPTH}, {bx, bb, TV_DEPTH}, {bx, bt, TV_DEPTH}, {-bx, bt, TV_DEPTH}};
  V3 centre{0, (TV_TOP + TV_BOTTOM) / 2, TV_DEPTH / 2};
  for (int k = 0; k < 4; ++k) {
    V3 a = f[k], b = f[(k + 1) % 4], c = r[(k + 1) % 4], d = r[k];
    V3 fc = (a + b + c + d) * 0.25f;
    m.quadFacing(m.vertex(a, 0.0f, 0.0f), m.vertex(b, 0.1f, 0.0f), m.vertex(c, 0.1f, 1.0f), m.vertex(d, 0.0f, 1.0f),
                 fc - centre);
  }
  m.quadFacing(m.vertex(r[0], 0, 0), m.vertex(r[1], 0.1f, 0), m.vertex(r[2], 0.1f, 1), m.vertex(r[3], 0, 1), {0, 0, 1});
  // Feet and the antenna base.
  for (int k = 0; k < 4; ++k) {
    float x = k & 1 ? 22.0f : -22.0f, z = k & 2 ? 28.0f : 5.0f;
    addBox(m, {x - 2.5f, TV_BOTTOM - 4 + (k & 2 ? 3.0f : 0.0f), z - 2.5f}, {x + 2.5f, TV_BOTTOM + 1.5f, z + 2.5f}, 0.0f,
           0.2f, 0.1f, 0.3f);
  }
  addSphere(m, {0, TV_TOP - 1.0f, 18}, 4.5f, 12, 8, 0.0f, 0.1f, 0.4f, 0.6f);
  return m;
}

BuildMesh teleChrome() {
  BuildMesh m;
  // Trim around the opening, just in front of the case.
  const float t = 1.3f, z0 = -0.7f, z1 = 0.3f;
  addBox(m, {-HOLE_X - t, HOLE_TOP, z0}, {HOLE_X + t, HOLE_TOP + t, z1}, 0, 0, 1, 1);
  addBox(m, {-HOLE_X - t, HOLE_BOTTOM - t, z0}, {HOLE_X + t, HOLE_BOTTOM, z1}, 0, 0, 1, 1);
  addBox(m, {-HOLE_X - t, HOLE_BOTTOM, z0}, {-HOLE_X, HOLE_TOP, z1}, 0, 0, 1, 1);
  addBox(m, {HOLE_X, HOLE_BOTTOM, z0}, {HOLE_X + t, HOLE_TOP, z1}, 0, 0, 1, 1);
  // Two knobs on the right strip: short cylinders along -z with a rim.
  for (float y : {17.0f, 6.0f}) {
    std::vector<ProfilePoint> knob = {{0, 0, 0}, {2.6f, 0, 0.2f}, {2.8f, -0.4f, 0.4f}, {2.8f, -2.2f, 0.6f}, {2.2f, -2.8f, 0.8f}, {0, -2.8f, 1}};
    uint32_t first = m.count();
    addRevolution(m, {0, 0, 0}, knob, 14, 1, 1, 0, 1);
    // Lay the knob along -z: the profile's y becomes z, so it stands out toward the viewer.
    M3 lay = rotX(90);
    transformFrom(m, first, [&](V3 p) { return lay * p + V3{25.5f, y, 0.2f}; });
  }
  // Rabbit-ear antennas with ball tips.
  for (int side = 0; side < 2; ++side) {
    float sg = side ? 1.0f : -1.0f;
    V3 a{sg * 1.5f, TV_TOP + 2.0f, 18}, b{sg * 17, TV_TOP + 27, 22};
    std::vector<V3> spine = {a, lerp(a, b, 0.5f), b};
    addTube(m, spine, {0.55f, 0.45f, 0.4f}, 6, {0, 0, 1}, 0, 1, 0, 1, false, false);
    addSphere(m, b, 1.2f, 10, 6, 0, 1, 0, 1);
  }
  transformFrom(m, 0, [&](V3 p) { return p - CHROME_OFFSET; });
  return m;
}

// Screen: a bulging 16 x 12 grid filling the opening; keyframe k maps its own region of
// the static picture, so stepping through keyframes makes the noise flicker.
BuildMesh teleScreen(int frame) {
  BuildMesh m;
  MeshRng rng{0x7e1e + 31u * (uint32_t)frame};
  float u0 = rng.uniform() * 0.5f, v0 = rng.uniform() * 0.6f;
  const float su = 0.5f, sv = 0.36f;
  addGrid(m, 16, 12, true, [&](int i, int j) {
    float s = i / 16.0f, t = j / 12.0f;
    float cx = 2 * s - 1, cy = 2 * t - 1;
    float z = SCREEN_Z - 1.5f * (1 - cx * cx) * (1 - cy * cy);
    return BuildVertex{{lerpf(-HOLE_X, HOLE_X, s), lerpf(HOLE_BOTTOM, HOLE_TOP, t), z}, u0 + su * s, v0 + sv * (1 - t)};
  });
  return m;
}

// ---- Shampoo bottle (world units, file 5x): about 45 tall, front (u = 0.5) toward -z ---
constexpr float BOTTLE_A = 8.0f, BOTTLE_B = 5.5f, NECK_Y = 22.0f, BOTTOM_Y = -15.0f;
constexpr float CAP_A = 4.4f, CAP_B = 3.9f, CAP_SPLIT = 25.5f, LID_TOP = 29.5f;

float bodyV(float y) { return 0.12f + 0.88f * (NECK_Y - y) / (NECK_Y - BOTTOM_Y); }

BuildMesh bottle(int frame) {
  const float squeeze[4] = {0.0f, 0.08f, 0.16f, 0.24f};
  const float lidAngle[4] = {0, 40, 85, 125};
  BuildMesh m;
  std::vector<ProfilePoint> body;
  const float prof[][2] = {{0, NECK_Y},   {0.44f, NECK_Y}, {0.46f, 20.4f}, {0.62f, 19.3f}, {0.80f, 18.0f},
                           {0.93f, 16.3f}, {0.99f, 14.0f}, {1.0f, 11.0f},  {1.0f, 7.0f},   {0.99f, 3.0f},
                           {0.99f, -1.0f}, {1.0f, -5.0f},  {1.0f, -9.0f},  {0.98f, -12.0f}, {0.93f, -13.8f},
                           {0.80f, -14.7f}, {0.5f, -15.0f}, {0, BOTTOM_Y}};
  for (const auto& p : prof) body.push_back({p[0], p[1], bodyV(p[1])});
  // The label picture carries the brand at u = 0.25 and 0.75: u = 0.25 faces the front.
  uint32_t first = addRevolution(m, {0, 0, 0}, body, 32, BOTTLE_A, BOTTLE_B, -0.25f, 0.75f);
  // Squeeze: the middle pinched in x, pushed out a little in z.
  transformFrom(m, first, [&](V3 p) {
    float pinch = squeeze[frame] * std::exp(-((p.y - 2) / 9) * ((p.y - 2) / 9));
    return V3{p.x * (1 - pinch), p.y, p.z * (1 + 0.6f * pinch)};
  });
  // Cap base with a little spout on top.
  std::vector<ProfilePoint> base = {{0, CAP_SPLIT, 0.02f}, {1, CAP_SPLIT, 0.04f}, {1, 21.0f, 0.1f}, {0.9f, 20.5f, 0.11f}, {0, 20.5f, 0.11f}};
  addRevolution(m, {0, 0, 0}, base, 24, CAP_A, CAP_B, 0, 1);
  std::vector<ProfilePoint> spout = {{0, CAP_SPLIT + 1.6f, 0.02f}, {1, CAP_SPLIT + 1.5f, 0.03f}, {1, CAP_SPLIT - 0.2f, 0.05f}};
  addRevolution(m, {0, 0, -1.4f}, spout, 10, 0.9f, 0.9f, 0, 1);
  // Flip-top lid hinged at the back edge, opening upward and back.
  std::vector<ProfilePoint> lid = {{0, LID_TOP, 0.0f},       {0.75f, LID_TOP, 0.01f}, {0.95f, LID_TOP - 0.4f, 0.02f},
                                   {1.02f, LID_TOP - 1.5f, 0.04f}, {1.02f, CAP_SPLIT + 0.05f, 0.09f}, {0, CAP_SPLIT + 0.05f, 0.1f}};
  uint32_t lidFirst = addRevolution(m, {0, 0, 0}, lid, 24, CAP_A, CAP_B, 0, 1);
  V3 hinge{0, CAP_SPLIT, CAP_B};
  M3 open = rotX(lidAngle[frame]);
  transformFrom(m, lidFirst, [&](V3 p) { return hinge + open * (p - hinge); });
  return m;
}

// ---- Bubble (file 10x): a sphere about 3 across -----------------------------------------
BuildMesh bubble() {
  BuildMesh m;
  addSphere(m, {0, 0, 0}, 1.5f, 16, 10, 0, 1, 0, 1);
  return m;
}

// ---- Hair root (unscaled): a slender follicle about 30 across at its widest, rising to
// y = 100 out of a small domed patch of skin 80 across. The crater at its top, where the
// hair grows (y ~ 93, about 4 across), sits low in the scene cameras' views so that the
// crop rising out of it crosses the middle of the picture.
constexpr float ROOT_WIDTH = 0.5f, ROOT_HEIGHT = 0.8f, ROOT_TOP = 100.0f, SKIN_R = ROOT_SKIN_R;
BuildMesh hairRoot() {
  BuildMesh m;
  std::vector<ProfilePoint> bulb;
  // Profile drawn for a lip at y = 120; squeezed below into the follicle's own size.
  const float prof[][2] = {{0, 110},  {4, 110.2f}, {8, 111},  {10.5f, 114}, {12, 118},  {13.5f, 120},
                           {15.2f, 119.5f}, {15.8f, 117}, {14.5f, 112}, {12.8f, 104}, {12.5f, 96}, {13.5f, 86},
                           {17, 74},  {23, 60},    {28, 46},  {30, 36},    {29, 26},   {26, 16},
                           {23, 8},   {22, 2},     {21.5f, -4}};
  for (const auto& p : prof)
    bulb.push_back({p[0] * ROOT_WIDTH, ROOT_TOP - (120 - p[1]) * ROOT_HEIGHT, (120 - p[1]) / 125});
  uint32_t first = addRevolution(m, {0, 0, 0}, bulb, 36, 1, 1, 0, 1);
  // A few soft lobes so the bulb does not read as a perfect lathe shape.
  transformFrom(m, first, [&](V3 p) {
    float a = std::atan2(p.z, p.x), w = smooth01((80 - p.y) / 32) * smooth01((p.y + 4) / 16);
    float k = 1 + 0.08f * w * std::sin(3 * a + 0.5f) + 0.04f * w * std::sin(5 * a + p.y * 0.06f);
    return V3{p.x * k, p.y, p.z * k};
  });
  // Skin patch: a domed slab with gentle bumps around the follicle.
  std::vector<ProfilePoint> slab;
  for (int k = 0; k <= 10; ++k) {
    float r = SKIN_R * k / 10;
    slab.push_back({r, 2.0f * (1 - (r / SKIN_R) * (r / SKIN_R)), r / (2 * SKIN_R + 10)});
  }
  const float rim[][2] = {{SKIN_R + 1.5f, -1.5f}, {SKIN_R + 1, -5}, {SKIN_R - 2, -8}, {20, -8.5f}, {0, -8.5f}};
  for (const auto& p : rim) slab.push_back({p[0], p[1], 0.5f + p[0] / (2 * SKIN_R + 10)});
  uint32_t skin = addRevolution(m, {0, 0, 0}, slab, 48, 1, 1, 0, 1);
  transformFrom(m, skin, [&](V3 p) {
    float r = std::sqrt(p.x * p.x + p.z * p.z);
    if (p.y < -1 || r < 11) return p;
    float bump = 0.6f * std::sin(p.x * 0.3f) * std::sin(p.z * 0.35f) * smooth01((r - 11) / 6) * smooth01((SKIN_R - r) / 4);
    return V3{p.x, p.y + bump, p.z};
  });
  return m;
}

// ---- Flat razor of scene 7: built where it should stand in the world at the middle of its
// swing, then turned into the placement's own frame (position (-66, 20, 4), turned 2
// degrees about Y and -22 about Z, swung about X).
const V3 FLAT_PIVOT{-66, 20, 4};
V3 flatLocal(V3 world) {
  M3 inv = transpose(rotY(2) * rotZ(-22));
  return inv * (world - FLAT_PIVOT);
}
// Frame of the razor: `a` along the handle toward the head, `b` along the blade, `c` across.
struct RazorFrame {
  V3 head, a, b, c;
};
RazorFrame flatFrame() {
  RazorFrame f;
  f.head = {0, 135, 4};
  f.a = normalize(f.head - FLAT_PIVOT);
  f.c = {0, 0, 1};
  f.b = cross(f.a, f.c);
  return f;
}
V3 inFrame(const RazorFrame& f, float along, float blade, float across) {
  return f.head + f.a * along + f.b * blade + f.c * across;
}
void addFrameBox(BuildMesh& m, const RazorFrame& f, float a0, float a1, float b0, float b1, float c0, float c1) {
  V3 c[8];
  for (int i = 0; i < 8; ++i)
    c[i] = inFrame(f, (i & 2) ? a1 : a0, (i & 1) ? b1 : b0, (i & 4) ? c1 : c0);
  addHexahedron(m, c, 0, 0, 1, 1);
}

BuildMesh flatRazorHead() {
  BuildMesh m;
  RazorFrame f = flatFrame();
  addFrameBox(m, f, -1.2f, 0.6f, -15, 15, -4.5f, 4.5f);     // base plate
  addFrameBox(m, f, 0.6f, 2.0f, -14, 14, -3.2f, 3.2f);      // cap
  addFrameBox(m, f, -0.5f, 0.2f, -15.5f, 15.5f, -5.6f, -4.5f);  // blade edges
  addFrameBox(m, f, -0.5f, 0.2f, -15.5f, 15.5f, 4.5f, 5.6f);
  // Neck joining the handle.
  std::vector<V3> neck = {inFrame(f, -7, 0, 0), inFrame(f, -1, 0, 0)};
  addTube(m, neck, {1.6f, 2.4f}, 10, f.c, 0, 1, 0, 1, true, true);
  transformFrom(m, 0, flatLocal);
  return m;
}

BuildMesh flatRazorHandle() {
  BuildMesh m;
  RazorFrame f = flatFrame();
  std::vector<V3> spine;
  std::vector<float> radius;
  for (int k = 0; k <= 24; ++k) {
    float t = k / 24.0f;
    spine.push_back(inFrame(f, -7 - 50 * t, 0, 0));
    float grip = 2.3f + 0.5f * std::sin(PI_F * t) + (k % 3 == 0 && k > 1 && k < 22 ? 0.25f : 0.0f);
    radius.push_back(k == 24 ? 1.2f : grip);
  }
  addTube(m, spine, radius, 12, f.c, 0, 1, 0, 1, true, true);
  transformFrom(m, 0, flatLocal);
  return m;
}

// ---- Cartridge razor, guard and skin of scene 10 ----------------------------------------
// The razor stands at (X - 10, 0, 25) turned 180 degrees about Y and 20 about Z; the guard
// at (X, 0, 25) unturned. Both are built relative to the razor's position in world axes.
V3 razorLocal(V3 rel) {
  M3 inv = transpose(rotY(180) * rotZ(20));
  return inv * rel;
}
constexpr float HEAD_HALF = 70;       // the head spans 140 across (z), the skin strip 150

BuildMesh cartridgeHead() {
  BuildMesh m;
  V3 c[8];
  for (int i = 0; i < 8; ++i) {
    float x = (i & 1) ? 7.0f : -7.0f, y = (i & 2) ? ((i & 1) ? 10.5f : 12.0f) : 4.2f;
    c[i] = {x, y, (i & 4) ? HEAD_HALF : -HEAD_HALF};
  }
  addHexahedron(m, c, 0, 0, 1, 1);
  // Rounded end caps and the pivot joining the handle.
  for (float z : {-HEAD_HALF, HEAD_HALF}) {
    std::vector<V3> cap = {{0, 8, z - (z < 0 ? 3.0f : -3.0f)}, {0, 8, z}};
    addTube(m, z < 0 ? cap : std::vector<V3>{cap[1], cap[0]}, {3.4f, 3.9f}, 12, {1, 0, 0}, 0, 1, 0, 1, true, true);
  }
  addBox(m, {-9.5f, 7.5f, -6}, {-6, 11.5f, 6}, 0.4f, 0.4f, 0.6f, 0.6f);
  transformFrom(m, 0, razorLocal);
  return m;
}

BuildMesh cartridgeBlades() {
  BuildMesh m;
  for (int k = 0; k < 3; ++k) {
    float x = -4.0f + 3.2f * k, y0 = 11.7f - 0.11f * (x + 7) + 0.05f;
    addBox(m, {x - 0.8f, y0 - 0.2f, -HEAD_HALF + 2}, {x + 0.8f, y0 + 0.5f, HEAD_HALF - 2}, 0, 0, 1, 1);
  }
  transformFrom(m, 0, razorLocal);
  return m;
}

BuildMesh cartridgeHandle() {
  BuildMesh m;
  const V3 dir{-std::cos(radians(20)), std::sin(radians(20)), 0};
  const V3 start{-10, 10, 0};
  std::vector<V3> spine;
  std::vector<float> radius;
  for (int k = 0; k <= 30; ++k) {
    float t = k / 30.0f;
    spine.push_back(start + dir * (235 * t));
    float r = 3.2f + 3.0f * smooth01(t / 0.35f) - 1.2f * smooth01((t - 0.55f) / 0.2f) + 1.0f * smooth01((t - 0.8f) / 0.15f);
    radius.push_back(k == 30 ? 3.0f : r);
  }
  addTube(m, spine, radius, 14, {0, 1, 0}, 0, 1, 0, 1, true, true);
  transformFrom(m, 0, razorLocal);
  return m;
}

// Translucent guard over the head: an arch along z, closed by a floor and two ends.
BuildMesh guard() {
  BuildMesh m;
  const int n = 12;
  const float half = HEAD_HALF + 4;
  auto arch = [](int i) {
    float a = PI_F * i / n;
    return V3{-10 + 11.0f * std::cos(a), 3.6f + 11.5f * std::sin(a), 0};
  };
  addGrid(m, n, 1, false, [&](int i, int j) {
    V3 p = arch(i);
    p.z = j ? half : -half;
    return BuildVertex{p, (float)i / n, (float)j};
  });
  // Arch faces point away from the arch's axis.
  for (size_t t = 0; t < m.tris.size(); t += 3) {
    V3 a = m.verts[m.tris[t]].p, b = m.verts[m.tris[t + 1]].p, c = m.verts[m.tris[t + 2]].p;
    V3 mid = (a + b + c) * (1.0f / 3), axis{-10, 3.6f, mid.z};
    if (dot(cross(b - a, c - a), mid - axis) < 0) std::swap(m.tris[t + 1], m.tris[t + 2]);
  }
  for (float z : {-half, half}) {
    uint32_t centre = m.vertex({-10, 3.6f, z}, 0.5f, 0.5f);
    std::vector<uint32_t> rim;
    for (int i = 0; i <= n; ++i) {
      V3 p = arch(i);
      p.z = z;
      rim.push_back(m.vertex(p, 0.5f, 0.5f));
    }
    size_t from = m.tris.size();
    for (int i = 0; i < n; ++i) m.triangle(centre, rim[i], rim[i + 1]);
    faceAll(m, from, {0, 0, z});
  }
  uint32_t a = m.vertex({-21, 3.6f, -half}, 0, 0), b = m.vertex({1, 3.6f, -half}, 1, 0);
  uint32_t c = m.vertex({1, 3.6f, half}, 1, 1), d = m.vertex({-21, 3.6f, half}, 0, 1);
  m.quadFacing(a, b, c, d, {0, -1, 0});
  return m;
}

// Bare skin: a 300 x 150 strip, domed and sinking under the carpet at its rim.
BuildMesh skinStrip() {
  BuildMesh m;
  addGrid(m, 60, 30, true, [&](int i, int j) {
    float s = i / 60.0f, t = j / 30.0f;
    float ex = smooth01((1 - std::fabs(2 * s - 1)) / 0.18f), ez = smooth01((1 - std::fabs(2 * t - 1)) / 0.3f);
    float y = -1.5f + 5.5f * ex * ez;
    return BuildVertex{{lerpf(-150, 150, s), y, lerpf(-75, 75, t)}, s, t};
  });
  return m;
}

// ---- Greetings ribbon ---------------------------------------------------------------
// The finale's camera at its animation position P (the ribbon is shown while its keyframe
// position 1.4 P - 0.3 runs from 0 to 1) and the screen pixel (x right, y up, 1024 x 768)
// through which it sees a world point; z of the result is the distance along the view.
struct FinaleView {
  V3 eye;
  M3 turn;
};

FinaleView finaleView(float P) {
  float m = 1 - P;
  const M3 mirror{{{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}};
  return {{250 * P + 180 * m, 193 * P + 63 * m, 128 * P + 350 * m},
          mirror * rotX(-37 * P - 20 * m) * rotY(117 * P + 131 * m)};
}

V3 onScreen(const FinaleView& view, V3 p) {
  V3 e = view.turn * (p - view.eye);
  return {512 + 768 * e.x / -e.z, 384 + 768 * e.y / -e.z, -e.z};
}

float screenGap(V3 a, V3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Greetings ribbon. It is multiplied in without writing depth and the front carpet row is
// drawn after it, so it shows only on pixels the front row does not cover. It is laid out
// as a band standing just behind that row's far edge (z = 0), its foot 8 above the carpet,
// leaning back 30 degrees, where the light back row lies behind it and the dark letters
// read. It runs from the near left of the picture along -x to the far right and grows
// taller with distance (about 10 units near, 40 far) so that, seen from the finale's camera
// at either end of its animation, it is GREETINGS_BAND_PX tall on screen all along; the
// picture is laid along it at the same density, so the letters keep one size.
// Keyframe k is that band pulled halfway (PULL) toward the camera of its end of the
// animation. The camera moves in a straight line at the pace of the keyframe position, so
// at every moment in between the ribbon hangs halfway along the same lines of sight: the
// same pixels, but in front of the razor, which would otherwise hide the names.
// Between the keyframes the text slides from the far end toward the near one, a marquee:
// at keyframe 0 its first letter stands START px along the ribbon past x = 0, at keyframe
// 1 it has moved SHIFT px on. The names are ordered so that each stays whole on screen for
// more than 2 s (the stretch seen whole grows from about 540 to 1000 px as the camera rises).
BuildMesh ribbon(int key) {
  const FinaleView views[2] = {finaleView(0.3f / 1.4f), finaleView(1.3f / 1.4f)};
  const V3 place{-75, 1, 25};   // the scene's placement of the mesh
  const V3 lean{0, std::cos(radians(30)), -std::sin(radians(30))};
  const float footY = 8, footZ = -10, START = 135, SHIFT = 3675, PULL = 0.5f;
  const int xNear = 240, xFar = -620, step = 4;
  auto foot = [&](float x) { return V3{x, footY, footZ}; };
  auto height = [&](float x) {
    float h[2];
    for (int k = 0; k < 2; ++k) h[k] = screenGap(onScreen(views[k], foot(x)), onScreen(views[k], foot(x) + lean));
    return GREETINGS_BAND_PX / std::sqrt(h[0] * h[1]);
  };
  auto centre = [&](float x) { return foot(x) + lean * (0.5f * height(x)); };
  // Screen length along the middle of the ribbon from xNear, one unit at a time.
  std::vector<double> along(xNear - xFar + 1, 0.0);
  for (int i = 1; i < (int)along.size(); ++i) {
    float x = float(xNear - i);
    double d[2];
    for (int k = 0; k < 2; ++k) d[k] = screenGap(onScreen(views[k], centre(x + 1)), onScreen(views[k], centre(x)));
    along[i] = along[i - 1] + std::sqrt(d[0] * d[1]);
  }
  const double origin = along[xNear];   // at x = 0
  BuildMesh m;
  const int n = (xNear - xFar) / step;
  addGrid(m, n, 1, false, [&](int i, int j) {
    int x = xNear - i * step;
    V3 p = foot(float(x)) + lean * (j ? 0.0f : height(float(x)));
    p = views[key].eye + (p - views[key].eye) * PULL;
    double s = along[xNear - x] - origin;
    float u = float((s - START + GREETINGS_LEAD_PX + key * SHIFT) / GREETINGS_LENGTH_PX);
    return BuildVertex{p - place, u, (float)j};   // v = 0 along the top edge
  });
  faceAll(m, 0, {0, -lean.z, lean.y});
  return m;
}

}  // namespace

void writePropMeshes(const std::string& outDir) {
  writeAnimatedMesh(outDir, "spch.baf", {words(0), words(1), words(2), words(3)}, 1.0f);

  writeStaticMesh(outDir, "tele.bof", teleCase(), 10.0f);
  writeStaticMesh(outDir, "tele_chrm.bof", teleChrome(), 10.0f);
  std::vector<BuildMesh> frames;
  for (int k = 0; k < 11; ++k) frames.push_back(teleScreen(k));
  writeAnimatedMesh(outDir, "tele_noiz.baf", frames, 10.0f);

  writeAnimatedMesh(outDir, "bottle.baf", {bottle(0), bottle(1), bottle(2), bottle(3)}, 5.0f);
  writeStaticMesh(outDir, "bubl.bof", bubble(), 10.0f);
  writeStaticMesh(outDir, "root.bof", hairRoot(), 1.0f);

  writeStaticMesh(outDir, "rasoirplat_env.bof", flatRazorHead(), 1.0f);
  writeStaticMesh(outDir, "rasoirplat_manche.bof", flatRazorHandle(), 1.0f);

  writeStaticMesh(outDir, "R2_plas.bof", cartridgeHead(), 1.0f);
  writeStaticMesh(outDir, "R2_lame.bof", cartridgeBlades(), 1.0f);
  writeStaticMesh(outDir, "R2_manch.bof", cartridgeHandle(), 1.0f);
  writeStaticMesh(outDir, "clip.bof", guard(), 1.0f);
  writeStaticMesh(outDir, "skin.bof", skinStrip(), 1.0f);
  writeAnimatedMesh(outDir, "grtz.baf", {ribbon(0), ribbon(1)}, 1.0f);
}
