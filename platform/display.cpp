// The window with its GL context, presenting frames, and the clear operations, over the
// SDL window of platform.cpp. Owns frameGrabPixels, frameGrabOnly and frameGrabFilled.
#include "platform/display.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <cstdlib>
#include <cstring>

#include "platform/offscreen_picture.h"
#include "platform/platform.h"

unsigned char* frameGrabPixels;
bool frameGrabOnly;
bool frameGrabFilled;
static int windowWidth = SCREEN_WIDTH, windowHeight = SCREEN_HEIGHT;
static int screenW = SCREEN_WIDTH, screenH = SCREEN_HEIGHT;

int screenWidth() { return screenW; }
int screenHeight() { return screenH; }

void fitScreenSize(int frameWidth, int frameHeight, int* width, int* height) {
  int k = frameWidth / 4 < frameHeight / 3 ? frameWidth / 4 : frameHeight / 3;
  if (k < MIN_SCREEN_K) k = MIN_SCREEN_K;
  if (k > MAX_SCREEN_K) k = MAX_SCREEN_K;
  *width = 4 * k;
  *height = 3 * k;
}

int setScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    width = SCREEN_WIDTH;
    height = SCREEN_HEIGHT;
  }
  fitScreenSize(width, height, &screenW, &screenH);
  return screenW == width && screenH == height;
}

void requestWindowSize(int width, int height) {
  windowWidth = width > 0 && height > 0 ? width : SCREEN_WIDTH;
  windowHeight = width > 0 && height > 0 ? height : SCREEN_HEIGHT;
}

// Where the frames are drawn. While the window's drawable is exactly 1024x768 they go
// straight into it, as they always have: a software renderer rasterises a window's buffer
// (stored top row first) and a framebuffer object a little differently at triangle edges,
// so only this keeps the pixels, and the capture tool's output, unchanged. At any other
// size they go into the offscreen picture, which swapFrame scales into the window.
// SHOW_FBO=0 never uses the picture, SHOW_FBO=1 always does.
static int pictureChoice;             // 0 by the drawable's size, -1 never, 1 always
static int pictureFailed;             // no framebuffer object could be made: not tried again

static void choosePicture() {
  int width = 0, height = 0;
  drawableSize(&width, &height);
  bool wanted = pictureChoice > 0 || (pictureChoice == 0 && (width != SCREEN_WIDTH || height != SCREEN_HEIGHT));
  if (wanted && !offscreenPictureOpen() && !pictureFailed)
    pictureFailed = !openOffscreenPicture(SCREEN_WIDTH, SCREEN_HEIGHT);
  else if (!wanted && offscreenPictureOpen())
    closeOffscreenPicture();
}

int createDisplay(int fullscreen) {
  if (!openWindow(windowWidth, windowHeight, fullscreen)) return 0;
  const char* choice = std::getenv("SHOW_FBO");
  pictureChoice = !choice || !choice[0] ? 0 : std::strcmp(choice, "0") == 0 ? -1 : 1;
  pictureFailed = 0;
  choosePicture();
  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  return 1;
}

void destroyDisplay() {
  closeOffscreenPicture();
  pictureFailed = 0;
  closeWindow();
}

void swapFrame() {
  if (frameGrabPixels && !frameGrabFilled) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(offscreenPictureOpen() ? GL_COLOR_ATTACHMENT0 : GL_BACK);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, frameGrabPixels);
  }
  frameGrabFilled = false;
  presentOffscreenPicture();
  presentWindow();
  choosePicture();                    // for the next frame, after a resize
}

// While paused the last frame is shown again. Drawn straight into the window, the window
// keeps it as it is; from the offscreen picture it is scaled in again now and then, so that it
// follows a resized window.
static uint32_t heldFrameTick;

void presentHeldFrame() {
  if (!offscreenPictureOpen()) return;
  uint32_t now = tickCount();
  if (now - heldFrameTick < 100) return;
  heldFrameTick = now;
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
