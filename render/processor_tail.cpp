// The GL side of the fast tail's processor composite, for software renderers. The picture
// and glow levels 3 to 7 are read back, render/processor_composite.cpp composes the
// finished frame row by row, and it is drawn back as one unblended quad. That costs far
// less there than the fragment program's seven texture reads per pixel, and asks nothing of
// the driver beyond reading pixels back. The border's sampling is taken once from the
// renderer (the border drawn over a white screen) and again only when a picture is uploaded.
// Owns the picture buffers read back (the screen's size), the border sample, the composed
// texture and whether this frame's finished picture is held in memory.
#include "render/fast_tail_internal.h"

#include <cstdint>
#include <cstdlib>

#include "platform/display.h"
#include "render/processor_composite.h"

namespace {

GLuint composedTexture;             // the screen's size, RGBA: the processor's finished frame
bool programSwitch;                 // the table can set a current program aside
int tailWidth, tailHeight;          // the screen the buffers and the texture were made for

// The processor's pictures, 4 bytes a pixel (blue, green, red, alpha), rows bottom-up: the
// screen and the border as large as the screen, the glow levels at their own sizes.
unsigned char* screenPixels;
unsigned char* borderPixels;
unsigned char* levelPixels[COMPOSITE_GLOW_LEVELS];
GLuint borderSampled;               // the border texture borderPixels was taken from; 0: none
uint32_t borderSampledUploads;      // textureUploads when it was taken
bool frameHeld;                     // screenPixels holds this frame's finished picture

}  // namespace

bool setUpProcessorTail(bool canSwitchProgram) {
  releaseProcessorTail();
  programSwitch = canSwitchProgram;
  tailWidth = screenWidth();
  tailHeight = screenHeight();
  size_t screenBytes = (size_t)tailWidth * tailHeight * 4;
  screenPixels = (unsigned char*)std::malloc(screenBytes);
  borderPixels = (unsigned char*)std::malloc(screenBytes);
  bool held = screenPixels && borderPixels;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    int width = 0, height = 0;
    glowLevelSize(FIRST_GLOW_LEVEL + k, &width, &height);
    levelPixels[k] = (unsigned char*)std::malloc((size_t)width * height * 4);
    held = held && levelPixels[k];
  }
  if (!held) {
    releaseProcessorTail();
    return false;
  }
  composedTexture = makeBlackTexture(GL_RGBA8, tailWidth, tailHeight, GL_BGRA);
  return true;
}

void dropHeldFrame() { frameHeld = false; }

bool processorFrameHeld() { return frameHeld; }

void copyHeldFrame(unsigned char* rgb) {
  for (size_t i = 0; i < (size_t)tailWidth * tailHeight; ++i) {
    rgb[i * 3] = screenPixels[i * 4 + 2];
    rgb[i * 3 + 1] = screenPixels[i * 4 + 1];
    rgb[i * 3 + 2] = screenPixels[i * 4];
  }
}

// The glow capture's clear wipes the screen anyway, so the white screen costs nothing.
void sampleBorder(TextureId border) {
  GLuint name = textureName(border);
  if (name == borderSampled && borderSampledUploads == textureUploads) return;
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glViewport(0, 0, tailWidth, tailHeight);
  drawScreenQuad(border, 0, 0, 1.0f, 1.0f, QuadMultiply);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, tailWidth, tailHeight, GL_BGRA, GL_UNSIGNED_BYTE, borderPixels);
  glPopAttrib();
  borderSampled = name;
  borderSampledUploads = textureUploads;
}

bool composeByProcessor(float fadeKeep, GLuint border) {
  if (tailWidth != screenWidth() || tailHeight != screenHeight()) return false;   // not set up for it
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, tailWidth, tailHeight, GL_BGRA, GL_UNSIGNED_BYTE, screenPixels);
  GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS];
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    int width = 0, height = 0;
    glowLevelSize(FIRST_GLOW_LEVEL + k, &width, &height);
    glBindTexture(GL_TEXTURE_2D, glowTargets[FIRST_GLOW_LEVEL + k]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, levelPixels[k]);
    levels[k] = {levelPixels[k], width, height};
  }
  if (!composeFrame(screenPixels, levels, border ? borderPixels : nullptr, (int32_t)fadeKeep, screenPixels))
    return false;
  frameHeld = true;
  // Nobody sees the window (the capture tool): the frame is taken from memory, and drawing
  // it back would only be read back as these bytes.
  if (!displayShown()) return true;

  GLhandleARB previous = programSwitch ? ext::glGetHandleARB(GL_PROGRAM_OBJECT_ARB) : 0;
  if (previous) ext::glUseProgramObjectARB(0);
  glBindTexture(GL_TEXTURE_2D, composedTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, tailWidth, tailHeight, GL_BGRA, GL_UNSIGNED_BYTE, screenPixels);
  beginScreenPass();
  glPushAttrib(GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glViewport(0, 0, tailWidth, tailHeight);
  // The screen pass runs y down: the top of the screen takes the picture's last row.
  screenFractionQuad(0.0f, 0.0f, 1.0f, 1.0f);
  glPopAttrib();
  endScreenPass();
  if (previous) ext::glUseProgramObjectARB(previous);
  return true;
}

void releaseProcessorTail() {
  if (composedTexture) glDeleteTextures(1, &composedTexture);
  composedTexture = 0;
  borderSampled = 0;
  frameHeld = false;
  std::free(screenPixels);
  std::free(borderPixels);
  screenPixels = borderPixels = nullptr;
  for (unsigned char*& pixels : levelPixels) {
    std::free(pixels);
    pixels = nullptr;
  }
  releaseProcessorComposite();
}
