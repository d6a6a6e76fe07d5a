// The show's screen and length, and the one window as the layers above see it: creating it
// with its GL context, presenting frames, clearing, and reading the frame back for offline capture.
#pragma once
#include <cstdint>

constexpr int32_t SHOW_LENGTH_MS = 184000;
// The default screen: the show's picture as it always was, and at every size the units the
// screen passes place their quads in (render/screen_quad.cpp).
constexpr int DEFAULT_SCREEN_WIDTH = 1024;
constexpr int DEFAULT_SCREEN_HEIGHT = 768;

// The screen: the 4:3 picture every pass draws, chosen once at start and kept for the run,
// 1024x768 unless the command line asks for another output frame. Every layer reads it here.
//
// Sizes. A picture is 4k x 3k pixels for a whole k from MIN_SCREEN_K to MAX_SCREEN_K
// (320x240 to 4096x3072), so that the glow capture, two thirds of its height, is the whole
// 4k x 2k. For an output frame (a video's size, a window, a display) the picture is the
// largest of these that fits: k = min(width / 4, height / 3), rounded down, then kept within
// the limits; it sits centred in the frame with black bars on the other sides.
constexpr int MIN_SCREEN_K = 80, MAX_SCREEN_K = 1024;
int screenWidth();                    // the picture's width in pixels (1024 by default)
int screenHeight();                   // and its height (768)
// The picture for an output frame of frameWidth x frameHeight, by the rule above.
void fitScreenSize(int frameWidth, int frameHeight, int* width, int* height);
// Sets the screen to the picture that fits width x height (the rule above; 1024x768 for 0, 0).
// Where a GL context is current, the driver's limits are checked too: a size it cannot make
// (texture, viewport or framebuffer limits, or a glow capture whose sides are not powers of
// two on a driver that needs them) gives one line on stderr and the nearest size that works.
// Returns 1 when the size set is the fit asked for. With a window open the offscreen picture
// follows at once (see swapFrame) and the viewport is the new screen.
int setScreenSize(int width, int height);
// The screen that fits the window's drawable now, as setScreenSize sets it.
void fitScreenToDrawable();

int createDisplay(int fullscreen);    // window at (0, 0) with a current GL context; 1 on success
// The one explicit end of the display, on every ordinary exit once the window is open: the
// offscreen picture, the GL context and the window go, the display's own mode comes back
// and SDL's video is quit. Nothing else needs releasing before the process ends.
void destroyDisplay();
void requestWindowSize(int width, int height); // createDisplay's window size; 0, 0 restores 1024x768
// Presents the finished frame (scaled when the window is not the screen's size); nothing
// where nobody sees the display.
void swapFrame();
void presentHeldFrame();              // show the last frame again (while paused), no new frame drawn
void clearColorBuffer(int r, int g, int b);   // low byte of each, times 1/256; clears colour
void clearColorBufferPacked(int rgb);         // red in the low byte, then green, then blue
void clearDepthBuffer();                      // depth only
// 1: the clears above do nothing until holdDrawing(0), so that scene scripts can be run for
// the state they leave alone (the time jump) without touching any framebuffer.
void holdDrawing(int held);

// 1: what is drawn from now on touches the bottom-left pixel alone (a scissor), for frames
// computed only for the state they carry to a later one; 0: the whole screen again.
void drawIntoOnePixel(int on);

// Waits until the GL driver has drawn everything asked of it so far (a benchmark's frame end).
void finishDrawing();

// The frame being drawn, read back: screenWidth() x screenHeight() RGB, bottom row first, as
// glReadPixels gives it. After swapFrame only on a display nobody sees (displayShown() 0).
void readFrame(unsigned char* rgb);
// 0 when the window is never shown (requestHiddenWindow, the capture tool): swapFrame then
// presents nothing, and the frame drawn stays where it was drawn for readFrame.
int displayShown();
