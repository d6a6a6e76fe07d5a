// The offscreen picture: a framebuffer object of the screen's size (colour and depth)
// that frames are drawn into while the window's drawable has another size, presented into
// the drawable 4:3 kept, centred, with black bars on the remaining sides. While it is
// bound, reading the frame back (the glow capture, the frame grab) reads the picture.
#pragma once

// Makes the picture and binds it for all drawing, with a depth buffer of the bits the
// window has (32, else 24). 1 on success; 0, with the reason on one line of stderr, when
// no framebuffer object can be made: drawing then goes straight into the window.
int openOffscreenPicture(int width, int height);
void closeOffscreenPicture();            // deletes it; drawing goes straight into the window again
int offscreenPictureOpen();              // 1 while frames are drawn into the picture

// Scales the finished picture into the window's back buffer (linear filtering, an exact
// copy where the sizes match), then binds the picture again. The scissor test, the colour
// mask and the clear colour are left as the frame set them. Does nothing while closed.
void presentOffscreenPicture();

void drawableSize(int* width, int* height);  // the current window's drawable in pixels (0, 0 without one)

// Where a picture of width x height lands in a drawable: the largest centred rectangle of
// its shape. rect is x, y (from the bottom-left corner), width, height.
void pictureRectangle(int drawableWidth, int drawableHeight, int width, int height, int rect[4]);
