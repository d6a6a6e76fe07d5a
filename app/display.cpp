// The window with its GL context, presenting frames, and the clear operations.
#include "app/app.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <cstdlib>
#include <cstring>

#include "platform/offscreen_picture.h"
#include "platform/platform.h"

int32_t stopFlag;
unsigned char* frameGrabPixels;
static int windowWidth = SCREEN_WIDTH, windowHeight = SCREEN_HEIGHT;

void requestWindowSize(int width, int height) {
  windowWidth = width > 0 && height > 0 ? width : SCREEN_WIDTH;
  windowHeight = width > 0 && height > 0 ? height : SCREEN_HEIGHT;
}

// The frames are drawn at 1024x768 into the offscreen picture and scaled into the window;
// SHOW_NO_FBO=1 (or a driver without framebuffer objects) draws them straight into it.
int createDisplay(int fullscreen) {
  if (!openWindow(windowWidth, windowHeight, fullscreen)) return 0;
  const char* noFbo = std::getenv("SHOW_NO_FBO");
  if (!(noFbo && std::strcmp(noFbo, "1") == 0)) openOffscreenPicture(SCREEN_WIDTH, SCREEN_HEIGHT);
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  return 1;
}

void swapFrame() {
  if (frameGrabPixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(offscreenPictureOpen() ? GL_COLOR_ATTACHMENT0 : GL_BACK);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, frameGrabPixels);
  }
  presentOffscreenPicture();
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
