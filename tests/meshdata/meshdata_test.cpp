// The generated meshes: every file loads cleanly through the show's loaders with its
// keyframes, the bytes are the same on every run, closed objects face outward, open
// surfaces face their camera, sizes match the scenes, the carpet tiles without a seam,
// keyframes mean what the scripts expect, hair tangents run from root to tip and the
// finale's greetings stay clear of the front carpet row.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/display.h"
#include "make_data.h"
#include "mesh/mesh.h"
#include "render/render_internal.h"
#include "support/gl_context.h"

namespace fs = std::filesystem;

// The generator reports progress through this; the tests keep it quiet.
void progress(const char*, const char*) {}

namespace {

struct Entry {
  const char* name;
  int minFrames;      // 1 for .bof
  float scale;        // the show's load-time scale
};
const Entry MESHES[] = {
    {"H_barr.baf", 4, 0.1f},      {"H_bout.baf", 2, 0.1f},        {"H_hous.baf", 4, 0.1f},
    {"H_port.baf", 5, 0.1f},      {"H_vitr.baf", 4, 0.1f},        {"H_couettes.baf", 3, 0.1f},
    {"envahipoilA.baf", 2, 0.1f}, {"envahipoilB.baf", 2, 0.1f},   {"spch.baf", 4, 1},
    {"furball.baf", 3, 0.1f},     {"tele_noiz.baf", 11, 0.1f},    {"bottle.baf", 4, 0.2f},
    {"mogn.baf", 2, 1},           {"poildebass.baf", 4, 1},       {"poilglow.baf", 2, 1},
    {"grtz.baf", 2, 1},           {"bubl.bof", 1, 0.1f},          {"root.bof", 1, 1},
    {"tele.bof", 1, 0.1f},        {"tele_chrm.bof", 1, 0.1f},     {"rasoirplat_env.bof", 1, 1},
    {"rasoirplat_manche.bof", 1, 1}, {"tapis.bof", 1, 1},         {"R2_lame.bof", 1, 1},
    {"R2_manch.bof", 1, 1},       {"R2_plas.bof", 1, 1},          {"skin.bof", 1, 1},
    {"clip.bof", 1, 1}};

const Entry& entry(const std::string& name) {
  for (const Entry& e : MESHES)
    if (name == e.name) return e;
  ADD_FAILURE() << "no entry " << name;
  return MESHES[0];
}

// The meshes of this process, generated once into the test's scratch folder.
std::string generated() {
  static std::string dir;
  if (dir.empty()) {
    dir = fs::path(scratchPath("x")).parent_path().string() + "/meshes";
    fs::create_directories(dir);
    writeMeshes(dir);
  }
  return dir;
}

// Loads a generated mesh as the show does (loader, then its scale), with normals and
// tangents; `messages` gets whatever the loader printed.
Mesh loadGenerated(const std::string& name, std::string* messages = nullptr) {
  Mesh m{};
  std::string path = generated() + "/" + name;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".baf") == 0)
    loadAnimatedMesh(path.c_str(), &m);
  else
    loadStaticMesh(path.c_str(), &m);
  std::fflush(stdout);
  std::fflush(stderr);
  std::string out = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
  if (messages) *messages = out;
  scaleMesh(&m, entry(name).scale);
  computeNormals(&m);
  computeTangents(&m);
  return m;
}

const MeshVertex& vert(const Mesh& m, int frame, uint32_t i) { return m.vertices[frame * m.vertexCount + i]; }

struct Box {
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  float size(int k) const { return hi[k] - lo[k]; }
};
Box bounds(const Mesh& m, int frame, int first = 0, int last = -1) {
  Box b;
  if (last < 0) last = m.vertexCount;
  for (int i = first; i < last; ++i) {
    const float* p = &vert(m, frame, i).x;
    for (int k = 0; k < 3; ++k) b.lo[k] = std::fmin(b.lo[k], p[k]), b.hi[k] = std::fmax(b.hi[k], p[k]);
  }
  return b;
}

