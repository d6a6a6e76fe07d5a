// The GL 1.x back end's anisotropic-light shader through the ARB shader objects: the check for the sixteen shader-object entry points
// (gl/extensions.h, filled by platform/ with the context), compiling and linking the two
// source files (render/shader_source.cpp reads them), and switching the program on and off. Also the compile and
// link helpers every program of render/ is built with (the fast tail's composite too).
// Owns the three object handles and the uniform locations.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_folder.h"
#include "platform/platform.h"
#include "render/gl1.h"

GLhandleARB anisoVertexShader, anisoFragmentShader, anisoProgram;
GLint lightVectorLocation = -1, texture0Location = -1, texture1Location = -1;

static bool programLinked;           // a program that failed to link is never made current

int checkShaderExtensions() {
  const char* extensions = (const char*)glGetString(GL_EXTENSIONS);
  if (!extensions) extensions = "";
  if (!std::strstr(extensions, "GL_ARB_shading_language_100")) {
    showMessageBox("ERROR", "GL_ARB_shading_language_100 extension was not found", 1);
    return 0;
  }
  if (!std::strstr(extensions, "GL_ARB_shader_objects")) {
    showMessageBox("ERROR", "GL_ARB_shader_objects extension was not found", 1);
    return 0;
  }
  if (!ext::glCreateProgramObjectARB || !ext::glDeleteObjectARB || !ext::glUseProgramObjectARB ||
      !ext::glCreateShaderObjectARB || !ext::glShaderSourceARB || !ext::glCompileShaderARB ||
      !ext::glGetObjectParameterivARB || !ext::glAttachObjectARB || !ext::glGetInfoLogARB ||
      !ext::glLinkProgramARB || !ext::glGetUniformLocationARB || !ext::glUniform4fARB ||
      !ext::glUniform4fvARB || !ext::glUniform1iARB || !ext::glUniform1fARB ||
      !ext::glUniformMatrix4fvARB) {
    showMessageBox("ERROR", "One or more GL_ARB_shader_objects functions were not found", 1);
    return 0;
  }
  return 1;
}

// The object's status; when it is false and a caption is given, the info log in a box.
static bool objectStatus(GLhandleARB object, GLenum statusName, const char* caption) {
  GLint status = 0;
  ext::glGetObjectParameterivARB(object, statusName, &status);
  if (status != 0) return true;
  if (!caption) return false;
  static char log[4096];
  log[0] = '\0';
  ext::glGetInfoLogARB(object, sizeof log, nullptr, log);
  log[sizeof log - 1] = '\0';
  showMessageBox(caption, log, 1);
  return false;
}

void checkObjectStatus(GLhandleARB object, GLenum statusName, const char* caption) {
  objectStatus(object, statusName, caption);
}

bool compileShaderObject(GLhandleARB shader, const char* source, const char* failureCaption) {
  const GLcharARB* text = source;
  ext::glShaderSourceARB(shader, 1, &text, nullptr);
  ext::glCompileShaderARB(shader);
  return objectStatus(shader, GL_OBJECT_COMPILE_STATUS_ARB, failureCaption);
}

bool linkProgramObject(GLhandleARB program, const GLhandleARB* shaders, int count,
                       const char* failureCaption) {
  for (int i = 0; i < count; ++i) ext::glAttachObjectARB(program, shaders[i]);
  ext::glLinkProgramARB(program);
  return objectStatus(program, GL_OBJECT_LINK_STATUS_ARB, failureCaption);
}

// Reads one source file into the shader object and compiles it. A file that cannot be
// read is handed over as empty text, which fails to compile with the driver's own log.
static void compileShaderFile(GLhandleARB shader, const char* path, const char* caption) {
  char* text = nullptr;
  readShaderFile(path, &text);
  compileShaderObject(shader, text ? text : "", caption);
  std::free(text);
}

void loadShaderProgram() {
  programLinked = false;
  if (!checkShaderExtensions()) return;
  anisoVertexShader = ext::glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
  anisoFragmentShader = ext::glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
  compileShaderFile(anisoVertexShader, hairShaderPath(0), "Vert Shader Compile Error");
  compileShaderFile(anisoFragmentShader, hairShaderPath(1), "Frag Shader Compile Error");
  // A compile error does not stop the build: the objects are linked as they are.
  anisoProgram = ext::glCreateProgramObjectARB();
  const GLhandleARB shaders[2] = {anisoVertexShader, anisoFragmentShader};
  programLinked = linkProgramObject(anisoProgram, shaders, 2, "Shader Linking Error");
  lightVectorLocation = ext::glGetUniformLocationARB(anisoProgram, "lightVector");
  texture0Location = ext::glGetUniformLocationARB(anisoProgram, "Texture0");
  texture1Location = ext::glGetUniformLocationARB(anisoProgram, "Texture1");
}

void enableAnisoShader() {
  // Without the entry points or a linked program (failed set-up) drawing stays
  // fixed-function, as GL itself would leave it, but without raising a GL error.
  if (!ext::glUseProgramObjectARB || !anisoProgram || !programLinked) return;
  ext::glUseProgramObjectARB(anisoProgram);
  setShaderUniforms();
}

void disableAnisoShader() {
  if (!ext::glUseProgramObjectARB) return;
  ext::glUseProgramObjectARB(0);
}

void setShaderUniforms() {
  float light[4];
  hairLightVector(light);
  if (lightVectorLocation != -1) ext::glUniform4fARB(lightVectorLocation, light[0], light[1], light[2], 0.0f);
  if (texture0Location != -1) ext::glUniform1iARB(texture0Location, 0);
  if (texture1Location != -1) ext::glUniform1iARB(texture1Location, 1);
}
