// Hairy objects: the fur ball of the bouncing field, the hair growing from the hair root
// (bass-driven crop, glowing halo, long crop) and the carpet tile of the wave scenes.
// Every strand is a thin closed tube with v running from its root (0) to its tip (1), so
// the anisotropic light follows the hair and any camera sees it with back faces culled.
#include <algorithm>
#include <cmath>
#include <vector>

#include "mesh_builder.h"
#include "mesh_groups.h"

namespace {

// ---- Fur ball (world units; the show scales the file by 0.1) ----------------------------
constexpr float BALL_CORE = 2.4f;

// Evenly spread directions on the sphere (golden-angle spiral) with a little jitter.
std::vector<V3> sphereDirections(int count, MeshRng& rng) {
  std::vector<V3> dirs;
  const float golden = PI_F * (3.0f - std::sqrt(5.0f));
  for (int i = 0; i < count; ++i) {
    float y = 1 - 2 * (i + 0.5f) / count;
    float r = std::sqrt(1 - y * y);
    float a = golden * i + rng.range(-0.15f, 0.15f);
    dirs.push_back(normalize({r * std::cos(a), y + rng.range(-0.02f, 0.02f), r * std::sin(a)}));
  }
  return dirs;
}

// pose 0 stretched in flight, 1 at rest, 2 squashed on landing.
BuildMesh furball(int pose) {
  BuildMesh m;
  MeshRng rng{0xf0bba11};
  // Core: a sphere in the root colour so the coat never shows through.
  addGrid(m, 16, 10, true, [&](int i, int j) {
    float a = 2 * PI_F * i / 16, b = PI_F * j / 10;
    V3 p{BALL_CORE * std::sin(b) * std::cos(a), BALL_CORE * std::cos(b), BALL_CORE * std::sin(b) * std::sin(a)};
    return BuildVertex{p, i / 4.0f, 0.02f + 0.08f * j / 10};
  });
  // 260 broad strands: eighty balls are blended every frame, so the coat stays near 4k vertices.
  std::vector<V3> dirs = sphereDirections(260, rng);
  for (const V3& d : dirs) {
    float len = rng.range(1.5f, 2.0f), phase = rng.range(0, 2 * PI_F), u0 = rng.range(0, 0.85f);
    V3 e1 = normalize(cross(d, std::fabs(d.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0}));
    V3 e2 = cross(d, e1);
    std::vector<V3> spine;
    for (int s = 0; s < 4; ++s) {
      float t = s / 3.0f;
      // A loose curl around the radial direction.
      V3 curl = (e1 * std::cos(phase + 4 * t) + e2 * std::sin(phase + 4 * t)) * (0.35f * len * t);
      V3 p = d * (BALL_CORE * 0.92f + len * t) + curl;
      if (pose == 0) p = p + V3{0, -0.45f * len * t * t, 0};                       // streaming
      if (pose == 2) p = p + V3{d.x, 0, d.z} * (0.5f * len * t * t);               // splaying
      spine.push_back(p);
    }
    addStrand(m, spine, 0.46f, 0.08f, 3, e1, u0, 0.12f);
  }
  const float extent = BALL_CORE + 1.8f;
  transformFrom(m, 0, [&](V3 p) {
    if (pose == 0) return V3{p.x * 0.86f, p.y * 1.28f, p.z * 0.86f};
    if (pose == 2) return V3{p.x * 1.22f, -extent + (p.y + extent) * 0.66f, p.z * 1.22f};
    return p;
  });
  return m;
}

// ---- Hair of the root (unscaled world units; the root's crater at y ~ 93) -------------
constexpr float CRATER_Y = 92.8f, CRATER_R = 3.8f;
// The crop leans toward +x and a little toward -z: the scenes' camera looks at the root
// from the front right, so leaning hair crosses the middle of its view.
const V3 LEAN{0.92f, 0, -0.25f};
V3 leaned(V3 p, float amount) { return p + LEAN * (amount * (p.y - CRATER_Y)); }

struct HairRoot {
  V3 p;
  float len, phase, u0;
};
std::vector<HairRoot> craterRoots(int count, uint32_t seed) {
  MeshRng rng{seed};
  std::vector<HairRoot> roots;
  for (int i = 0; i < count; ++i) {
    float a = rng.range(0, 2 * PI_F), r = CRATER_R * std::sqrt(rng.uniform());
    roots.push_back({{r * std::cos(a), CRATER_Y, r * std::sin(a)}, rng.range(0.85f, 1.15f), rng.range(0, 2 * PI_F),
                     rng.range(0, 0.8f)});
  }
  return roots;
}

// Bass-driven crop: 0 none, 1 short at rest, 2 standing, 3 wild.
BuildMesh bassHair(int pose) {
  BuildMesh m;
  std::vector<HairRoot> roots = craterRoots(90, 0xba55);
  const float lengths[4] = {0, 22, 48, 54};
  const float fans[4] = {0, 0.9f, 0.25f, 1.4f};
  for (const HairRoot& r : roots) {
    V3 out{r.p.x / CRATER_R, 0, r.p.z / CRATER_R};
    float len = lengths[pose] * r.len;
    V3 base = r.p - V3{0, 1.5f, 0};
    std::vector<V3> spine;
    const int rings = 9;
    for (int s = 0; s < rings; ++s) {
      float t = s / (rings - 1.0f);
      V3 p = base + V3{0, 1.5f * (pose > 0), 0} + V3{0, len * t, 0} + out * (fans[pose] * len * 0.45f * t * t);
      if (pose == 1) p = p + V3{0, -len * 0.25f * t * t, 0} + out * (len * 0.15f * t);  // soft droop
      if (pose == 3) {
        // Wild: zig-zag curls in a plane that turns along the strand.
        float w = 0.18f * len * t;
        p = p + V3{std::cos(r.phase + 9 * t), 0, std::sin(r.phase + 9 * t)} * w;
      }
      spine.push_back(p);
    }
    const float leans[4] = {0, 0.9f, 0.45f, 0.6f};
    for (V3& p : spine) p = leaned(p, leans[pose]);
    float radius = pose == 0 ? 0.001f : 0.6f;
    addStrand(m, spine, radius, radius * 0.3f, 4, out + V3{0.01f, 0, 0}, r.u0, 0.18f);
  }
  return m;
}

// Glowing halo: wide soft ribbons fanning around the crop, 0 none, 1 full. Both sides
// are built, so the halo shows from every side with culling on.
BuildMesh glowHalo(float grown) {
  BuildMesh m;
  MeshRng rng{0x610e};
  const int count = 36;
  for (int i = 0; i < count; ++i) {
    float a = 2 * PI_F * (i + rng.range(-0.3f, 0.3f)) / count;
    float len = rng.range(26, 36) * grown, width = rng.range(3, 5) * (0.2f + 0.8f * grown);
    float lean = rng.range(0.35f, 0.8f);
    V3 out{std::cos(a), 0, std::sin(a)}, side{-std::sin(a), 0, std::cos(a)};
    V3 root = V3{0, CRATER_Y + 1, 0} + out * 3.5f;
    addGridTwoSided(m, 1, 6, [&](int i2, int j) {
      float t = j / 6.0f;
      V3 c = root + V3{0, len * t, 0} + out * (lean * len * t * (0.6f + 0.4f * t));
      float w = width * (0.6f + 0.8f * t) * (i2 - 0.5f);
      return BuildVertex{leaned(c + side * w, 0.9f), (float)i2, t};
    });
  }
  return m;
}

// Long crop: 0 blown flat, 1 at rest. A short fountain rises from the crater, and a mane
// grows from all over the skin patch, reaching out all round the X axis: scene 8 spins the
// root about that axis with its camera close beside it, so whichever way the root has
// turned, some of the mane sweeps through the view. Blown flat, every strand is shorter,
// closer to the patch and swept back against the spin.
constexpr float MANE_TIP_MIN = 72.0f, MANE_TIP_MAX = 108.0f;

// Where the ray from inside the patch (0, -3, 0) + (x0 plane) along angle phi about the X
// axis leaves the skin patch: its domed top, its flat base or its rim.
V3 maneRoot(float x0, float phi) {
  float c = std::cos(phi), s = std::sin(phi);
  float halfWidth = std::sqrt(ROOT_SKIN_R * ROOT_SKIN_R - x0 * x0) - 1.5f;
  float t = 1e9f;
  if (c > 1e-4f) t = std::min(t, 4.0f / c);    // top at y ~ 1
  if (c < -1e-4f) t = std::min(t, 5.0f / -c);  // base at y = -8
  if (std::fabs(s) > 1e-4f) t = std::min(t, halfWidth / std::fabs(s));
  return V3{x0, -3 + t * c, t * s};
}

BuildMesh longHair(int pose) {
  BuildMesh m;
  // The fountain from the crater, seen as the scenes begin and from scene 7's camera.
  std::vector<HairRoot> roots = craterRoots(60, 0x303a);
  for (const HairRoot& r : roots) {
    V3 out{r.p.x / CRATER_R, 0, r.p.z / CRATER_R};
    // At rest short enough to pass the spinning scene's camera; blown flat it lies along
    // the wind, away from the axis that scene spins about, so it may be longer.
    float len = (pose == 1 ? 36 : 60) * r.len;
    const V3 wind = normalize(V3{1, 0, 0.25f});
    std::vector<V3> spine;
    const int rings = 8;
    for (int s = 0; s < rings; ++s) {
      float t = s / (rings - 1.0f);
      V3 p;
      if (pose == 1) {
        // Rises, then arches outward and down.
        p = r.p + V3{0, len * (0.75f * t - 0.25f * t * t), 0} + out * (len * (0.12f + 0.35f * t * t)) * t;
        p = p + V3{std::cos(r.phase + 6 * t), 0, std::sin(r.phase + 6 * t)} * (1.5f * t);
      } else {
        // A short rise, then lying along the wind, close to the lip of the root.
        float up = len * 0.12f * (1 - (1 - t) * (1 - t));
        p = r.p + V3{0, up, 0} + wind * (len * 0.95f * t) + out * (len * 0.15f * t) + V3{0, -len * 0.22f * t * t, 0};
      }
      spine.push_back(p);
    }
    addStrand(m, spine, 0.55f, 0.18f, 4, out + V3{0.01f, 0, 0}, r.u0, 0.18f);
  }

  // The mane.
  MeshRng rng{0x3a7e};
  const int count = 420;
  for (int i = 0; i < count; ++i) {
    float phi = 2 * PI_F * (i + rng.range(-0.4f, 0.4f)) / count;
    // Not through the follicle: strands near the top start outside its foot.
    float x0;
    V3 root;
    do {
      x0 = rng.range(-34, 34);
      root = maneRoot(x0, phi);
    } while (root.y > 0 && x0 * x0 + root.z * root.z < 18 * 18);
    float tipR = rng.range(MANE_TIP_MIN, MANE_TIP_MAX), u0 = rng.range(0, 0.8f), wave = rng.range(0, 2 * PI_F);
    float curl = rng.range(2, 7);
    float r0 = std::sqrt(root.y * root.y + root.z * root.z), a0 = std::atan2(root.z, root.y);
    float a1 = phi, splay = x0 / ROOT_SKIN_R * 0.3f;
    const bool flat = pose == 0;
    // At rest a gentle trailing curve; blown flat, 0.7 radians back and 20% shorter.
    float sweep = flat ? 0.7f : 0.12f, reach = flat ? 0.8f : 1.0f;
    std::vector<V3> spine;
    const int rings = 10;
    for (int s = 0; s < rings; ++s) {
      float t = s / (rings - 1.0f);
      float rho = lerpf(r0, r0 + (tipR - r0) * reach, t);
      // The root spins toward +z in this file's frame (turned 180 degrees about Y, then
      // spun to negative angles about X), so the hair trails toward -z.
      float a = lerpf(a0, a1, std::min(1.0f, 4 * t)) - sweep * t * std::sqrt(t);
      float x = x0 + splay * (tipR - r0) * t * (flat ? 0.4f : 1.0f) + curl * std::sin(wave + 5 * t) * t;
      spine.push_back(V3{x, rho * std::cos(a), rho * std::sin(a)});
    }
    addStrand(m, spine, 0.9f, 0.2f, 4, V3{1, 0, 0}, u0, 0.18f);
  }
  return m;
}

// ---- Carpet tile: 400 x 400 in x and z, copies 400 apart join without a seam ----------
// Rows of hair locks across z: each lock rises from its root to its tip, then steps down
// to the next root. u repeats 4 times across x, v runs root to tip 8 times along z, so the
// edges of neighbouring tiles meet on whole texture periods.
BuildMesh carpet() {
  BuildMesh m;
  const int n = 80;
  const float locks = 8, uRepeat = 4, lift = 2.5f;
  addGrid(m, n, n, true, [&](int i, int j) {
    float x = -200 + 400.0f * i / n, z = -200 + 400.0f * j / n;
    float v = locks * j / n;
    float f = v - std::floor(v);
    if (j == n) f = 0;  // same height as the opposite edge (j = 0)
    float y = f <= 0.9f ? lift * f / 0.9f : lift * (1 - f) / 0.1f;
    return BuildVertex{{x, y, z}, uRepeat * i / n, v};
  });
  return m;
}

}  // namespace

void writeHairMeshes(const std::string& outDir) {
  writeAnimatedMesh(outDir, "furball.baf", {furball(0), furball(1), furball(2)}, 10.0f);
  writeAnimatedMesh(outDir, "poildebass.baf", {bassHair(0), bassHair(1), bassHair(2), bassHair(3)}, 1.0f);
  writeAnimatedMesh(outDir, "poilglow.baf", {glowHalo(0.0f), glowHalo(1.0f)}, 1.0f);
  writeAnimatedMesh(outDir, "mogn.baf", {longHair(0), longHair(1)}, 1.0f);
  writeStaticMesh(outDir, "tapis.bof", carpet(), 1.0f);
}