// Signed volume enclosed by a keyframe, with each triangle taken in file order (a, b, c);
// the loader stored it as (a, c, b). Positive when the faces point outward.
double signedVolume(const Mesh& m, int frame) {
  double v = 0;
  for (int t = 0; t < m.triangleCount; ++t) {
    const MeshVertex& a = vert(m, frame, m.triangles[t].i0);
    const MeshVertex& b = vert(m, frame, m.triangles[t].i2);
    const MeshVertex& c = vert(m, frame, m.triangles[t].i1);
    v += (a.x * ((double)b.y * c.z - (double)b.z * c.y) - a.y * ((double)b.x * c.z - (double)b.z * c.x) +
          a.z * ((double)b.x * c.y - (double)b.y * c.x)) / 6.0;
  }
  return v;
}

double surfaceArea(const Mesh& m, int frame) {
  double s = 0;
  for (int t = 0; t < m.triangleCount; ++t) {
    const MeshVertex& a = vert(m, frame, m.triangles[t].i0);
    const MeshVertex& b = vert(m, frame, m.triangles[t].i1);
    const MeshVertex& c = vert(m, frame, m.triangles[t].i2);
    Vec3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
    Vec3 n = vec3Cross(e1, e2);
    s += 0.5 * std::sqrt((double)vec3Dot(n, n));
  }
  return s;
}

std::vector<char> fileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(MeshData, EveryMeshLoadsSilentlyWithItsKeyframesAndSoundIndices) {
  GL_TEST_CONTEXT();
  for (const Entry& e : MESHES) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(fs::exists(generated() + "/" + e.name));
    EXPECT_LT(fs::file_size(generated() + "/" + e.name), 4u << 20) << "keep each file to a few MB";
    std::string messages;
    Mesh m = loadGenerated(e.name, &messages);
    EXPECT_EQ(messages, "");
    EXPECT_GT(m.vertexCount, 0);
    EXPECT_GT(m.triangleCount, 0);
    EXPECT_GE(m.frameCount, e.minFrames);
    bool inRange = true, finite = true;
    for (int t = 0; t < m.triangleCount; ++t)
      for (uint32_t i : {m.triangles[t].i0, m.triangles[t].i1, m.triangles[t].i2}) inRange &= i < (uint32_t)m.vertexCount;
    for (int i = 0; i < m.vertexCount * m.frameCount; ++i) {
      const MeshVertex& v = m.vertices[i];
      for (float f : {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz, v.tx, v.ty, v.tz}) finite &= std::isfinite(f);
    }
    EXPECT_TRUE(inRange);
    EXPECT_TRUE(finite);
    destroyMesh(&m);
  }
  EXPECT_EQ(std::size(MESHES), 28u);
}

TEST(MeshData, TwoRunsWriteIdenticalBytes) {
  std::string a = generated();
  std::string b = fs::path(a).parent_path().string() + "/again";
  fs::create_directories(b);
  writeMeshes(b);
  for (const Entry& e : MESHES) {
    std::vector<char> x = fileBytes(a + "/" + e.name), y = fileBytes(b + "/" + e.name);
    EXPECT_FALSE(x.empty()) << e.name;
    EXPECT_TRUE(x == y) << e.name << " differs between runs";
  }
}

TEST(MeshData, ClosedObjectsFaceOutwardInEveryKeyframe) {
  GL_TEST_CONTEXT();
  // (Open strands are checked through their tangents below: the enclosed volume of an
  // open tube depends on where the origin is.)
  const char* closed[] = {"H_hous.baf",  "H_barr.baf",  "H_port.baf",   "bottle.baf",
                          "bubl.bof",    "root.bof",    "rasoirplat_env.bof", "rasoirplat_manche.bof",
                          "R2_plas.bof", "R2_lame.bof", "R2_manch.bof", "clip.bof",
                          "H_couettes.baf", "tele.bof"};
  for (const char* name : closed) {
    Mesh m = loadGenerated(name);
    for (int f = 0; f < m.frameCount; ++f) {
      Box b = bounds(m, f);
      double boxVolume = (double)b.size(0) * b.size(1) * b.size(2);
      EXPECT_GT(signedVolume(m, f), 0.01 * boxVolume) << name << " keyframe " << f << " is inside out";
    }
    destroyMesh(&m);
  }
}

