// The show's screen and length, and the one window as the layers above see it: creating it
// with its GL context, presenting frames, clearing, and the frame grab for offline capture.
#pragma once
#include <cstdint>

constexpr int32_t SHOW_LENGTH_MS = 184000;
constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 768;

int createDisplay(int fullscreen);    // window at (0, 0) with a current GL context; 1 on success
// The one explicit end of the display, on every ordinary exit once the window is open: the
// offscreen picture, the GL context and the window go, the display's own mode comes back
// and SDL's video is quit. Nothing else needs releasing before the process ends.
void destroyDisplay();
void requestWindowSize(int width, int height); // createDisplay's window size; 0, 0 restores 1024x768
void swapFrame();                     // present the finished frame (scaled when the window is not 1024x768)
void presentHeldFrame();              // show the last frame again (while paused), no new frame drawn
void clearColorBuffer(int r, int g, int b);   // low byte of each, times 1/256; clears colour
void clearColorBufferPacked(int rgb);         // red in the low byte, then green, then blue
void clearDepthBuffer();                      // depth only

// Frame grab for offline capture: while non-null, swapFrame first reads the finished frame
// (1024x768, RGB, bottom row first, as glReadPixels gives it) into this block.
extern unsigned char* frameGrabPixels;
// Set by the capture tool, whose window nobody sees: a frame tail that composes the frame in
// memory may then write it into frameGrabPixels itself and leave the window without it.
extern bool frameGrabOnly;
// Set by a frame tail that has written the finished frame into frameGrabPixels: swapFrame
// then reads nothing back, and clears the flag.
extern bool frameGrabFilled;
