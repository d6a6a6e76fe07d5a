// The scene clock: turns the milliseconds since the music started into the current scene
// number and the time inside that scene, through the fixed table of scene start times.
// Owns: SceneTable, sceneIndex, sceneStart.
#include "platform/display.h"
#include "scenes/scenes.h"

// Start times in units of 2000 ms, ascending; the walk in sceneClock relies on that.
const SceneTableEntry SceneTable[SCENE_TABLE_SIZE] = {
    {0, 1}, {7, 2}, {8, 3}, {10, 4}, {22, 5}, {26, 6}, {38, 7}, {48, 8}, {64, 9}, {70, 10}};
int32_t sceneIndex;
int32_t sceneStart;

// Writes the scene whose entry has started (strictly after its start time) and the time
// since that entry took over; `scene` is left alone before the first entry.
void sceneClock(int32_t elapsed, int32_t& scene, int32_t& t, float& u) {
  int32_t passed = 0;
  int32_t lastStart = 0;
  while (passed < SCENE_TABLE_SIZE) {
    int32_t startMs = sceneStartMs(passed);
    if (startMs >= elapsed) break;
    lastStart = startMs;
    scene = SceneTable[passed].scene;
    ++passed;
  }
  int32_t current = passed - 1;
  if (current != sceneIndex) sceneStart = lastStart;
  sceneIndex = current;
  t = elapsed - sceneStart;
  u = (float)t * 0.0005f;
}

int32_t sceneEndMs(int index) {
  return index + 1 < SCENE_TABLE_SIZE ? sceneStartMs(index + 1) : SHOW_LENGTH_MS;
}
