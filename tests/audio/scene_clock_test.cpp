// The scene clock: which scene runs at which time, and the time inside it.
#include <gtest/gtest.h>

#include "scenes/scenes.h"

namespace {
struct Reading {
  int32_t scene, t;
  float u;
};
Reading clockAt(int32_t elapsed) {
  Reading r{0, -999, -999.0f};       // the frame sequence sets scene to 0 before each call
  sceneClock(elapsed, r.scene, r.t, r.u);
  return r;
}
}  // namespace

// A run of frames in increasing time, each boundary from both sides: an entry starts
// strictly after its start time, and t counts from the entry's table start.
TEST(SceneClock, BoundariesInOrder) {
  const struct { int32_t elapsed, scene, t, index; } cases[] = {
      {0, 0, 0, -1},          {1, 1, 1, 0},           {13999, 1, 13999, 0},
      {14000, 1, 14000, 0},   {14001, 2, 1, 1},       {16000, 2, 2000, 1},
      {16001, 3, 1, 2},       {20001, 4, 1, 3},       {44000, 4, 24000, 3},
      {44001, 5, 1, 4},       {52001, 6, 1, 5},       {76001, 7, 1, 6},
      {96001, 8, 1, 7},       {128001, 9, 1, 8},      {140000, 9, 12000, 8},
      {140001, 10, 1, 9},     {184000, 10, 44000, 9},
  };
  for (const auto& c : cases) {
    Reading r = clockAt(c.elapsed);
    EXPECT_EQ(r.scene, c.scene) << c.elapsed;
    EXPECT_EQ(r.t, c.t) << c.elapsed;
    EXPECT_FLOAT_EQ(r.u, (float)c.t * 0.0005f) << c.elapsed;
    EXPECT_EQ(sceneIndex, c.index) << c.elapsed;
  }
  EXPECT_FLOAT_EQ(clockAt(184000).u, 22.0f);
}

// The first call of a run, at elapsed 0: nothing started, the caller's scene kept.
TEST(SceneClock, BeforeTheFirstEntry) {
  int32_t scene = 7, t = 5;
  float u = 3.0f;
  sceneClock(0, scene, t, u);
  EXPECT_EQ(scene, 7);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(u, 0.0f);
  EXPECT_EQ(sceneIndex, -1);
  EXPECT_EQ(sceneStart, 0);
}

// A long stall jumps from scene 1 over several scenes: t is measured from the table start
// of the scene landed in, not from the time of the jump; a jump back works the same way.
TEST(SceneClock, JumpsOverScenes) {
  clockAt(1);
  clockAt(5000);
  Reading r = clockAt(100000);
  EXPECT_EQ(r.scene, 8);
  EXPECT_EQ(r.t, 4000);
  EXPECT_EQ(sceneStart, 96000);
  r = clockAt(100500);
  EXPECT_EQ(r.t, 4500);
  r = clockAt(15000);
  EXPECT_EQ(r.scene, 2);
  EXPECT_EQ(r.t, 1000);
  EXPECT_EQ(sceneIndex, 1);
}

// Whatever the time, even absurd ones, the scene stays in 0..10 and t never runs negative
// once a scene has started.
TEST(SceneClock, SceneNeverAboveTen) {
  const int32_t times[] = {-2147483647 - 1, -1, 2, 139999, 140001, 184001, 1000000, 2147483647};
  for (int32_t elapsed : times) {
    Reading r = clockAt(elapsed);
    EXPECT_GE(r.scene, 0) << elapsed;
    EXPECT_LE(r.scene, 10) << elapsed;
    if (r.scene > 0) {
      EXPECT_GE(r.t, 1) << elapsed;
    }
  }
  for (int32_t elapsed = 0; elapsed <= 200000; elapsed += 997) EXPECT_LE(clockAt(elapsed).scene, 10);
  EXPECT_EQ(clockAt(2147483647).scene, 10);
  EXPECT_EQ(clockAt(-5).scene, 0);
  EXPECT_EQ(clockAt(-5).t, -5);
}
