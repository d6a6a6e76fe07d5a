// The scripts of the whole show without GL: every frame time at a fine step, through the
// scene clock, must keep the render queue inside its capacities and never drop an entry.
#include <gtest/gtest.h>

#include "render/render_internal.h"
#include "scenes/scenes.h"

TEST(ShowPass, EveryFrameTimeFitsTheQueue) {
  int busiest = 0;
  int scenesSeen[11] = {};
  for (int32_t elapsed = 0; elapsed <= 184100; elapsed += 7) {
    resetRenderQueue();
    int32_t scene = 0, t = 0;
    float u = 0;
    sceneClock(elapsed, scene, t, u);
    ASSERT_GE(scene, 0);
    ASSERT_LE(scene, 10);
    scenesSeen[scene]++;
    runSceneScript(scene, t, u);
    // An entry that did not fit would have been dropped: the busiest frame stays below both
    // capacities with room to spare.
    ASSERT_LE(renderQueue.slotCount, 605) << elapsed;
    ASSERT_LE(renderQueue.snapshotCount, 1995) << elapsed;
    if (renderQueue.slotCount > busiest) busiest = renderQueue.slotCount;
  }
  EXPECT_EQ(busiest, 605);
  for (int s = 1; s <= 10; s++) EXPECT_GT(scenesSeen[s], 0) << "scene " << s;
}
