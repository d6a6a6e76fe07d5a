// The window with its GL context, presenting frames, and the clear operations, over the
// SDL window of platform.cpp. Owns the screen size, the window size asked for and the choice
// of the offscreen picture.
#include "platform/display.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/offscreen_picture.h"
#include "platform/platform.h"

static int windowWidth = DEFAULT_SCREEN_WIDTH, windowHeight = DEFAULT_SCREEN_HEIGHT;
static int screenW = DEFAULT_SCREEN_WIDTH, screenH = DEFAULT_SCREEN_HEIGHT;

int screenWidth() { return screenW; }
int screenHeight() { return screenH; }

void fitScreenSize(int frameWidth, int frameHeight, int* width, int* height) {
  int k = frameWidth / 4 < frameHeight / 3 ? frameWidth / 4 : frameHeight / 3;
  if (k < MIN_SCREEN_K) k = MIN_SCREEN_K;
  if (k > MAX_SCREEN_K) k = MAX_SCREEN_K;
  *width = 4 * k;
  *height = 3 * k;
}

static void choosePicture();

// Whether the current context can draw a 4k x 3k picture: its glow capture and offscreen
// picture as textures, viewports and renderbuffers; sides that are powers of two where the
// driver knows no other textures. Null when it can, else why not.
static const char* driverRefuses(int k) {
  GLint textureMost = 0, viewportMost[2] = {0, 0}, renderbufferMost = 1 << 30;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureMost);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportMost);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferMost);   // unknown without framebuffer objects
  while (glGetError() != GL_NO_ERROR) {
  }
  if (4 * k > textureMost) return "larger than its largest texture";
  if (4 * k > viewportMost[0] || 3 * k > viewportMost[1]) return "larger than its largest viewport";
  if (4 * k > renderbufferMost || 3 * k > renderbufferMost) return "larger than its largest framebuffer";
  if (!glTexturesOfAnySize() && (k & (k - 1)) != 0) return "its textures' sides must be powers of two";
  return nullptr;
}

int setScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    width = DEFAULT_SCREEN_WIDTH;
    height = DEFAULT_SCREEN_HEIGHT;
  }
  int fitWidth = 0, fitHeight = 0;
  fitScreenSize(width, height, &fitWidth, &fitHeight);
  int k = fitWidth / 4;
  if (SDL_GL_GetCurrentContext()) {
    // The nearest size that works: the largest below, else the smallest above.
    const char* why = driverRefuses(k);
    int best = k;
    for (int down = k; why && down >= MIN_SCREEN_K && best == k; --down)
      if (!driverRefuses(down)) best = down;
    for (int up = k + 1; why && up <= MAX_SCREEN_K && best == k; ++up)
      if (!driverRefuses(up)) best = up;
    if (why) {
      std::fprintf(stderr, "a %dx%d picture is beyond this OpenGL driver (%s): drawing %dx%d\n", fitWidth,
                   fitHeight, why, 4 * best, 3 * best);
      std::fflush(stderr);
      k = best;
    }
  }
  screenW = 4 * k;
  screenH = 3 * k;
  if (SDL_GL_GetCurrentContext()) {
    choosePicture();
    glViewport(0, 0, screenW, screenH);
  }
  return screenW == fitWidth && screenH == fitHeight;
}

void fitScreenToDrawable() {
  int width = 0, height = 0;
  drawableSize(&width, &height);
  if (width > 0 && height > 0) setScreenSize(width, height);
}

void requestWindowSize(int width, int height) {
  windowWidth = width > 0 && height > 0 ? width : DEFAULT_SCREEN_WIDTH;
  windowHeight = width > 0 && height > 0 ? height : DEFAULT_SCREEN_HEIGHT;
}

// Where the frames are drawn. While the window's drawable is exactly the screen's size they go
// straight into it, as they always have: a software renderer rasterises a window's buffer
// (stored top row first) and a framebuffer object a little differently at triangle edges,
// so only this keeps the pixels, and the capture tool's output, unchanged. At any other
// size they go into the offscreen picture, which swapFrame scales into the window.
// SHOW_FBO=0 never uses the picture, SHOW_FBO=1 always does.
enum PictureChoice { PictureBySize, PictureNever, PictureAlways };
static PictureChoice pictureChoice;
static int pictureFailed;             // no framebuffer object could be made: not tried again
static int pictureWidth, pictureHeight;   // the size the offscreen picture was opened at

