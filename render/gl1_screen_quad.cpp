// The GL 1.x back end's flat drawing over the screen: the pixel-space screen pass used by
// the post effects and the unit-space textured quad used for backgrounds, the loading
// picture and the border.
#include "platform/display.h"
#include "render/gl1.h"

void beginScreenPass() {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, DEFAULT_SCREEN_WIDTH, DEFAULT_SCREEN_HEIGHT, 0, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endScreenPass() {
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

void gl1DrawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode) {
  GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 1, 1, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  applyQuadMode(mode);
  glBindTexture(GL_TEXTURE_2D, textureName(texture));
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(x0, y0, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(x0, y1, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(x1, y1, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(x1, y0, 0.0f);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  if (depthTest) glEnable(GL_DEPTH_TEST);
  glPopAttrib();
}
