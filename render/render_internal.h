// Inside the rendering layer: the front end's state behind render/render.h, shared by the
// render/ files and both back ends, their tests, the tools and the benchmarks. Scene scripts
// use render/render.h alone.
#pragma once
#include <cstdint>
#include "gl/extensions.h"
#include "render/picture_path.h"
#include "render/render.h"

// ---- GL state (picture_path.cpp) ----------------------------------------------------------
extern int glStateReady;              // 1 once initGlState has set the fixed state up

// ---- The hair shader's sources (shader_source.cpp) -----------------------------------------
// Source files both back ends read; null restores "data/aniso_light.vert" / ".frag".
void setShaderSourcePaths(const char* vertexPath, const char* fragmentPath);
const char* hairShaderPath(int fragment);     // the vertex (0) or fragment (1) source's path
// The light vector the program is handed: (-0.4, -0.6, -0.8, 0) with x, y, z normalised.
void hairLightVector(float light[4]);

// ---- Render queue (render_queue.cpp) ------------------------------------------------------
constexpr int RENDER_QUEUE_SLOTS = 1024;
constexpr int RENDER_QUEUE_SNAPSHOT_VALUES = 2048;
constexpr int PLACEMENT_SNAPSHOT_SIZE = 7;   // position x, y, z, rotationY, rotationX, rotationZ, framePosition

struct RenderSlot {                   // a Mesh reference, or (mesh null) a 32-bit value
  Mesh* mesh;
  int32_t value;
};
struct RenderQueue {
  RenderSlot slots[RENDER_QUEUE_SLOTS];
  int32_t slotCount;
  float snapshots[RENDER_QUEUE_SNAPSHOT_VALUES];
  int32_t snapshotCount;
};
extern RenderQueue renderQueue;
extern TextureId overrideTexture;     // starts at -1
extern TextureId shaderTexture;       // starts at -1
extern int overrideTextureActive;
extern int shaderPassActive;
void resetRenderState();             // an empty queue, both textures -1, both flags off: as at start

// One entry as the queue is read back: a mesh with the index of its placement snapshot, a
// background with its texture, or a command code.
struct RenderEntry {
  Mesh* mesh;                         // a mesh entry, else null
  int32_t code;                       // command code (DrawBackground for a background); 0 for a mesh
  int32_t value;                      // mesh: index into snapshots; background: texture
};
// Reads the entry at slot *at into *entry and moves *at past it; false at the end of the
// queue (slotCount, capped at the capacity) or where an entry is cut short there. The
// back end, the tests, the capture report and the benchmarks all read the queue this way.
bool nextQueueEntry(int32_t* at, RenderEntry* entry);
// Puts a mesh entry's placement snapshot back on its Mesh and blends its keyframes there,
// as the back end does before drawing it.
void restoreQueuedMesh(const RenderEntry& entry);

// ---- Camera (camera.cpp) ------------------------------------------------------------------
// The frustum's half extents at distance `focal`: 320 x 240, the screen's 4:3.
constexpr float FRUSTUM_HALF_WIDTH = 160.0f, FRUSTUM_HALF_HEIGHT = 120.0f;
// Mesh angles are kept in radians and handed back to GL in degrees with this factor.
constexpr float RADIANS_TO_DEGREES = 57.295647f;
// True when the mesh has vertices, triangles, a valid shown slot and both buffers.
bool meshDrawable(const Mesh* mesh);

// ---- Post effects (post_effects.cpp) ------------------------------------------------------
extern GLuint glowTargets[8];
extern bool glowTargetsReady;
extern bool sceneCaptured;
extern int32_t effectsSeed;
extern float rowOffset[129];
extern float gridCoord[129];
extern int glowTargetsWidth, glowTargetsHeight;   // the screen the targets were made for
// Glow level 0 is the capture: the screen's width by two thirds of its height. Levels 1 to 7
// keep the sizes they have on a 1024x768 screen, 512x256 halving down to 8x4, so the glow
// spreads over the same fraction of the picture whatever its size.
constexpr int GLOW_LEVEL1_WIDTH = 512, GLOW_LEVEL1_HEIGHT = 256;
void glowLevelSize(int level, int* width, int* height);
// The glow chain's steps, in order: draw level `source` over a width x height corner, copy
// the corner into level `target`. Levels 1 to 7 each from the one before, after as many
// halvings of a wide capture into level 1 as it takes.
struct GlowChainStep {
  int source, target, width, height;
};
constexpr int GLOW_CHAIN_MOST_STEPS = 16;
int glowChainSteps(GlowChainStep steps[GLOW_CHAIN_MOST_STEPS]);
// The fast tail's processor composite holds no finished frame from here on (each frame's
// glow capture starts it afresh).
void dropHeldFrame();
void drawRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance);

// ---- The shared generator (random.cpp) ----------------------------------------------------
namespace gen {
extern uint32_t randomState;
}  // namespace gen
