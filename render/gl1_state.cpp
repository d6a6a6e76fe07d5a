// The GL 1.x back end's fixed GL state of the whole run, the check for the five extension entry points every mesh
// and the second texture unit need (gl/extensions.h, filled by platform/ with the context),
// and the release of the shader objects at exit.
#include <cstdio>

#include "platform/platform.h"
#include "render/gl1.h"


// Checks the five entry points of the table. A lookup by name can hand back a dispatch stub
// for a function the driver lacks, so the extensions are checked as well; each one missing
// is reported in a box. 1 when everything is there.
static int checkCoreEntryPoints() {
  int ok = 1;
  if (!ext::glActiveTextureARB || !glExtensionAvailable("GL_ARB_multitexture")) {
    showMessageBox("ERROR", "GL_ARB_multitexture extension was not found", 1);
    ok = 0;
  }
  if (!ext::glBindBufferARB || !ext::glGenBuffersARB || !ext::glBufferDataARB ||
      !ext::glDeleteBuffersARB || !glExtensionAvailable("GL_ARB_vertex_buffer_object")) {
    showMessageBox("ERROR", "GL_ARB_vertex_buffer_object extension was not found", 1);
    ok = 0;
  }
  return ok;
}

int gl1InitGlState() {
  // Without these no mesh can be uploaded or drawn: the caller stops the show.
  if (!checkCoreEntryPoints()) return 0;
  glShadeModel(GL_SMOOTH);
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  glEnable(GL_TEXTURE_2D);
  // Sphere mapping is prepared here but stays off until a SphereMapOn command.
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  loadShaderProgram();
  glStateReady = 1;
  return 1;
}

void gl1ReleaseShaderProgram() {
  // After a failed shader set-up the entry point or the objects may not exist.
  if (!ext::glDeleteObjectARB) return;
  if (anisoVertexShader) ext::glDeleteObjectARB(anisoVertexShader);
  if (anisoFragmentShader) ext::glDeleteObjectARB(anisoFragmentShader);
  if (anisoProgram) ext::glDeleteObjectARB(anisoProgram);
}
