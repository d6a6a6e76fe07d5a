// The GL 1.x back end's side of the fast tail's processor composite, for software renderers. The picture
// and glow levels 3 to 7 are read back, render/processor_composite.cpp composes the
// finished frame row by row, and it is drawn back as one unblended quad. That costs far
// less there than the fragment program's seven texture reads per pixel, and asks nothing of
// the driver beyond reading pixels back. The border's sampling is taken once from the
// renderer (the border drawn over a white screen) and again only when a picture is uploaded.
// The buffers it reads into are render/processor_tail.cpp's.
#include <cstdint>
#include <cstdlib>

#include "platform/display.h"
#include "render/fast_tail_internal.h"
#include "render/gl1.h"
#include "render/processor_composite.h"

bool gl1SetUpProcessorTail(bool canSwitchProgram) {
  gl1ReleaseProcessorTail();
  if (!holdProcessorBuffers(false)) return false;
  processorTail.programSwitch = canSwitchProgram;
  processorTail.composedTexture = makeBlackTexture(GL_RGBA8, processorTail.width, processorTail.height, GL_BGRA);
  return true;
}

// The glow capture's clear wipes the screen anyway, so the white screen costs nothing.
void gl1SampleBorder(TextureId border) {
  GLuint name = textureName(border);
  if (name == processorTail.borderSampled && processorTail.borderSampledUploads == textureUploads) return;
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glViewport(0, 0, processorTail.width, processorTail.height);
  drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, processorTail.width, processorTail.height, GL_BGRA, GL_UNSIGNED_BYTE, processorTail.borderPixels);
  glPopAttrib();
  processorTail.borderSampled = name;
  processorTail.borderSampledUploads = textureUploads;
}

bool gl1ComposeByProcessor(float fadeKeep, GLuint border) {
  if (processorTail.width != screenWidth() || processorTail.height != screenHeight()) return false;   // not set up for it
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, processorTail.width, processorTail.height, GL_BGRA, GL_UNSIGNED_BYTE, processorTail.screenPixels);
  GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    int width = 0, height = 0;
    glowLevelSize(FIRST_GLOW_LEVEL + k, &width, &height);
    glBindTexture(GL_TEXTURE_2D, glowTargets[FIRST_GLOW_LEVEL + k]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, processorTail.levelPixels[k]);
    levels[k] = {processorTail.levelPixels[k], width, height};
  }
  if (!composeFrame(processorTail.screenPixels, levels, border ? processorTail.borderPixels : nullptr, (int32_t)fadeKeep, processorTail.screenPixels))
    return false;
  processorTail.frameHeld = true;
  // Nobody sees the window (the capture tool): the frame is taken from memory, and drawing
  // it back would only be read back as these bytes.
  if (!displayShown()) return true;

  GLhandleARB previous = processorTail.programSwitch ? ext::glGetHandleARB(GL_PROGRAM_OBJECT_ARB) : 0;
  if (previous) ext::glUseProgramObjectARB(0);
  glBindTexture(GL_TEXTURE_2D, processorTail.composedTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, processorTail.width, processorTail.height, GL_BGRA, GL_UNSIGNED_BYTE, processorTail.screenPixels);
  beginScreenPass();
  glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glViewport(0, 0, processorTail.width, processorTail.height);
  // The screen pass runs y down: the top of the screen takes the picture's last row.
  screenFractionQuad(0.0f, 0.0f, 1.0f, 1.0f);
  glPopAttrib();
  endScreenPass();
  if (previous) ext::glUseProgramObjectARB(previous);
  return true;
}

void gl1ReleaseProcessorTail() {
  if (processorTail.composedTexture) glDeleteTextures(1, &processorTail.composedTexture);
  processorTail.composedTexture = 0;
  freeProcessorBuffers();
}
