// Filling the GL entry point table (gl/extensions.h) by name, in one place, for the context
// just made current: entry points belong to a context (on Windows each context has its
// own), so openWindow calls this after each one and closeWindow nulls the table. Owns
// nothing; the table is gl/'s.
#include "gl/extensions.h"
#include "platform/platform.h"

template <typename T>
static void fetch(T* entry, const char* name) {
  *entry = (T)glProcAddress(name);
}

// The core entry point, else the one of the older extension.
template <typename T>
static void fetchEither(T* entry, const char* name, const char* extensionName) {
  *entry = (T)glProcAddress(name);
  if (!*entry) *entry = (T)glProcAddress(extensionName);
}

void loadGlEntryPoints() {
  // The second picture path's contexts have these by their core names only (an ES context
  // knows no ARB names); the same signatures, so the table's users need not care.
  bool core = requestedRenderer() != RendererGl1;
  fetch(&ext::glActiveTextureARB, core ? "glActiveTexture" : "glActiveTextureARB");
  fetch(&ext::glBindBufferARB, core ? "glBindBuffer" : "glBindBufferARB");
  fetch(&ext::glGenBuffersARB, core ? "glGenBuffers" : "glGenBuffersARB");
  fetch(&ext::glBufferDataARB, core ? "glBufferData" : "glBufferDataARB");
  fetch(&ext::glDeleteBuffersARB, core ? "glDeleteBuffers" : "glDeleteBuffersARB");
#define SHOW_FETCH_ENTRY_POINT(type, name) fetch(&ext::name, #name);
  SHOW_ES3_ENTRY_POINTS(SHOW_FETCH_ENTRY_POINT)
#undef SHOW_FETCH_ENTRY_POINT

  fetch(&ext::glCreateProgramObjectARB, "glCreateProgramObjectARB");
  fetch(&ext::glDeleteObjectARB, "glDeleteObjectARB");
  fetch(&ext::glUseProgramObjectARB, "glUseProgramObjectARB");
  fetch(&ext::glGetHandleARB, "glGetHandleARB");
  fetch(&ext::glCreateShaderObjectARB, "glCreateShaderObjectARB");
  fetch(&ext::glShaderSourceARB, "glShaderSourceARB");
  fetch(&ext::glCompileShaderARB, "glCompileShaderARB");
  fetch(&ext::glGetObjectParameterivARB, "glGetObjectParameterivARB");
  fetch(&ext::glAttachObjectARB, "glAttachObjectARB");
  fetch(&ext::glGetInfoLogARB, "glGetInfoLogARB");
  fetch(&ext::glLinkProgramARB, "glLinkProgramARB");
  fetch(&ext::glGetUniformLocationARB, "glGetUniformLocationARB");
  fetch(&ext::glUniform4fARB, "glUniform4fARB");
  fetch(&ext::glUniform4fvARB, "glUniform4fvARB");
  fetch(&ext::glUniform1iARB, "glUniform1iARB");
  fetch(&ext::glUniform1fARB, "glUniform1fARB");
  fetch(&ext::glUniformMatrix4fvARB, "glUniformMatrix4fvARB");

  fetchEither(&ext::glGenFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT");
  fetchEither(&ext::glDeleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT");
  fetchEither(&ext::glBindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT");
  fetchEither(&ext::glCheckFramebufferStatus, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT");
  fetchEither(&ext::glGenRenderbuffers, "glGenRenderbuffers", "glGenRenderbuffersEXT");
  fetchEither(&ext::glDeleteRenderbuffers, "glDeleteRenderbuffers", "glDeleteRenderbuffersEXT");
  fetchEither(&ext::glBindRenderbuffer, "glBindRenderbuffer", "glBindRenderbufferEXT");
  fetchEither(&ext::glRenderbufferStorage, "glRenderbufferStorage", "glRenderbufferStorageEXT");
  fetchEither(&ext::glFramebufferRenderbuffer, "glFramebufferRenderbuffer", "glFramebufferRenderbufferEXT");
  fetchEither(&ext::glBlitFramebuffer, "glBlitFramebuffer", "glBlitFramebufferEXT");
}