TEST(MeshData, OpenSurfacesFaceTheirCamera) {
  GL_TEST_CONTEXT();
  // Average normal over the keyframe, against the side the scripted camera looks from.
  struct Case {
    const char* name;
    int frame;
    Vec3 towardCamera;
  };
  const Case cases[] = {{"spch.baf", 3, {0, 0, -1}},  {"tele_noiz.baf", 0, {0, 0, -1}}, {"H_vitr.baf", 0, {0, 0, -1}},
                        {"tapis.bof", 0, {0, 1, 0}},  {"skin.bof", 0, {0, 1, 0}},       {"grtz.baf", 1, {0, 0.5f, 0.866f}}};
  for (const Case& c : cases) {
    Mesh m = loadGenerated(c.name);
    double sum = 0;
    for (int i = 0; i < m.vertexCount; ++i) {
      const MeshVertex& v = vert(m, c.frame, i);
      sum += v.nx * c.towardCamera.x + v.ny * c.towardCamera.y + v.nz * c.towardCamera.z;
    }
    EXPECT_GT(sum / m.vertexCount, 0.9) << c.name;
    destroyMesh(&m);
  }
}

TEST(MeshData, SizesInWorldUnitsFitTheirScenes) {
  GL_TEST_CONTEXT();
  struct Case {
    const char* name;
    int frame, axis;
    float lo, hi;      // range of the extent along `axis`
  };
  const Case cases[] = {
      {"H_hous.baf", 0, 0, 30, 55},   {"H_hous.baf", 0, 1, 28, 50},   {"furball.baf", 1, 0, 6.5f, 10},
      {"furball.baf", 1, 1, 6.5f, 10}, {"tele.bof", 0, 0, 55, 65},    {"bottle.baf", 0, 1, 40, 50},
      {"bubl.bof", 0, 0, 2.5f, 3.5f}, {"spch.baf", 3, 0, 280, 320},   {"skin.bof", 0, 0, 290, 310},
      {"skin.bof", 0, 2, 140, 160},
      {"tapis.bof", 0, 0, 400, 400},  {"tapis.bof", 0, 2, 400, 400}};
  for (const Case& c : cases) {
    Mesh m = loadGenerated(c.name);
    Box b = bounds(m, c.frame);
    EXPECT_GE(b.size(c.axis), c.lo) << c.name << " axis " << c.axis;
    EXPECT_LE(b.size(c.axis), c.hi) << c.name << " axis " << c.axis;
    destroyMesh(&m);
  }
  // The house stands on the ground; the hair root rises to about y = 100.
  Mesh house = loadGenerated("H_hous.baf");
  for (int f = 0; f < house.frameCount; ++f) EXPECT_NEAR(bounds(house, f).lo[1], 0, 0.01) << "frame " << f;
  destroyMesh(&house);
  Mesh root = loadGenerated("root.bof");
  EXPECT_NEAR(bounds(root, 0).hi[1], 100, 4);
  EXPECT_LE(bounds(root, 0).size(0), 90) << "a small skin patch around the follicle";
  destroyMesh(&root);
}

TEST(MeshData, CarpetTilesJoinWithoutASeam) {
  GL_TEST_CONTEXT();
  Mesh m = loadGenerated("tapis.bof");
  std::map<float, int> xs;
  for (int i = 0; i < m.vertexCount; ++i) xs[m.vertices[i].x]++;
  EXPECT_GE(xs.size(), 65u) << "at least 64 x 64 quads";
  // Every vertex on one edge has a partner 400 away on the opposite edge with the same
  // height and texture coordinates equal up to whole texture periods.
  int edges = 0;
  for (int axis = 0; axis < 2; ++axis) {
    for (int i = 0; i < m.vertexCount; ++i) {
      const MeshVertex& a = m.vertices[i];
      float ca = axis ? a.z : a.x;
      if (ca != -200.0f) continue;
      bool found = false;
      for (int j = 0; j < m.vertexCount && !found; ++j) {
        const MeshVertex& b = m.vertices[j];
        float cb = axis ? b.z : b.x, other = axis ? (a.x - b.x) : (a.z - b.z);
        if (cb != 200.0f || other != 0) continue;
        float du = b.u - a.u, dv = b.v - a.v;
        found = a.y == b.y && du == std::round(du) && dv == std::round(dv);
      }
      EXPECT_TRUE(found) << "edge vertex " << i << " has no seamless partner";
      ++edges;
    }
  }
  EXPECT_GT(edges, 128);
  destroyMesh(&m);
}

