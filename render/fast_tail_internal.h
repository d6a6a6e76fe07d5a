// Inside the fast frame tail: what its files share. render/fast_tail.cpp chooses the way and
// dispatches through the picture path (render/picture_path.h) to the back end's composite:
// a fragment program (render/gl1_composite_program.cpp, render/es3_tail.cpp) or the processor
// (render/processor_composite.cpp) from the picture read back (render/processor_tail.cpp
// holds the buffers; render/gl1_processor_tail.cpp and render/es3_tail.cpp read into them).
#pragma once
#include <cstddef>
#include <cstdint>

#include "render/fast_tail.h"
#include "render/picture_path.h"
#include "render/processor_composite.h"
#include "render/render_internal.h"

// ---- Choosing (fast_tail.cpp) -------------------------------------------------------------
// The composite program's source, for a screen of width x height whose picture lies in a
// texture of textureWidth x textureHeight: GLSL 1.10 as GL 1.x's shader objects take it, the
// same text the shader path translates for GLSL ES 3.00 (render/es3_shader_text.cpp). The
// veil's and the glow's weights are the processor composite's (render/processor_composite.h).
void compositeSource(char* out, size_t size, int width, int height, int textureWidth, int textureHeight);

// ---- The processor composite's buffers (processor_tail.cpp) -------------------------------
struct ProcessorTail {
  // 4 bytes a pixel, rows bottom-up: the screen and the border as large as the screen, the
  // glow levels at their own sizes. Blue, green, red, alpha on GL 1.x (glReadPixels with
  // GL_BGRA); red, green, blue, alpha on the shader path (rgbaOrder), which ES reads. The
  // composite treats the three colour channels alike, so either order composes the same.
  unsigned char* screenPixels;
  unsigned char* borderPixels;
  unsigned char* levelPixels[COMPOSITE_GLOW_LEVELS];
  int width, height;                // the screen the buffers were made for
  bool rgbaOrder;
  GLuint composedTexture;           // the screen's size: the processor's finished frame
  bool programSwitch;               // a current program can be set aside while it is drawn back
  GLuint borderSampled;             // the border texture borderPixels was taken from; 0: none
  uint32_t borderSampledUploads;    // textureUploads when it was taken
  bool frameHeld;                   // screenPixels holds this frame's finished picture
};
extern ProcessorTail processorTail;
// Allocates the buffers for the screen now; false, with nothing held, without the memory.
bool holdProcessorBuffers(bool rgbaOrder);
void freeProcessorBuffers();        // and forgets the border sample and the held frame
bool processorFrameHeld();          // this frame's finished picture is in memory
void copyHeldFrame(unsigned char* rgb);   // it, as RGB, bottom row first
