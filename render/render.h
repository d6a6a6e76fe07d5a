// Rendering as the scene scripts and the run control see it: the GL set-up and its release,
// the per-frame render queue, the camera, screen quads, the post effects of the frame tail
// and the show's shared pseudo-random generator. The state behind them is in
// render/render_internal.h.
#pragma once
#include <cstdint>
#include "mesh/mesh.h"
#include "texture/texture.h"

// ---- GL state (gl_state.cpp) --------------------------------------------------------------
int initGlState();                    // fixed state + shader; 0 if one of the five entry points is missing
void releaseShaderProgram();          // vertex shader, fragment shader, program; skips what does not exist
// One shader source as text (shader.cpp): heap text owned by the caller, or null. Also the
// reader the fuzz target drives.
void readShaderFile(const char* path, char** text);

// ---- Textures (texture_upload.cpp) --------------------------------------------------------
TextureId loadRawTexture(const char* fileName);     // lowest free slot, or -1 when the table is full

// ---- Render queue (render_queue.cpp) ------------------------------------------------------
enum RenderCommand : int32_t {
  DrawBackground = 1, BlendAdditive = 2, BlendMultiply = 3, BlendAlpha = 4,
  BlendAlphaDepthWrite = 5, CullOn = 6, CullOff = 7, BlendOff = 8, SphereMapOn = 9,
  SphereMapOff = 10, OverrideTextureOn = 11, OverrideTextureOff = 12, AnisoShaderOn = 13,
  AnisoShaderOff = 14
};

void resetRenderQueue();
void queueBackground(TextureId texture);   // 3 slots; dropped whole if it does not fit
void queueMesh(Mesh* mesh);                // 2 slots + 7 snapshot values; dropped whole if it does not fit
void queueCommand(int32_t code);           // 2 slots
void setOverrideTexture(TextureId texture);
void setShaderTexture(TextureId texture);
void drawRenderQueue();

// ---- Camera (mesh_draw.cpp) ---------------------------------------------------------------
struct Camera {
  float position[3];
  float angleY, angleX, angleZ;       // degrees
  float focal, zNear, zFar;
};
extern Camera camera;
void setCamera(float x, float y, float z, float a, float b, float c);
Camera* setProjection(Camera* cam, int32_t zNear, int32_t zFar, float focal);
void applyProjection(Camera* cam);

// ---- Screen quads (screen_quad.cpp) -------------------------------------------------------
// drawScreenQuad's modes: how the quad meets what is drawn already.
enum ScreenQuadMode : int32_t {
  QuadKeepBlending = -1,              // blending left as it is
  QuadOpaque = 0,                     // no blending
  QuadAdditive = 1,                   // source alpha, added
  QuadMultiply = 2,                   // multiplied by the texture's colour
  QuadAlpha = 3                       // source alpha over
  // any other value: blending on, with the function last set
};
void drawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode);

// ---- Post effects (post_effects.cpp) ------------------------------------------------------
void beginEffectsFrame(int32_t elapsedMs);
void prepareGlow();
void drawGlow(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive);
void drawTintedRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture);
void drawRgbRowJitter(float amplitude, float decay, int32_t jumpChance, int32_t decayChance);

// ---- The shared generator (random.cpp) ----------------------------------------------------
// Its own namespace: the C library has functions of the same names and another sequence.
namespace gen {
void srand(uint32_t seed);
int rand();                           // state = state * 214013 + 2531011; (state >> 16) & 0x7FFF
}  // namespace gen