TEST(MeshData, KeyframesShowWhatTheScriptsAskFor) {
  GL_TEST_CONTEXT();
  // Words: keyframe k shows words 0..k, the others are shrunk to a point.
  Mesh words = loadGenerated("spch.baf");
  ASSERT_EQ(words.vertexCount, 16);
  for (int k = 0; k < 4; ++k)
    for (int w = 0; w < 4; ++w) {
      Box b = bounds(words, k, 4 * w, 4 * w + 4);
      if (w <= k)
        EXPECT_GT(b.size(0), 60) << "keyframe " << k << " word " << w;
      else
        EXPECT_EQ(b.size(0), 0) << "keyframe " << k << " word " << w;
    }
  destroyMesh(&words);
  // Hair that starts hidden has (next to) no surface in keyframe 0.
  for (const char* name : {"envahipoilA.baf", "envahipoilB.baf", "poildebass.baf", "poilglow.baf"}) {
    Mesh m = loadGenerated(name);
    EXPECT_LT(surfaceArea(m, 0), 0.02 * surfaceArea(m, 1)) << name;
    destroyMesh(&m);
  }
  // The television screen stays put while each keyframe maps its own patch of static.
  Mesh screen = loadGenerated("tele_noiz.baf");
  for (int a = 0; a < screen.frameCount; ++a)
    for (int b = a + 1; b < screen.frameCount; ++b) {
      EXPECT_EQ(vert(screen, a, 0).x, vert(screen, b, 0).x);
      EXPECT_EQ(vert(screen, a, 7).z, vert(screen, b, 7).z);
      EXPECT_TRUE(vert(screen, a, 0).u != vert(screen, b, 0).u || vert(screen, a, 0).v != vert(screen, b, 0).v)
          << "keyframes " << a << " and " << b << " show the same noise";
    }
  destroyMesh(&screen);
  // The greetings slide along their ribbon: from keyframe 0 to 1 the picture moves on by
  // the same amount everywhere, most of its length.
  Mesh ribbon = loadGenerated("grtz.baf");
  float shift = vert(ribbon, 1, 0).u - vert(ribbon, 0, 0).u;
  EXPECT_GT(shift, 0.8f);
  float spread = 0;
  for (int i = 0; i < ribbon.vertexCount; ++i)
    spread = std::fmax(spread, std::fabs(vert(ribbon, 1, i).u - vert(ribbon, 0, i).u - shift));
  EXPECT_LT(spread, 1e-3f);
  destroyMesh(&ribbon);
  // The bottle's lid opens: its top rises above the closed bottle's top.
  Mesh bottle = loadGenerated("bottle.baf");
  EXPECT_GT(bounds(bottle, 3).size(2), bounds(bottle, 0).size(2) + 2);
  destroyMesh(&bottle);
}

TEST(MeshData, HairTangentsRunFromRootToTip) {
  GL_TEST_CONTEXT();
  // Standing bass hair points up; fur ball strands point away from the ball's centre.
  Mesh hair = loadGenerated("poildebass.baf");
  double up = 0;
  for (int i = 0; i < hair.vertexCount; ++i) up += vert(hair, 2, i).ty;
  EXPECT_GT(up / hair.vertexCount, 0.8);
  destroyMesh(&hair);
  Mesh ball = loadGenerated("furball.baf");
  double out = 0;
  int strands = 0;
  for (int i = 0; i < ball.vertexCount; ++i) {
    const MeshVertex& v = vert(ball, 1, i);
    float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (r < 2.6f) continue;  // the core
    out += (v.tx * v.x + v.ty * v.y + v.tz * v.z) / r;
    ++strands;
  }
  ASSERT_GT(strands, 3000) << "a dense coat";
  EXPECT_GT(out / strands, 0.5);
  destroyMesh(&ball);
}

