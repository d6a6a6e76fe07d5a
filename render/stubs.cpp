// Placeholders until the rendering code is written; each definition moves to its own file.
#include "render/render.h"

namespace ext {
PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
PFNGLUNIFORM4FARBPROC glUniform4fARB;
PFNGLUNIFORM4FVARBPROC glUniform4fvARB;
PFNGLUNIFORM1IARBPROC glUniform1iARB;
PFNGLUNIFORM1FARBPROC glUniform1fARB;
PFNGLUNIFORMMATRIX4FVARBPROC glUniformMatrix4fvARB;
}  // namespace ext


GLhandleARB anisoVertexShader, anisoFragmentShader, anisoProgram;
GLint lightVectorLocation = -1, texture0Location = -1, texture1Location = -1;
void loadShaderProgram() {}
int checkShaderExtensions() { return 0; }
void readShaderFile(const char*, char** text) { *text = nullptr; }
void checkObjectStatus(GLhandleARB, GLenum, const char*) {}
void enableAnisoShader() {}
void disableAnisoShader() {}
void setShaderUniforms() {}

RenderQueue renderQueue;
TextureId overrideTexture = -1;
TextureId shaderTexture = -1;
int overrideTextureActive;
int shaderPassActive;
void resetRenderQueue() {}
void queueBackground(TextureId) {}
void queueMesh(Mesh*) {}
void queueCommand(int32_t) {}
void setOverrideTexture(TextureId texture) { overrideTexture = texture; }
void setShaderTexture(TextureId texture) { shaderTexture = texture; }
void drawRenderQueue() {}

Camera camera;
void setCamera(float, float, float, float, float, float) {}
Camera* setProjection(Camera* cam, int32_t, int32_t, float) { return cam; }
void applyProjection(Camera*) {}
void drawMesh(Mesh*) {}

void beginScreenPass() {}
void endScreenPass() {}
void drawScreenQuad(TextureId, float, float, float, float, int32_t) {}

GLuint glowTargets[8];
bool glowTargetsReady;
bool sceneCaptured;
int32_t effectsSeed;
float rowOffset[129];
float gridCoord[129];
void beginEffectsFrame(int32_t elapsedMs) { effectsSeed = elapsedMs; sceneCaptured = false; }
void createGlowTargets() {}
void captureScene() {}
void buildGlowChain() {}
void prepareGlow() {}
void drawGlow(float, float, float, float, int32_t, int32_t) {}
void drawTintedRect(float, float, float, float, float, float, float, float, TextureId) {}
void drawRowJitter(float, float, int32_t, int32_t) {}
void drawRgbRowJitter(float, float, int32_t, int32_t) {}

namespace gen {
uint32_t randomState;
void srand(uint32_t seed) { randomState = seed; }
int rand() {
  randomState = randomState * 214013u + 2531011u;
  return (int)((randomState >> 16) & 0x7FFF);
}
}  // namespace gen
