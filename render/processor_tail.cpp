// The fast tail's processor composite as both back ends share it: the buffers the picture,
// the border sample and glow levels 3 to 7 are read back into (the screen's size), and the
// finished frame held in memory for the frame grab. Owns processorTail.
#include <cstdlib>

#include "platform/display.h"
#include "render/fast_tail_internal.h"
#include "render/processor_composite.h"

ProcessorTail processorTail;

bool holdProcessorBuffers(bool rgbaOrder) {
  processorTail.width = screenWidth();
  processorTail.height = screenHeight();
  processorTail.rgbaOrder = rgbaOrder;
  size_t screenBytes = (size_t)processorTail.width * processorTail.height * 4;
  processorTail.screenPixels = (unsigned char*)std::malloc(screenBytes);
  processorTail.borderPixels = (unsigned char*)std::malloc(screenBytes);
  bool held = processorTail.screenPixels && processorTail.borderPixels;
  for (int k = 0; k < COMPOSITE_GLOW_LEVELS; ++k) {
    int width = 0, height = 0;
    glowLevelSize(FIRST_GLOW_LEVEL + k, &width, &height);
    processorTail.levelPixels[k] = (unsigned char*)std::malloc((size_t)width * height * 4);
    held = held && processorTail.levelPixels[k];
  }
  if (!held) freeProcessorBuffers();
  return held;
}

void freeProcessorBuffers() {
  processorTail.borderSampled = 0;
  processorTail.frameHeld = false;
  std::free(processorTail.screenPixels);
  std::free(processorTail.borderPixels);
  processorTail.screenPixels = processorTail.borderPixels = nullptr;
  for (unsigned char*& pixels : processorTail.levelPixels) {
    std::free(pixels);
    pixels = nullptr;
  }
  releaseProcessorComposite();
}

void dropHeldFrame() { processorTail.frameHeld = false; }

bool processorFrameHeld() { return processorTail.frameHeld; }

void copyHeldFrame(unsigned char* rgb) {
  // Blue, green, red (GL 1.x reads BGRA) or red, green, blue (the shader path reads RGBA).
  int red = processorTail.rgbaOrder ? 0 : 2, blue = 2 - red;
  const unsigned char* pixels = processorTail.screenPixels;
  for (size_t i = 0; i < (size_t)processorTail.width * processorTail.height; ++i) {
    rgb[i * 3] = pixels[i * 4 + red];
    rgb[i * 3 + 1] = pixels[i * 4 + 1];
    rgb[i * 3 + 2] = pixels[i * 4 + blue];
  }
}
