// The window with its GL context, presenting frames, and the clear operations, over the
// SDL window of platform.cpp. Owns frameGrabPixels.
#include "platform/display.h"

#include <GL/gl.h>
#include "platform/platform.h"

unsigned char* frameGrabPixels;

int createDisplay(int fullscreen) { return openWindow(SCREEN_WIDTH, SCREEN_HEIGHT, fullscreen); }

void swapFrame() {
  if (frameGrabPixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, frameGrabPixels);
  }
  presentWindow();
}

void clearColorBuffer(int r, int g, int b) {
  // Each byte times 1/256, so 255 gives 0.99609375 rather than 1.0.
  glClearColor((r & 0xFF) * 0.00390625f, (g & 0xFF) * 0.00390625f, (b & 0xFF) * 0.00390625f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void clearColorBufferPacked(int rgb) {
  clearColorBuffer(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void clearDepthBuffer() { glClear(GL_DEPTH_BUFFER_BIT); }