TEST(MeshData, GuardSurroundsTheRazorHead) {
  GL_TEST_CONTEXT();
  // The razor head stands at (X - 10, 0, 25) turned 180 about Y and 20 about Z, the guard
  // at (X, 0, 25) unturned: in the guard's frame the head lies inside the guard's bounds.
  Mesh head = loadGenerated("R2_plas.bof"), guard = loadGenerated("clip.bof");
  Box g = bounds(guard, 0);
  float cy = std::cos(180 * 0.017453292f), sy = std::sin(180 * 0.017453292f);
  float cz = std::cos(20 * 0.017453292f), sz = std::sin(20 * 0.017453292f);
  int inside = 0;
  for (int i = 0; i < head.vertexCount; ++i) {
    const MeshVertex& v = head.vertices[i];
    float x1 = cz * v.x - sz * v.y, y1 = sz * v.x + cz * v.y, z1 = v.z;   // about Z
    float x2 = cy * x1 + sy * z1, z2 = -sy * x1 + cy * z1;               // about Y
    float p[3] = {x2 - 10, y1, z2};
    bool in = true;
    for (int k = 0; k < 3; ++k) in &= p[k] >= g.lo[k] - 0.5f && p[k] <= g.hi[k] + 0.5f;
    inside += in;
  }
  EXPECT_GT(inside, head.vertexCount * 9 / 10);
  destroyMesh(&head);
  destroyMesh(&guard);
}