static void choosePicture() {
  int width = 0, height = 0;
  drawableSize(&width, &height);
  bool wanted = pictureChoice == PictureAlways ||
                (pictureChoice == PictureBySize && (width != screenW || height != screenH));
  bool resized = offscreenPictureOpen() && (pictureWidth != screenW || pictureHeight != screenH);
  if (wanted && (!offscreenPictureOpen() || resized) && !pictureFailed) {
    pictureFailed = !openOffscreenPicture(screenW, screenH);
    pictureWidth = screenW;
    pictureHeight = screenH;
  } else if ((!wanted || resized) && offscreenPictureOpen()) {
    closeOffscreenPicture();
  }
}

int createDisplay(int fullscreen) {
  if (!openWindow(windowWidth, windowHeight, fullscreen)) return 0;
  const char* choice = std::getenv("SHOW_FBO");
  pictureChoice = !choice || !choice[0]            ? PictureBySize
                  : std::strcmp(choice, "0") == 0 ? PictureNever
                                                  : PictureAlways;
  pictureFailed = 0;
  setScreenSize(screenW, screenH);    // within what this driver can make; picture, viewport
  return 1;
}

// The read-back's RGBA frame where the driver gives no RGB; freed with the display.
static unsigned char* rgba;
static size_t rgbaBytes;

void destroyDisplay() {
  closeOffscreenPicture();
  std::free(rgba);
  rgba = nullptr;
  rgbaBytes = 0;
  pictureFailed = 0;
  closeWindow();
}

int displayShown() { return !hiddenWindowRequested(); }

// Whether glReadPixels gives RGB bytes: always on desktop GL; OpenGL ES promises only RGBA,
// besides the one format of its own choice it names.
static bool readsRgb() {
  if (requestedRenderer() != RendererEs3) return true;
  GLint format = 0, type = 0;
  glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &format);
  glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &type);
  while (glGetError() != GL_NO_ERROR) {
  }
  return format == GL_RGB && type == GL_UNSIGNED_BYTE;
}

void readFrame(unsigned char* rgb) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(offscreenPictureOpen() ? GL_COLOR_ATTACHMENT0 : GL_BACK);
  if (readsRgb()) {
    glReadPixels(0, 0, screenW, screenH, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return;
  }
  // RGBA, then packed down to RGB.
  size_t bytes = (size_t)screenW * screenH * 4;
  if (rgbaBytes < bytes) {
    std::free(rgba);
    rgba = (unsigned char*)std::malloc(bytes);
    rgbaBytes = rgba ? bytes : 0;
    if (!rgba) return;
  }
  glReadPixels(0, 0, screenW, screenH, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  for (size_t i = 0; i < (size_t)screenW * screenH; ++i) {
    rgb[i * 3] = rgba[i * 4];
    rgb[i * 3 + 1] = rgba[i * 4 + 1];
    rgb[i * 3 + 2] = rgba[i * 4 + 2];
  }
}

void swapFrame() {
  if (!displayShown()) return;       // the frame stays where it is, for readFrame
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

void drawIntoOnePixel(int on) {
  if (on) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
}

void finishDrawing() {
#ifdef __EMSCRIPTEN__
  // A browser's glFinish only hands the commands on; reading a pixel back waits for them.
  unsigned char pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
#else
  glFinish();
#endif
}

static int drawingHeld;

void holdDrawing(int held) { drawingHeld = held ? 1 : 0; }

void clearColorBuffer(int r, int g, int b) {
  if (drawingHeld) return;
  // Each byte times 1/256, so 255 gives 0.99609375 rather than 1.0.
  glClearColor((r & 0xFF) * 0.00390625f, (g & 0xFF) * 0.00390625f, (b & 0xFF) * 0.00390625f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void clearColorBufferPacked(int rgb) {
  clearColorBuffer(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void clearDepthBuffer() {
  if (!drawingHeld) glClear(GL_DEPTH_BUFFER_BIT);
}
