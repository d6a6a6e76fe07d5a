// Placeholder until the scene clock is written.
#include "scenes/scenes.h"

const SceneTableEntry SceneTable[SCENE_TABLE_SIZE] = {
    {0, 1}, {7, 2}, {8, 3}, {10, 4}, {22, 5}, {26, 6}, {38, 7}, {48, 8}, {64, 9}, {70, 10}};
int32_t sceneIndex;
int32_t sceneStart;
void sceneClock(int32_t, int32_t&, int32_t& t, float& u) { t = 0; u = 0.0f; }
