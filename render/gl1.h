// The GL 1.x back end: the frames through fixed-function state with the ARB extensions, as
// the show always drew them. Reached only through the picture path (render/picture_path.h);
// its operations are named after the ones there, with gl1 in front. The screen pass, the
// ARB shader-object helpers and the hair shader's objects are this back end's own.
#pragma once
#include "render/fast_tail_internal.h"
#include "render/picture_path.h"
#include "render/render_internal.h"

int gl1InitGlState();
void gl1ReleaseShaderProgram();
void gl1ApplyProjection(Camera* cam);
void gl1DrawMesh(Mesh* mesh);
void gl1PerformCommand(int32_t code);
void gl1DrawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode);
void gl1CreateGlowTargets();
void gl1BuildGlowChain();
void gl1DrawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive);
void gl1DrawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                       TextureId texture);
void gl1DrawRowJitterGrid();
void gl1UploadTexturePicture(const RawImage* image);
bool gl1FastTailEntryPointsThere();
const char* gl1SetUpCompositeProgram();
void gl1ComposeByProgram(float fadeKeep, TextureId border);
void gl1ReleaseCompositeProgram();
bool gl1SetUpProcessorTail(bool programSwitch);
void gl1SampleBorder(TextureId border);
bool gl1ComposeByProcessor(float fadeKeep, GLuint border);
void gl1ReleaseProcessorTail();
void gl1LeaveFastTailState(float fadeKeep, TextureId white);

// ---- Screen passes (gl1_screen_quad.cpp, gl1_post_effects.cpp) ----------------------------
void beginScreenPass();               // 1024x768 units over any screen, y down; saves the enable bits
void endScreenPass();                 // leaves the matrix mode at GL_PROJECTION
// In a screen pass: one quad over the screen fraction (x0, y0)-(x1, y1), y down, sampling the
// same fraction of an image copied from the framebuffer (row t = 0 at the bottom).
void screenFractionQuad(float x0, float y0, float x1, float y1);

// ---- The hair shader through ARB shader objects (gl1_shader.cpp) --------------------------
extern GLhandleARB anisoVertexShader, anisoFragmentShader, anisoProgram;
extern GLint lightVectorLocation, texture0Location, texture1Location;
void loadShaderProgram();
int checkShaderExtensions();          // 1 if both extensions and all sixteen entry points exist
void checkObjectStatus(GLhandleARB object, GLenum statusName, const char* caption);
// The compile and link steps of every program of this back end. Each answers whether it
// worked; on failure, with a caption, the driver's info log is shown in a box under it (none
// when the caption is null). A failed compile or link leaves the objects as they are.
bool compileShaderObject(GLhandleARB shader, const char* source, const char* failureCaption);
bool linkProgramObject(GLhandleARB program, const GLhandleARB* shaders, int count,
                       const char* failureCaption);
void enableAnisoShader();
void disableAnisoShader();
void setShaderUniforms();
