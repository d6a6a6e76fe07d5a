// Scenes 6 to 10: queue contents, capacities, camera poses and the music-driven positions
// of the second half of the show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/audio.h"
#include "queue_view.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"

namespace {

constexpr float DEG = 0.017453292f;

// u as the scene clock gives it: float(t) * 0.0005 rounds just above some round values
// (t = 12000 gives u slightly above 6), so thresholds are probed with an exact u instead.
void runScene(void (*script)(int32_t, float), int32_t t) {
  resetRenderQueue();
  script(t, float(t) * 0.0005f);
}
void runSceneAt(void (*script)(int32_t, float), int32_t t, float u) {
  resetRenderQueue();
  script(t, u);
}

void expectCamera(float x, float y, float z, float a, float b, float c, float tolerance = 0) {
  const float got[6] = {camera.position[0], camera.position[1], camera.position[2],
                        camera.angleY,      camera.angleX,      camera.angleZ};
  const float want[6] = {x, y, z, a, b, c};
  for (int k = 0; k < 6; k++) {
    if (tolerance == 0) EXPECT_FLOAT_EQ(got[k], want[k]) << "camera value " << k;
    else EXPECT_NEAR(got[k], want[k], tolerance) << "camera value " << k;
  }
}

}  // namespace

TEST(SceneSix, BubblesFillTheQueueToItsBusiestFrame) {
  runScene(scene6Script, 19999);   // u just below 10, inside the glow's 9 <= u < 12
  EXPECT_EQ(renderQueue.slotCount, 605);
  EXPECT_EQ(renderQueue.snapshotCount, 1995);
  std::vector<QueueEntry> q = readQueue();
  int meshes = 0;
  for (const QueueEntry& e : q) meshes += e.mesh != nullptr;
  EXPECT_EQ(meshes, 285);
  EXPECT_EQ(countMesh(q, &bublMesh), 280);

  // The same frame time gives the same bubbles: the generator is reseeded every frame.
  float first[RENDER_QUEUE_SNAPSHOT_VALUES];
  std::memcpy(first, renderQueue.snapshots, sizeof first);
  gen::srand(12345);
  runScene(scene6Script, 19999);
  EXPECT_EQ(std::memcmp(first, renderQueue.snapshots, 1995 * sizeof(float)), 0);

  // Each bubble keeps its tilt and only turns with the spin: 0.5 of u is 180 degrees more.
  runScene(scene6Script, 18999);
  std::vector<QueueEntry> earlier = readQueue();
  for (size_t i = 0; i < q.size(); i++) {
    if (q[i].mesh != &bublMesh) continue;
    ASSERT_EQ(earlier[i].mesh, &bublMesh);
    EXPECT_NEAR(q[i].snap[5] - earlier[i].snap[5], 180 * DEG, 1e-3);
  }

  // From u = 10 on no bubble is queued.
  runScene(scene6Script, 20000);
  q = readQueue();
  EXPECT_EQ(countMesh(q, &bublMesh), 0);
  EXPECT_EQ(renderQueue.slotCount, 605 - 280 * 2 - 2);
  EXPECT_EQ(countMesh(q, &poilglowMesh), 1);
  EXPECT_NEAR(poilglowMesh.framePosition, 1.0f / 3, 1e-6);
}

TEST(SceneSix, CameraAndRisingRoot) {
  runScene(scene6Script, 1000);
  expectCamera(0, 120, -80, 0, 0, 0);
  runScene(scene6Script, 2000);   // u = 1: k = 0, the opening values exactly
  expectCamera(0, 120, -80, 0, 0, 0);
  runScene(scene6Script, 6000);   // u = 3: k = 0.4 of the way
  expectCamera(10.44f, 115.8f, -65.84f, 1.0f, 2.6f, -8.2f, 1e-4f);
  runScene(scene6Script, 12000);
  expectCamera(26.1f, 109.5f, -44.6f, 2.5f, 6.5f, -20.5f);

  // The root and its hair rise from -200 to 0 between u = 4 and u = 8.
  runScene(scene6Script, 7999);
  EXPECT_EQ(countMesh(readQueue(), &rootMesh), 0);
  struct Case {
    int32_t t;
    float y;
  };
  const Case cases[] = {{8000, -200}, {12000, -100}, {16000, 0}, {22000, 0}};
  for (const Case& c : cases) {
    runScene(scene6Script, c.t);
    std::vector<QueueEntry> q = readQueue();
    ASSERT_EQ(countMesh(q, &rootMesh), 1) << c.t;
    for (const QueueEntry& e : q) {
      if (e.mesh == &rootMesh || e.mesh == &poildebassMesh) {
        EXPECT_NEAR(e.snap[1], c.y, 1e-3) << c.t;
      }
    }
  }
  EXPECT_EQ(poildebassMesh.framePosition, 1.0f);
}

