// The GL 1.x back end's post effects: the capture of the render queue into the top two
// thirds' worth of rows, the glow chain of seven smaller copies, the glow overlay, the tinted
// veil and the row jitter's grid, drawn in immediate mode. Every pass is drawn in the screen
// pass's 1024x768 units over viewports of the picture's own size (platform/display.h), so it
// covers any picture.
#include <cstdlib>

#include "platform/display.h"
#include "render/gl1.h"

// The screen in the screen pass's units, as vertex positions.
constexpr float SCREEN_W = float(DEFAULT_SCREEN_WIDTH), SCREEN_H = float(DEFAULT_SCREEN_HEIGHT);

#ifndef GL_CLAMP
#define GL_CLAMP 0x2900
#endif

// Each target starts black, at its level's size; the capture and the chain give each its
// image anew every frame.
void gl1CreateGlowTargets() {
  int width = 0, height = 0;
  glowLevelSize(0, &width, &height);
  unsigned char* black = (unsigned char*)std::calloc((size_t)width * height, 3);
  for (int i = 0; i < 8; ++i) {
    glowLevelSize(i, &width, &height);
    glGenTextures(1, &glowTargets[i]);
    glBindTexture(GL_TEXTURE_2D, glowTargets[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  }
  std::free(black);
  glowTargetsReady = true;
}

// One quad over the screen fraction (x0, y0)-(x1, y1), sampling the same fraction of an
// image copied from the framebuffer (row t = 0 at the bottom).
void screenFractionQuad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glTexCoord2f(x0, 1.0f - y0);
  glVertex3f(SCREEN_W * x0, SCREEN_H * y0, 0.0f);
  glTexCoord2f(x1, 1.0f - y0);
  glVertex3f(SCREEN_W * x1, SCREEN_H * y0, 0.0f);
  glTexCoord2f(x1, 1.0f - y1);
  glVertex3f(SCREEN_W * x1, SCREEN_H * y1, 0.0f);
  glTexCoord2f(x0, 1.0f - y1);
  glVertex3f(SCREEN_W * x0, SCREEN_H * y1, 0.0f);
  glEnd();
}

// Draws `source` over a width x height corner and copies the corner into `target`.
static void reduceInto(GLuint source, GLuint target, int width, int height) {
  glViewport(0, 0, width, height);
  glBindTexture(GL_TEXTURE_2D, source);
  screenFractionQuad(0.0f, 0.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, target);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, width, height, 0);
}

void gl1BuildGlowChain() {
  static const GLubyte white[3] = {255, 255, 255};
  beginScreenPass();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor3ubv(white);
  GlowChainStep steps[GLOW_CHAIN_MOST_STEPS];
  int count = glowChainSteps(steps);
  for (int i = 0; i < count; ++i)
    reduceInto(glowTargets[steps[i].source], glowTargets[steps[i].target], steps[i].width, steps[i].height);
  glViewport(0, 0, screenWidth(), screenHeight());
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  endScreenPass();
}

void gl1DrawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive) {
  int32_t a = alpha & 0xFF;
  int32_t first = a / 64;
  GLubyte colour[4] = {255, 255, 255, (GLubyte)a};
  beginScreenPass();
  glEnable(GL_BLEND);
  if (additive)
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  else
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glViewport(0, 0, screenWidth(), screenHeight());
  for (int32_t level = first; level <= 7; ++level) {
    colour[3] = (GLubyte)(additive ? a >> 3 : (a * level) / 8);
    glBindTexture(GL_TEXTURE_2D, glowTargets[level]);
    glColor4ubv(colour);
    screenFractionQuad(x0, y0, x1, y1);
  }
  endScreenPass();
}

void gl1DrawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                    TextureId texture) {
  beginScreenPass();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glViewport(0, 0, screenWidth(), screenHeight());
  glBindTexture(GL_TEXTURE_2D, textureName(texture));
  glColor4f(r, g, b, a);
  screenFractionQuad(x0, y0, x1, y1);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  endScreenPass();
}

void gl1DrawRowJitterGrid() {
  beginScreenPass();
  glViewport(0, 0, screenWidth(), screenHeight());
  glBindTexture(GL_TEXTURE_2D, glowTargets[0]);
  glBegin(GL_QUADS);
  for (int r = 0; r < 128; ++r) {
    float yLow = SCREEN_H - 6.0f * (float)(r + 1);
    float yHigh = SCREEN_H - 6.0f * (float)r;
    for (int c = 0; c < 128; ++c) {
      float xLeft = 8.0f * (float)c;
      float xRight = 8.0f * (float)(c + 1);
      glTexCoord2f(gridCoord[c] + rowOffset[r + 1], gridCoord[r + 1]);
      glVertex3f(xLeft, yLow, 0.0f);
      glTexCoord2f(gridCoord[c + 1] + rowOffset[r + 1], gridCoord[r + 1]);
      glVertex3f(xRight, yLow, 0.0f);
      glTexCoord2f(gridCoord[c + 1] + rowOffset[r], gridCoord[r]);
      glVertex3f(xRight, yHigh, 0.0f);
      glTexCoord2f(gridCoord[c] + rowOffset[r], gridCoord[r]);
      glVertex3f(xLeft, yHigh, 0.0f);
    }
  }
  glEnd();
  endScreenPass();
}
