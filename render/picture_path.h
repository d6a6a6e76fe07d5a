// The picture path: every operation through which the front end (the render queue, the
// camera record, the post effects' sizes and random rows, the fast tail's choices) reaches a
// GL back end. Each operation switches on the one Renderer chosen at start
// (platform/platform.h: requestRenderer, before the window opens) and goes to
//   - the OpenGL 1.x fixed-function back end (render/gl1.h, the files render/gl1_*.cpp):
//     matrix stack, immediate-mode quads, client arrays, sphere-map texture generation,
//     attribute push and pop, GLU mipmaps; the default, --renderer gl1;
//   - or the shader back end (render/es3.h, render/es3_*.cpp): the same frames in GLSL ES
//     3.00 on an OpenGL ES 3.0 context (--renderer es3, and WebGL2), or the same sources on
//     a desktop OpenGL 3.3 core context (--renderer core).
// Nothing above render/ calls GL for drawing; what the back ends share without a switch is
// listed at the end.
#pragma once
#include <cstdint>

#include "gl/extensions.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/render.h"
#include "texture/texture.h"

// The back end the frames go to: the context's kind, as requested before it was made.
inline Renderer pathRenderer() { return requestedRenderer(); }

// ---- Set-up and shut-down -----------------------------------------------------------------
// initGlState (render/render.h): the fixed state, the hair shader, what the context must
// offer; 0 when it lacks what the path needs (gl1: message boxes naming the extension; the
// shader path: one line on stderr naming the context it got and the --renderer values to
// try). releaseShaderProgram: the hair shader, and on the shader path every object of its own.

// ---- The queue walk (render/render_queue.cpp walks; these draw) ---------------------------
void drawMesh(Mesh* mesh);            // one mesh entry, its snapshot restored and blended
void performCommand(int32_t code);    // one command entry, codes 2 to 14; others do nothing
// drawScreenQuad (render/render.h): a background entry, the loading picture, the border.
// applyProjection (render/render.h): the camera's frustum, loaded for the draws that follow.

// ---- Screen passes (render/post_effects.cpp decides what and when) ------------------------
void createGlowTargets();             // the eight glow levels at their sizes for the screen now
// The next two are the same calls on every context (picture_path.cpp, no switch).
void releaseGlowTargets();            // deletes them (a GL context current)
void captureScene();                  // the queue into the glow capture, once a frame
void buildGlowChain();                // levels 1 to 7 from level 0, then the screen cleared
void drawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive);
void drawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture);
// The row jitter's grid of 128 x 128 cells over level 0, rows shifted by rowOffset
// (render/render_internal.h), which the front end has just computed.
void drawRowJitterGrid();
void setColourMask(bool red, bool green, bool blue, bool alpha);

// ---- Textures -----------------------------------------------------------------------------
// Hands the picture to the texture bound now as level 0 with its full mipmap chain, as GLU
// builds it (sides that are not powers of two rescaled to the nearest ones first). An image
// without pixels (a missing file) leaves the texture empty: drawn as untextured.
void uploadTexturePicture(const RawImage* image);
// Why initGlState refused the shader path's context (one line, for the program's message),
// or an empty string.
const char* pictureRefusal();

// ---- The fast tail's GL side (render/fast_tail.cpp chooses and calls) ----------------------
// These answer what render/fast_tail_internal.h says of them, on the back end in use.
bool fastTailEntryPointsThere();
const char* setUpCompositeProgram();
void composeByProgram(float fadeKeep, TextureId border);
void releaseCompositeProgram();
bool setUpProcessorTail(bool programSwitch);
void sampleBorder(TextureId border);
bool composeByProcessor(float fadeKeep, GLuint border);
void releaseProcessorTail();
// After the fast tail's composite: the state the last plain pass would have left (its blend
// function, current colour and texture), so that what follows in the frame finds it.
void leaveFastTailState(float fadeKeep, TextureId white);

// ---- Shared by both back ends (picture_path.cpp): the same calls on every context ---------
// The blending, depth-write and culling commands (codes 2 to 8); false for any other code.
bool performBlendCommand(int32_t code);
// drawScreenQuad's blend modes (render/render.h: ScreenQuadMode), applied.
void applyQuadMode(int32_t mode);
// A new texture of the given size and formats, black, nearest filtering; the binding of
// GL_TEXTURE_2D is left as it was.
GLuint makeBlackTexture(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat);
// The composite program's samplers, by texture unit: the picture, glow levels 3 to 7, the
// border.
constexpr int COMPOSITE_UNITS = 7, COMPOSITE_BORDER_UNIT = 6;
extern const char* const COMPOSITE_SAMPLERS[COMPOSITE_UNITS];

// ---- Shared by both back ends, without a switch --------------------------------------------
// These are the same GL calls on every context the paths run on, so they stay where they are:
//   - the clears and holdDrawing, the viewport, the screen size with the driver's limits and
//     the frame read-back (platform/display.h; read as RGBA and packed to RGB where an ES
//     driver gives no RGB);
//   - the offscreen picture and its blit into the window (platform/offscreen_picture.h);
//   - the capture's one-pixel scissor (tools/capture), glScissor on any context;
//   - the mesh buffers' upload and deletion (mesh/mesh_record.cpp) through gl/'s table,
//     which holds the core buffer functions on the shader path's contexts;
//   - the texture table's deletion (texture/raw_texture.cpp), glDeleteTextures.
