// The one table of GL entry points the show calls beyond GL 1.1: the system GL headers and
// the function pointers. platform/ fills the whole table by name each time it makes a GL
// context current (loadGlEntryPoints) and nulls it when the context goes; a pointer the
// driver does not offer stays null. The lowest layer above the driver: it looks nothing up
// itself. mesh/ uploads and deletes its buffers through it, render/ draws through it, and
// platform/ keeps its offscreen picture with the framebuffer functions. Each user checks
// the pointers (and extensions) it needs and says what is missing in its own words.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

// In their own namespace: the system GL header already declares some of these names.
namespace ext {
// Texture units and buffer objects (GL_ARB_multitexture, GL_ARB_vertex_buffer_object).
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
extern PFNGLBINDBUFFERARBPROC glBindBufferARB;
extern PFNGLGENBUFFERSARBPROC glGenBuffersARB;
extern PFNGLBUFFERDATAARBPROC glBufferDataARB;
extern PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;

// Shader objects (GL_ARB_shader_objects).
extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
extern PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
extern PFNGLGETHANDLEARBPROC glGetHandleARB;
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

// Framebuffer objects: the core function, else the one of GL_EXT_framebuffer_object and
// GL_EXT_framebuffer_blit (same enums, same behaviour).
extern PFNGLGENFRAMEBUFFERSPROC glGenFramebuffers;
extern PFNGLDELETEFRAMEBUFFERSPROC glDeleteFramebuffers;
extern PFNGLBINDFRAMEBUFFERPROC glBindFramebuffer;
extern PFNGLCHECKFRAMEBUFFERSTATUSPROC glCheckFramebufferStatus;
extern PFNGLGENRENDERBUFFERSPROC glGenRenderbuffers;
extern PFNGLDELETERENDERBUFFERSPROC glDeleteRenderbuffers;
extern PFNGLBINDRENDERBUFFERPROC glBindRenderbuffer;
extern PFNGLRENDERBUFFERSTORAGEPROC glRenderbufferStorage;
extern PFNGLFRAMEBUFFERRENDERBUFFERPROC glFramebufferRenderbuffer;
extern PFNGLBLITFRAMEBUFFERPROC glBlitFramebuffer;
}  // namespace ext

// The shader-era functions of OpenGL ES 3.0 and desktop OpenGL 3.3 (core or compatibility)
// the second picture path calls beyond GL 1.1, by their core names. On those contexts the
// buffer and texture-unit pointers above hold the core functions of the same signatures
// (glBindBuffer for glBindBufferARB, ...), so that mesh/ uploads the same way on every path.
#define SHOW_ES3_ENTRY_POINTS(X)                                   \
  X(PFNGLCREATESHADERPROC, glCreateShader)                         \
  X(PFNGLSHADERSOURCEPROC, glShaderSource)                         \
  X(PFNGLCOMPILESHADERPROC, glCompileShader)                       \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv)                           \
  X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                 \
  X(PFNGLDELETESHADERPROC, glDeleteShader)                         \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                       \
  X(PFNGLATTACHSHADERPROC, glAttachShader)                         \
  X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)             \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram)                           \
  X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                         \
  X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)               \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                       \
  X(PFNGLUSEPROGRAMPROC, glUseProgram)                             \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)             \
  X(PFNGLUNIFORM1IPROC, glUniform1i)                               \
  X(PFNGLUNIFORM1FPROC, glUniform1f)                               \
  X(PFNGLUNIFORM1FVPROC, glUniform1fv)                             \
  X(PFNGLUNIFORM4FPROC, glUniform4f)                               \
  X(PFNGLUNIFORM4FVPROC, glUniform4fv)                             \
  X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv)                 \
  X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)                 \
  X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                   \
  X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                   \
  X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)             \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)           \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)   \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray) \
  X(PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)                     \
  X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                       \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)

namespace ext {
#define SHOW_DECLARE_ENTRY_POINT(type, name) extern type name;
SHOW_ES3_ENTRY_POINTS(SHOW_DECLARE_ENTRY_POINT)
#undef SHOW_DECLARE_ENTRY_POINT
}  // namespace ext

// Nulls every pointer of the table: the context they came from is gone.
void forgetGlEntryPoints();
