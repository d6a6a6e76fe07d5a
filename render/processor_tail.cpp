// The GL side of the fast tail's processor composite, for software renderers. The picture
// and glow levels 3 to 7 are read back, render/processor_composite.cpp composes the
// finished frame row by row, and it is drawn back as one unblended quad. That costs far
// less there than the fragment program's seven texture reads per pixel, and asks nothing of
// the driver beyond reading pixels back. The border's sampling is taken once from the
// renderer (the border drawn over a white screen) and again only when a picture is uploaded.
// Owns the picture buffers read back, the border sample and the composed texture.
#include "render/fast_tail_internal.h"

#include <cstdint>

#include "platform/display.h"
#include "render/processor_composite.h"

namespace {

GLuint composedTexture;             // 1024x768 RGBA, the processor's finished frame
bool programSwitch;                 // the table can set a current program aside

// The processor's pictures, 4 bytes a pixel (blue, green, red, alpha), rows bottom-up.
unsigned char screenPixels[SCREEN_WIDTH * SCREEN_HEIGHT * 4];
unsigned char borderPixels[SCREEN_WIDTH * SCREEN_HEIGHT * 4];
unsigned char levelPixels[COMPOSITE_GLOW_LEVELS][(1024 >> 3) * (512 >> 3) * 4];
GLuint borderSampled;               // the border texture borderPixels was taken from; 0: none
uint32_t borderSampledUploads;      // textureUploads when it was taken

}  // namespace

void setUpProcessorTail(bool canSwitchProgram) {
  programSwitch = canSwitchProgram;
  composedTexture = makeBlackTexture(GL_RGBA8, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA);
}

// The glow capture's clear wipes the screen anyway, so the white screen costs nothing.
void sampleBorder(TextureId border) {
  GLuint name = textureName(border);
  if (name == borderSampled && borderSampledUploads == textureUploads) return;
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
  glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE, borderPixels);
  glPopAttrib();
  borderSampled = name;
  borderSampledUploads = textureUploads;
}

void composeByProcessor(float fadeKeep, GLuint border) {
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE, screenPixels);
  GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    glBindTexture(GL_TEXTURE_2D, glowTargets[FIRST_GLOW_LEVEL + k]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, levelPixels[k]);
    levels[k] = {levelPixels[k], 1024 >> (FIRST_GLOW_LEVEL + k), 512 >> (FIRST_GLOW_LEVEL + k)};
  }
  composeFrame(screenPixels, levels, border ? borderPixels : nullptr, (int32_t)fadeKeep, screenPixels);
  if (frameGrabPixels && frameGrabOnly) {
    // The capture takes the frame from here: reading it back after drawing it would only
    // repeat these bytes.
    for (size_t i = 0; i < (size_t)SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
      frameGrabPixels[i * 3] = screenPixels[i * 4 + 2];
      frameGrabPixels[i * 3 + 1] = screenPixels[i * 4 + 1];
      frameGrabPixels[i * 3 + 2] = screenPixels[i * 4];
    }
    frameGrabFilled = true;
    return;
  }

  GLhandleARB previous = programSwitch ? ext::glGetHandleARB(GL_PROGRAM_OBJECT_ARB) : 0;
  if (previous) ext::glUseProgramObjectARB(0);
  glBindTexture(GL_TEXTURE_2D, composedTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE,
                  screenPixels);
  beginScreenPass();
  glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  // The screen pass runs y down: the top of the screen takes the picture's last row.
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(float(SCREEN_WIDTH), 0.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(float(SCREEN_WIDTH), float(SCREEN_HEIGHT), 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(0.0f, float(SCREEN_HEIGHT), 0.0f);
  glEnd();
  glPopAttrib();
  endScreenPass();
  if (previous) ext::glUseProgramObjectARB(previous);
}

void releaseProcessorTail() {
  if (composedTexture) glDeleteTextures(1, &composedTexture);
  composedTexture = 0;
  borderSampled = 0;
}
