// Storage of the GL entry point table. Owns every ext:: pointer; they start null, are
// filled by platform/'s loadGlEntryPoints once a context is current and nulled again by
// forgetGlEntryPoints when it goes.
#include "gl/extensions.h"

namespace ext {
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
PFNGLBINDBUFFERARBPROC glBindBufferARB;
PFNGLGENBUFFERSARBPROC glGenBuffersARB;
PFNGLBUFFERDATAARBPROC glBufferDataARB;
PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;

PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
PFNGLGETHANDLEARBPROC glGetHandleARB;
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

PFNGLGENFRAMEBUFFERSPROC glGenFramebuffers;
PFNGLDELETEFRAMEBUFFERSPROC glDeleteFramebuffers;
PFNGLBINDFRAMEBUFFERPROC glBindFramebuffer;
PFNGLCHECKFRAMEBUFFERSTATUSPROC glCheckFramebufferStatus;
PFNGLGENRENDERBUFFERSPROC glGenRenderbuffers;
PFNGLDELETERENDERBUFFERSPROC glDeleteRenderbuffers;
PFNGLBINDRENDERBUFFERPROC glBindRenderbuffer;
PFNGLRENDERBUFFERSTORAGEPROC glRenderbufferStorage;
PFNGLFRAMEBUFFERRENDERBUFFERPROC glFramebufferRenderbuffer;
PFNGLBLITFRAMEBUFFERPROC glBlitFramebuffer;

#define SHOW_DEFINE_ENTRY_POINT(type, name) type name;
SHOW_ES3_ENTRY_POINTS(SHOW_DEFINE_ENTRY_POINT)
#undef SHOW_DEFINE_ENTRY_POINT
}  // namespace ext

void forgetGlEntryPoints() {
  ext::glActiveTextureARB = nullptr;
  ext::glBindBufferARB = nullptr;
  ext::glGenBuffersARB = nullptr;
  ext::glBufferDataARB = nullptr;
  ext::glDeleteBuffersARB = nullptr;

  ext::glCreateProgramObjectARB = nullptr;
  ext::glDeleteObjectARB = nullptr;
  ext::glUseProgramObjectARB = nullptr;
  ext::glGetHandleARB = nullptr;
  ext::glCreateShaderObjectARB = nullptr;
  ext::glShaderSourceARB = nullptr;
  ext::glCompileShaderARB = nullptr;
  ext::glGetObjectParameterivARB = nullptr;
  ext::glAttachObjectARB = nullptr;
  ext::glGetInfoLogARB = nullptr;
  ext::glLinkProgramARB = nullptr;
  ext::glGetUniformLocationARB = nullptr;
  ext::glUniform4fARB = nullptr;
  ext::glUniform4fvARB = nullptr;
  ext::glUniform1iARB = nullptr;
  ext::glUniform1fARB = nullptr;
  ext::glUniformMatrix4fvARB = nullptr;

  ext::glGenFramebuffers = nullptr;
  ext::glDeleteFramebuffers = nullptr;
  ext::glBindFramebuffer = nullptr;
  ext::glCheckFramebufferStatus = nullptr;
  ext::glGenRenderbuffers = nullptr;
  ext::glDeleteRenderbuffers = nullptr;
  ext::glBindRenderbuffer = nullptr;
  ext::glRenderbufferStorage = nullptr;
  ext::glFramebufferRenderbuffer = nullptr;
  ext::glBlitFramebuffer = nullptr;

#define SHOW_FORGET_ENTRY_POINT(type, name) ext::name = nullptr;
  SHOW_ES3_ENTRY_POINTS(SHOW_FORGET_ENTRY_POINT)
#undef SHOW_FORGET_ENTRY_POINT
}
