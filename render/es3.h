// The shader back end: the GL 1.x path's frames in GLSL ES 3.00 on an OpenGL ES 3.0 context
// (and so WebGL2), or the same sources on a desktop OpenGL 3.3 core context. Reached only
// through the picture path (render/picture_path.h); its operations are named after the ones
// there, with es3 in front.
//
// What the fixed-function path keeps in GL it keeps here: the projection loaded by
// applyProjection, the current colour, whether sphere-map generation is on, whether the
// second texture unit takes part. Matrices are made on the processor with GLM in the
// matrix stack's order. One program stands in for the fixed pipeline (texture times colour,
// sphere mapping in the vertex stage, GL_CLAMP's black edge rows in the fragment stage, the
// row jitter's shifted rows); the data set's hair shader is translated for GLSL ES 3.00
// (render/es3_shader_text.cpp).
#pragma once
#include <glm/glm.hpp>

#include "render/fast_tail_internal.h"
#include "render/picture_path.h"
#include "render/render_internal.h"

int es3InitGlState();
void es3ReleaseShaderProgram();
void es3ApplyProjection(Camera* cam);
void es3DrawMesh(Mesh* mesh);
void es3PerformCommand(int32_t code);
void es3DrawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode);
void es3CreateGlowTargets();
void es3BuildGlowChain();
void es3DrawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive);
void es3DrawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                       TextureId texture);
void es3DrawRowJitterGrid();
void es3UploadTexturePicture(const RawImage* image);
bool es3FastTailEntryPointsThere();
const char* es3SetUpCompositeProgram();
void es3ComposeByProgram(float fadeKeep, TextureId border);
void es3ReleaseCompositeProgram();
bool es3SetUpProcessorTail();
void es3SampleBorder(TextureId border);
bool es3ComposeByProcessor(float fadeKeep, GLuint border);
void es3ReleaseProcessorTail();
void es3LeaveFastTailState(float fadeKeep, TextureId white);

// ---- The fixed-function stand-in (es3_device.cpp) -----------------------------------------
// Attribute locations every program of this back end binds: the vertex arrays of a mesh.
enum Es3Attribute { AttributePosition = 0, AttributeTexCoord = 1, AttributeNormal = 2, AttributeColour = 3 };
struct Es3State {
  glm::mat4 projection;               // the camera's, from applyProjection
  glm::vec4 colour;                   // GL's current colour
  bool sphereMap;                     // texture generation (SphereMapOn)
  bool secondUnit;                    // unit 1 enabled, with the shader texture (AnisoShaderOn)
};
extern Es3State es3State;
// The 2D passes' projections: the screen pass's 1024x768 units, y down; drawScreenQuad's
// unit square, y down.
glm::mat4 es3PixelSpace();
glm::mat4 es3UnitSpace();
// One quad of the fixed stand-in: corners (x, y) with texture coordinates (s, t), in the
// order given, drawn as a fan in the current colour with `texture` (a GL name) on unit 0.
struct Es3Corner {
  float x, y, s, t;
};
void es3DrawQuad(const glm::mat4& projection, const Es3Corner corners[4], GLuint texture);
// The corners alone, as a fan from the quad buffer, with the program and textures in use.
void es3DrawCorners(const Es3Corner corners[4]);
// The screen fraction (x0, y0)-(x1, y1) in pixel space, sampling the same fraction of an image
// copied from the framebuffer (row t = 0 at the bottom), as the GL 1.x passes draw it.
void es3ScreenFractionQuad(float x0, float y0, float x1, float y1, GLuint texture);
// The screen pass: the enable bits the GL 1.x pass pushes (depth test, culling, blending)
// saved, depth test and culling off; and put back.
void es3BeginScreenPass();
void es3EndScreenPass();
// The processor's finished frame (RGBA) drawn over the screen unblended, replacing it.
void es3DrawReplacing(GLuint texture);
// A texture name as the stand-in binds it: a name without a picture (0, or a slot whose file
// was missing) is texturing switched off, which under GL_MODULATE is a white texel.
GLuint es3Texture(GLuint name);
// Marks a texture of the table as holding no picture (a load without pixels) or one.
void es3MarkTexturePicture(GLuint name, bool picture);
// A program of this back end from its two sources (GLSL ES 3.00 bodies, without a version
// line: es3ShaderPrefix() is put in front); 0 when either fails, with the log on stderr.
GLuint es3BuildProgram(const char* vertexSource, const char* fragmentSource);
// glUseProgram and glDeleteProgram for every program of the back end: the program in use is
// remembered, so that binding it again sends nothing.
void es3UseProgram(GLuint program);
void es3DeleteProgram(GLuint program);
// Links two compiled stages into a new program, the attributes named in the order position,
// texture coordinates, normal, colour bound to their locations; *linked says whether it did.
GLuint es3LinkProgram(GLuint vertex, GLuint fragment, const char* const attributes[4], bool* linked);
const char* es3ShaderPrefix();
const char* es3InfoLog(GLuint object, bool program);   // a shader's (or program's) log, static text        // "#version 300 es" or "#version 330 core", and precision

// ---- The hair shader (es3_shader_text.cpp) ------------------------------------------------
// A GLSL 1.10 source for the fixed pipeline rewritten for GLSL ES 3.00 (or 3.30 core): its
// #version line dropped, a prelude that supplies the fixed-function built-ins it may use
// (gl_ModelViewMatrix, gl_ProjectionMatrix, gl_ModelViewProjectionMatrix, gl_NormalMatrix,
// ftransform(), gl_Vertex, gl_Normal, gl_Color, gl_MultiTexCoord0, gl_TexCoord, gl_FragColor,
// texture2D), attribute and varying as in and out. Heap text owned by the caller; null when
// the source uses a built-in the prelude does not supply, with what it was in `problem`.
char* translateShaderSource(const char* source, bool fragment, char* problem, size_t problemSize);
void loadEs3HairShader();             // reads, translates, compiles and links the data set's pair
bool es3HairShaderOn();               // the hair program is in use (AnisoShaderOn, linked)
void es3EnableHairShader();
void es3DisableHairShader();
// The hair program's matrices for the mesh about to be drawn.
void es3SetHairMatrices(const glm::mat4& modelView);
void es3ReleaseHairShader();
