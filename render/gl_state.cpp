// Placeholder until the fixed GL state is written.
#include "render/render.h"

namespace ext {
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
PFNGLBINDBUFFERARBPROC glBindBufferARB;
PFNGLGENBUFFERSARBPROC glGenBuffersARB;
PFNGLBUFFERDATAARBPROC glBufferDataARB;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;
}  // namespace ext

int glStateReady;
int initGlState() { glStateReady = 1; return 1; }
void releaseShaderProgram() {}