TEST(SceneSeven, RazorAndSecondHair) {
  fondBleuCoinTex = 7;
  // The hair follows the bass envelope: entry 4009 at u = 1, entry 0 at u = 2.
  bassEnvelope[4009] = 255;
  bassEnvelope[0] = 128;
  runScene(scene7Script, 2000);
  EXPECT_FLOAT_EQ(poildebassMesh.framePosition, 1 + 255 / 128.0f);
  runScene(scene7Script, 4000);
  EXPECT_FLOAT_EQ(poildebassMesh.framePosition, 2.0f);
  std::vector<Step> before = {Bg(7),          C(SphereMapOn),      M(&rootMesh), C(SphereMapOff),
                              C(AnisoShaderOn), M(&poildebassMesh), C(AnisoShaderOff)};
  EXPECT_EQ(queueSteps(), before);
  expectCamera(26.1f, 109.5f, -44.6f, 2.5f, 6.5f, -20.5f);

  runSceneAt(scene7Script, 12000, 6.0f);   // u = 6: not yet
  EXPECT_EQ(queueSteps(), before);

  runSceneAt(scene7Script, 12001, 6.0005f);   // just above 6: razor and the camera jump
  std::vector<Step> razor = before;
  for (Step s : {C(SphereMapOn), M(&rasoirplatEnvMesh), C(SphereMapOff), M(&rasoirplatMancheMesh)})
    razor.push_back(s);
  EXPECT_EQ(queueSteps(), razor);
  expectCamera(43.4f, 95, 28, -225.4f, 24, -3);
  std::vector<QueueEntry> q = readQueue();
  const float want[6] = {-66, 20, 4, 2 * DEG, -40 * DEG, -22 * DEG};
  for (int k = 0; k < 6; k++) EXPECT_NEAR(q[8].snap[k], want[k], 1e-3) << k;

  runSceneAt(scene7Script, 15998, 7.999f);
  EXPECT_EQ(countMesh(readQueue(), &poildebassMesh), 1);
  EXPECT_EQ(countMesh(readQueue(), &mognMesh), 0);
  runSceneAt(scene7Script, 16000, 8.0f);   // u = 8: the second hair instead
  EXPECT_EQ(countMesh(readQueue(), &poildebassMesh), 0);
  EXPECT_EQ(countMesh(readQueue(), &mognMesh), 1);
  EXPECT_EQ(countMesh(readQueue(), &rasoirplatEnvMesh), 1);
}

TEST(SceneEight, HairFollowsTheHighBand) {
  struct Case {
    float level, g;
  };
  const Case cases[] = {{0.0f, 1.0f},  {0.005f, 1.0f}, {0.03f, 0.5f},
                        {0.055f, 0.0f}, {0.1f, 0.0f},  {-1.0f, 1.0f}};
  for (const Case& c : cases) EXPECT_NEAR(scene8HairPosition(c.level), c.g, 1e-6) << c.level;
  EXPECT_EQ(scene8HairPosition(0.055f), 0.0f);
  EXPECT_EQ(scene8HairPosition(0.0f), 1.0f);

  fondBleuBasTex = 9;
  runScene(scene8Script, 2000);
  std::vector<Step> expected = {Bg(9), C(SphereMapOn), M(&rootMesh), C(SphereMapOff),
                                C(AnisoShaderOn), M(&mognMesh), C(AnisoShaderOff)};
  EXPECT_EQ(queueSteps(), expected);
  std::vector<QueueEntry> q = readQueue();
  EXPECT_FLOAT_EQ(q[2].snap[3], 180 * DEG);
  EXPECT_FLOAT_EQ(q[2].snap[4], -14 * DEG);
  for (int k = 0; k < 6; k++) EXPECT_EQ(q[2].snap[k], q[5].snap[k]);
  expectCamera(-6, 125, -14, -1, -35, 5.3f);

  runSceneAt(scene8Script, 30000, 15.0f);   // u = 15: not yet flying out
  expectCamera(-6, 125, -14, -1, -35, -22.7f, 1e-4f);
  runScene(scene8Script, 32000);   // u = 16: at the far pose
  expectCamera(-93, 338, -710, 0.3f, -18, 0, 1e-4f);
}