TEST(MeshData, CulledDrawingShowsTheNearSideOfClosedObjects) {
  GL_TEST_CONTEXT();
  initGlState();
  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
  // A bubble straight ahead: with back faces culled the depth at the centre must be the
  // near side's, the same as with culling off (a reversed winding would show the far side).
  Mesh bubble = loadGenerated("bubl.bof");
  setCamera(0, 0, -10, 0, 0, 0);
  placeMesh(&bubble, 0, 0, 0, 0, 0, 0);
  float depth[2];
  for (int pass = 0; pass < 2; ++pass) {
    if (pass)
      glDisable(GL_CULL_FACE);
    else
      glEnable(GL_CULL_FACE);
    clearDepthBuffer();
    drawMesh(&bubble);
    glFinish();
    glReadPixels(512, 384, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[pass]);
  }
  glEnable(GL_CULL_FACE);
  EXPECT_LT(depth[0], 1.0f) << "nothing drawn";
  EXPECT_FLOAT_EQ(depth[0], depth[1]);
  destroyMesh(&bubble);
  // An open surface seen by its camera: the words from scene 1's pose are drawn culled.
  Mesh words = loadGenerated("spch.baf");
  setCamera(0, 0, -80, 0, 0, 0);
  placeMesh(&words, 0, 0, 300, 0, 0, 0);
  words.framePosition = 3;
  interpolateMeshFrame(&words, 3);
  clearDepthBuffer();
  drawMesh(&words);
  glFinish();
  float d = 1;
  glReadPixels(512 + 40, 384, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
  EXPECT_LT(d, 1.0f) << "the words face away from the camera";
  destroyMesh(&words);
}

TEST(MeshData, LongCropCrossesTheSpinningRootsViewThroughout) {
  GL_TEST_CONTEXT();
  initGlState();
  glDisable(GL_CULL_FACE);
  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
  // The spinning scene turns root and crop about the X axis through the origin while its
  // camera stays beside them: the crop must cover part of the picture at every moment,
  // blown flat or at rest, and must never reach the camera itself.
  Mesh hair = loadGenerated("mogn.baf");
  std::vector<float> depth(1024 * 768);
  for (int step = 0; step <= 30; ++step) {
    float u = step * 0.5f;
    for (float pose : {0.0f, 1.0f}) {
      setCamera(-6, 125, -14, -1, -35, float(7.3 - 2 * u));
      placeMesh(&hair, 0, 0, 0, 180, -14 * u, 0);
      interpolateMeshFrame(&hair, pose);
      clearDepthBuffer();
      drawMesh(&hair);
      glFinish();
      glReadPixels(0, 0, 1024, 768, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
      int covered = 0;
      for (float d : depth) covered += d < 1.0f;
      EXPECT_GT(covered, 1024 * 768 / 50) << "u " << u << " pose " << pose;
    }
  }
  // The camera stands 126 from the axis; the crop stays well inside that.
  float reach = 0;
  for (int f = 0; f < hair.frameCount; ++f)
    for (int i = 0; i < hair.vertexCount; ++i)
      reach = std::fmax(reach, std::hypot(vert(hair, f, i).y, vert(hair, f, i).z));
  EXPECT_LT(reach, 116);
  destroyMesh(&hair);
}

TEST(MeshData, GreetingsReadOverTheBackCarpetRowInTheFinale) {
  GL_TEST_CONTEXT();
  initGlState();
  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
  // The finale multiplies the greetings in without depth and draws the front carpet row
  // after them: they show only where something drawn before lies behind them and the front
  // row does not. Everything untextured is drawn in a grey default texture; the sky stays
  // black, so a band over the sky or under the front row looks the same with and without.
  const unsigned char grey[4] = {128, 128, 128, 255};
  glBindTexture(GL_TEXTURE_2D, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
  glClearColor(0, 0, 0, 0);
  Mesh ribbon = loadGenerated("grtz.baf"), carpet = loadGenerated("tapis.bof"), skin = loadGenerated("skin.bof");
  Mesh razor[3] = {loadGenerated("R2_lame.bof"), loadGenerated("R2_manch.bof"), loadGenerated("R2_plas.bof")};
  std::vector<unsigned char> shot[2];
  std::vector<float> depth(1024 * 768);
  for (float P : {0.25f, 0.4f, 0.55f, 0.7f, 0.85f, 0.9f}) {
    float m = 1 - P, u = 18 * std::pow(P, 1 / 1.2f);
    float X = 225 - 300 * std::pow(0.5f - 0.5f * std::cos(P * 6.2831855f), 0.35f);
    float W = (11 * P - std::floor(11 * P)) * 400 - 380;
    setCamera(250 * P + 180 * m, 193 * P + 63 * m, 128 * P + 350 * m, 117 * P + 131 * m, -37 * P - 20 * m, 0);
    placeMesh(&ribbon, -75, 1, 25, 0, 0, 0);
    ribbon.framePosition = P * 1.4f - 0.3f;
    waveMesh(&carpet, -200 * u, 0.0025f, 1.5f, 0);
    for (int with = 0; with < 2; ++with) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      resetRenderQueue();
      for (float z : {-200.0f, 200.0f}) {
        if (z > 0 && with) {
          queueCommand(BlendMultiply);
          queueMesh(&ribbon);
          queueCommand(BlendOff);
        }
        for (float x : {W, W - 400, W + 400, W - 800}) queueMesh(placeMesh(&carpet, x, 0, z, 0, 0, 0));
        if (z > 0) continue;
        queueMesh(placeMesh(&skin, X, 0, 25, 0, 0, 0));
        for (Mesh& part : razor) queueMesh(placeMesh(&part, X - 10, 0, 25, 180, 0, 20));
      }
      drawRenderQueue();
      shot[with].resize(1024 * 768 * 4);
      glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, shot[with].data());
    }
    glClear(GL_DEPTH_BUFFER_BIT);
    resetRenderQueue();
    queueMesh(&ribbon);
    drawRenderQueue();
    glReadPixels(0, 0, 1024, 768, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    // Column by column: the ribbon's height on screen, and whether the pixel at its middle
    // changes when it is multiplied in. The longest stretch of columns where it is tall
    // enough and changes is the stretch where names can be read whole.
    int run = 0, longest = 0, tallest = 0;
    for (int x = 0; x < 1024; ++x) {
      int lo = 768, hi = -1;
      for (int y = 0; y < 768; ++y)
        if (depth[y * 1024 + x] < 1.0f) lo = std::min(lo, y), hi = std::max(hi, y);
      int height = hi - lo + 1, mid = (lo + hi) / 2 * 1024 + x;
      bool reads = hi >= 0 && lo > 0 && hi < 767 && height >= 40 && shot[0][mid * 4] > shot[1][mid * 4] + 20;
      tallest = std::max(tallest, hi >= 0 ? height : 0);
      run = reads ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    EXPECT_GE(longest, 450) << "P " << P << ": " << longest << " columns, the ribbon at most " << tallest << " px tall";
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  for (Mesh* mesh : {&ribbon, &carpet, &skin, &razor[0], &razor[1], &razor[2]}) destroyMesh(mesh);
}
