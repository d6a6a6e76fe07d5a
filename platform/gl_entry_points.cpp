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
  fetch(&ext::glActiveTextureARB, "glActiveTextureARB");
  fetch(&ext::glBindBufferARB, "glBindBufferARB");
  fetch(&ext::glGenBuffersARB, "glGenBuffersARB");
  fetch(&ext::glBufferDataARB, "glBufferDataARB");
  fetch(&ext::glDeleteBuffersARB, "glDeleteBuffersARB");

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