TEST(SceneNine, EightCarpetsUnderAGlidingCamera) {
  fondBleuCentreBasTex = 11;
  runScene(scene9Script, 0);
  expectCamera(380, 223, 290, 162, -24, 0);
  std::vector<QueueEntry> q = readQueue();
  ASSERT_EQ(q.size(), 11u);
  EXPECT_EQ(q[0].texture, 11);
  EXPECT_EQ(q[1].code, AnisoShaderOn);
  EXPECT_EQ(q[10].code, AnisoShaderOff);
  const float xz[8][2] = {{20, 0},    {-380, 0},    {420, 0},    {-780, 0},
                          {20, -400}, {-380, -400}, {420, -400}, {-780, -400}};
  for (int i = 0; i < 8; i++) {
    EXPECT_EQ(q[2 + i].mesh, &tapisMesh);
    EXPECT_EQ(q[2 + i].snap[0], xz[i][0]);
    EXPECT_EQ(q[2 + i].snap[2], xz[i][1]);
  }
  runScene(scene9Script, 12000);
  expectCamera(180, 63, 150, 131, -20, 0, 1e-3f);
}

TEST(SceneTen, GreetingsOnlyWhileTheirAnimationRuns) {
  int firstQueued = -1, lastQueued = -1;
  for (int32_t t = 0; t <= 44000; t += 50) {
    runScene(scene10Script, t);
    std::vector<QueueEntry> q = readQueue();
    bool inside = grtzMesh.framePosition > 0 && grtzMesh.framePosition < 1;
    EXPECT_EQ(countMesh(q, &grtzMesh), inside ? 1 : 0) << t;
    EXPECT_EQ(countMesh(q, &tapisMesh), 8);
    if (inside) {
      if (firstQueued < 0) firstQueued = t;
      lastQueued = t;
    }
  }
  // P = (u / 18)^1.2 runs from about 0.214 to 0.929 while they show.
  auto P = [](int32_t t) { return std::pow(t * 0.0005 / 18, 1.2); };
  EXPECT_NEAR(P(firstQueued), 0.3 / 1.4, 0.003);
  EXPECT_NEAR(P(lastQueued), 1.3 / 1.4, 0.003);

  runScene(scene10Script, 20000);
  std::vector<Step> steps = queueSteps();
  std::vector<Step> middle(steps.begin() + 7, steps.begin() + 20);
  std::vector<Step> expected = {C(SphereMapOn),  M(&skinMesh),        M(&r2LameMesh),
                                C(AnisoShaderOn), M(&r2ManchMesh),     C(AnisoShaderOff),
                                C(SphereMapOff), M(&r2PlasMesh),      C(BlendMultiply),
                                M(&grtzMesh),    C(BlendAlphaDepthWrite), M(&clipMesh),
                                C(BlendOff)};
  EXPECT_EQ(middle, expected);

  // At the start P = 0: the carpet rows sit at W = -380 and the skin at X = 225.
  runScene(scene10Script, 0);
  std::vector<QueueEntry> q = readQueue();
  const float xs[4] = {-380, -780, 20, -1180};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(q[2 + i].snap[0], xs[i]);
    EXPECT_EQ(q[2 + i].snap[2], -200.0f);
  }
  EXPECT_EQ(skinMesh.position[0], 225.0f);
  EXPECT_EQ(r2PlasMesh.position[0], 215.0f);
  expectCamera(180, 63, 350, 131, -20, 0);
}
