// Rendering: fixed GL state and extension entry points, the anisotropic-light shader,
// the per-frame render queue, mesh drawing and the camera, screen quads and passes,
// the post effects, and the show's shared pseudo-random generator.
#pragma once
#include <cstdint>
#include <GL/gl.h>
#include <GL/glext.h>
#include "mesh/mesh.h"
#include "texture/texture.h"

// ---- Extension entry points (fetched by name; null until fetched) ---------------------
// In their own namespace: the system GL header already declares some of these names.
namespace ext {
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
extern PFNGLBINDBUFFERARBPROC glBindBufferARB;
extern PFNGLGENBUFFERSARBPROC glGenBuffersARB;
extern PFNGLBUFFERDATAARBPROC glBufferDataARB;
extern PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;

extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
extern PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
extern PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
extern PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
extern PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
extern PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
extern PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
extern PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
extern PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
extern PFNGLUNIFORM4FARBPROC glUniform4fARB;
extern PFNGLUNIFORM4FVARBPROC glUniform4fvARB;
extern PFNGLUNIFORM1IARBPROC glUniform1iARB;
extern PFNGLUNIFORM1FARBPROC glUniform1fARB;
extern PFNGLUNIFORMMATRIX4FVARBPROC glUniformMatrix4fvARB;
}  // namespace ext

// ---- GL state (gl_state.cpp) --------------------------------------------------------------
extern int glStateReady;
int initGlState();                    // fixed state + shader; 0 if one of the five entry points is missing
void releaseShaderProgram();          // vertex shader, fragment shader, program; skips what does not exist

// ---- Anisotropic-light shader (shader.cpp) ------------------------------------------------
extern GLhandleARB anisoVertexShader, anisoFragmentShader, anisoProgram;
extern GLint lightVectorLocation, texture0Location, texture1Location;
void loadShaderProgram();
int checkShaderExtensions();          // 1 if both extensions and all sixteen entry points exist
void readShaderFile(const char* path, char** text);   // heap text owned by the caller, or null
void checkObjectStatus(GLhandleARB object, GLenum statusName, const char* caption);
void enableAnisoShader();
void disableAnisoShader();
void setShaderUniforms();
// Source files loadShaderProgram reads; null restores "data/aniso_light.vert" / ".frag".
void setShaderSourcePaths(const char* vertexPath, const char* fragmentPath);

// ---- Render queue (render_queue.cpp) ------------------------------------------------------
enum RenderCommand : int32_t {
  DrawBackground = 1, BlendAdditive = 2, BlendMultiply = 3, BlendAlpha = 4,
  BlendAlphaDepthWrite = 5, CullOn = 6, CullOff = 7, BlendOff = 8, SphereMapOn = 9,
  SphereMapOff = 10, OverrideTextureOn = 11, OverrideTextureOff = 12, AnisoShaderOn = 13,
  AnisoShaderOff = 14
};
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

void resetRenderQueue();
void queueBackground(TextureId texture);   // 3 slots; dropped whole if it does not fit
void queueMesh(Mesh* mesh);                // 2 slots + 7 snapshot values; dropped whole if it does not fit
void queueCommand(int32_t code);           // 2 slots
void setOverrideTexture(TextureId texture);
void setShaderTexture(TextureId texture);
void drawRenderQueue();

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

// ---- Camera and mesh drawing (mesh_draw.cpp) ----------------------------------------------
struct Camera {
  float position[3];
  float angleY, angleX, angleZ;       // degrees
  float focal, zNear, zFar;
};
extern Camera camera;
void setCamera(float x, float y, float z, float a, float b, float c);
Camera* setProjection(Camera* cam, int32_t zNear, int32_t zFar, float focal);
void applyProjection(Camera* cam);
void drawMesh(Mesh* mesh);

// ---- Screen quads and passes (screen_quad.cpp) --------------------------------------------
void beginScreenPass();               // pixel space 1024x768, y down; saves the enable bits
void endScreenPass();                 // leaves the matrix mode at GL_PROJECTION
void drawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode);

// ---- Post effects (post_effects.cpp) ------------------------------------------------------
extern GLuint glowTargets[8];
extern bool glowTargetsReady;
extern bool sceneCaptured;
extern int32_t effectsSeed;
extern float rowOffset[129];
extern float gridCoord[129];
void beginEffectsFrame(int32_t elapsedMs);
void createGlowTargets();
void captureScene();
void buildGlowChain();
void prepareGlow();
void drawGlow(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive);
void drawTintedRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture);
void drawRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance);
void drawRgbRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance);

// ---- The shared generator (random.cpp) ----------------------------------------------------
// Its own namespace: the C library has functions of the same names and another sequence.
namespace gen {
extern uint32_t randomState;
void srand(uint32_t seed);
int rand();                           // state = state * 214013 + 2531011; (state >> 16) & 0x7FFF
}  // namespace gen
