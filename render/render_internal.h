// Inside the rendering layer: the state behind render/render.h, shared by the render/ files,
// their tests, the tools and the benchmarks. Scene scripts use render/render.h alone.
#pragma once
#include <cstdint>
#include "gl/extensions.h"
#include "render/render.h"

// ---- GL state (gl_state.cpp) --------------------------------------------------------------
extern int glStateReady;

// ---- Anisotropic-light shader (shader.cpp) ------------------------------------------------
extern GLhandleARB anisoVertexShader, anisoFragmentShader, anisoProgram;
extern GLint lightVectorLocation, texture0Location, texture1Location;
void loadShaderProgram();
int checkShaderExtensions();          // 1 if both extensions and all sixteen entry points exist
void checkObjectStatus(GLhandleARB object, GLenum statusName, const char* caption);
// The compile and link steps of every program of render/. Each answers whether it worked;
// on failure, with a caption, the driver's info log is shown in a box under it (none when
// the caption is null). A failed compile or link leaves the objects as they are.
bool compileShaderObject(GLhandleARB shader, const char* source, const char* failureCaption);
bool linkProgramObject(GLhandleARB program, const GLhandleARB* shaders, int count,
                       const char* failureCaption);
void enableAnisoShader();
void disableAnisoShader();
void setShaderUniforms();
// Source files loadShaderProgram reads; null restores "data/aniso_light.vert" / ".frag".
void setShaderSourcePaths(const char* vertexPath, const char* fragmentPath);

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

// ---- Mesh drawing (mesh_draw.cpp) ---------------------------------------------------------
void drawMesh(Mesh* mesh);

// ---- Screen passes (screen_quad.cpp) ------------------------------------------------------
void beginScreenPass();               // 1024x768 units over any screen, y down; saves the enable bits
void endScreenPass();                 // leaves the matrix mode at GL_PROJECTION
// In a screen pass: one quad over the screen fraction (x0, y0)-(x1, y1), y down, sampling the
// same fraction of an image copied from the framebuffer (row t = 0 at the bottom).
void screenFractionQuad(float x0, float y0, float x1, float y1);   // post_effects.cpp

// ---- Post effects (post_effects.cpp) ------------------------------------------------------
extern GLuint glowTargets[8];
extern bool glowTargetsReady;
extern bool sceneCaptured;
extern int32_t effectsSeed;
extern float rowOffset[129];
extern float gridCoord[129];
// Glow level 0 is the capture: the screen's width by two thirds of its height. Levels 1 to 7
// keep the sizes they have on a 1024x768 screen, 512x256 halving down to 8x4, so the glow
// spreads over the same fraction of the picture whatever its size.
constexpr int GLOW_LEVEL1_WIDTH = 512, GLOW_LEVEL1_HEIGHT = 256;
void glowLevelSize(int level, int* width, int* height);
void createGlowTargets();             // at their sizes for the screen now
// Deletes the targets (a GL context current); prepareGlow makes them again, and does so
// itself when the screen has changed size since they were made.
void releaseGlowTargets();
// The fast tail's processor composite holds no finished frame from here on (each frame's
// glow capture starts it afresh).
void dropHeldFrame();
void captureScene();
void buildGlowChain();
void drawRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance);

// ---- The shared generator (random.cpp) ----------------------------------------------------
namespace gen {
extern uint32_t randomState;
}  // namespace gen
