// The offscreen picture on a GL framebuffer object: two renderbuffers (RGBA8 colour and a
// depth buffer), blitted into the window at the end of every frame, through the framebuffer
// functions of the GL entry point table (gl/extensions.h).
#include "platform/offscreen_picture.h"

#include <SDL2/SDL.h>

#include <cstdio>

#include "gl/extensions.h"

static GLuint framebuffer, colourBuffer, depthBuffer;
static int pictureWidth, pictureHeight;

// The framebuffer functions of the entry point table (core, else the extension's), as
// loadGlEntryPoints found them for the current context.
static bool entryPointsThere() {
  return ext::glGenFramebuffers && ext::glDeleteFramebuffers && ext::glBindFramebuffer &&
         ext::glCheckFramebufferStatus && ext::glGenRenderbuffers && ext::glDeleteRenderbuffers &&
         ext::glBindRenderbuffer && ext::glRenderbufferStorage && ext::glFramebufferRenderbuffer &&
         ext::glBlitFramebuffer;
}

static void deleteObjects() {
  if (framebuffer) {
    ext::glBindFramebuffer(GL_FRAMEBUFFER, 0);
    ext::glDeleteFramebuffers(1, &framebuffer);
  }
  if (colourBuffer) ext::glDeleteRenderbuffers(1, &colourBuffer);
  if (depthBuffer) ext::glDeleteRenderbuffers(1, &depthBuffer);
  framebuffer = colourBuffer = depthBuffer = 0;
}

// Attaches a depth buffer of the given format; true when the framebuffer is then complete.
static bool attachDepth(GLenum format) {
  if (depthBuffer) ext::glDeleteRenderbuffers(1, &depthBuffer);
  ext::glGenRenderbuffers(1, &depthBuffer);
  ext::glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
  ext::glRenderbufferStorage(GL_RENDERBUFFER, format, pictureWidth, pictureHeight);
  ext::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
  return ext::glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

static int giveUp(const char* why) {
  deleteObjects();
  while (glGetError() != GL_NO_ERROR) {
  }
  std::fprintf(stderr, "no offscreen picture (%s): the frames are drawn straight into the window, unscaled\n",
               why);
  std::fflush(stderr);
  return 0;
}

int openOffscreenPicture(int width, int height) {
  closeOffscreenPicture();
  if (!SDL_GL_GetCurrentContext()) return giveUp("no GL context");
  if (!entryPointsThere()) return giveUp("the driver has no framebuffer objects");
  pictureWidth = width;
  pictureHeight = height;
  // The window's own depth bits, so that depth tests come out as they would in the window.
  GLint windowDepthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &windowDepthBits);
  while (glGetError() != GL_NO_ERROR) {
  }                                   // a core profile has no GL_DEPTH_BITS: 24 bits then

  ext::glGenFramebuffers(1, &framebuffer);
  ext::glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  ext::glGenRenderbuffers(1, &colourBuffer);
  ext::glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
  ext::glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  ext::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
  bool complete = (windowDepthBits >= 32 && attachDepth(GL_DEPTH_COMPONENT32)) ||
                  attachDepth(GL_DEPTH_COMPONENT24);
  ext::glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (!complete) return giveUp("the driver refused the framebuffer");
  glViewport(0, 0, width, height);
  return 1;
}

void closeOffscreenPicture() {
  if (framebuffer) deleteObjects();
}

int offscreenPictureOpen() { return framebuffer != 0; }

void pictureRectangle(int drawableWidth, int drawableHeight, int width, int height, int rect[4]) {
  // Width-limited or height-limited, whichever fits; 64-bit products, no rounding drift.
  int w = drawableWidth, h = drawableHeight;
  if ((long long)drawableWidth * height > (long long)drawableHeight * width)
    w = (int)(((long long)drawableHeight * width + height / 2) / height);
  else
    h = (int)(((long long)drawableWidth * height + width / 2) / width);
  rect[0] = (drawableWidth - w) / 2;
  rect[1] = (drawableHeight - h) / 2;
  rect[2] = w;
  rect[3] = h;
}

void drawableSize(int* width, int* height) {
  *width = *height = 0;
  if (SDL_Window* window = SDL_GL_GetCurrentWindow()) SDL_GL_GetDrawableSize(window, width, height);
}

void presentOffscreenPicture() {
  if (!framebuffer) return;
  int drawableWidth = 0, drawableHeight = 0;
  drawableSize(&drawableWidth, &drawableHeight);
  if (drawableWidth <= 0 || drawableHeight <= 0) return;
  int rect[4];
  pictureRectangle(drawableWidth, drawableHeight, pictureWidth, pictureHeight, rect);

  // The frame's own state that would reach the window: the capture tool's one-pixel
  // scissor, a colour mask, the show's clear colour.
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLboolean mask[4];
  GLfloat clear[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  ext::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  if (rect[2] != drawableWidth || rect[3] != drawableHeight) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);     // the bars
  }
  bool sameSize = rect[2] == pictureWidth && rect[3] == pictureHeight;
  ext::glBlitFramebuffer(0, 0, pictureWidth, pictureHeight, rect[0], rect[1], rect[0] + rect[2],
                         rect[1] + rect[3], GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
  ext::glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);

  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}
