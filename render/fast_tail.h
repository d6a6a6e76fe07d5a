// The fast frame tail for software GL: the veil, the glow, scene 1's fade-in and the border
// composed in one full-screen pass instead of one blended pass each. The plain tail stays
// selectable and is the fallback wherever the driver lacks what the fast tail needs.
#pragma once
#include <cstdint>

#include "texture/texture.h"

// The environment variable that asks for the plain tail; read once, at the first question
// after start (or after shutdownFastTail).
constexpr const char* EXACT_PATH_VARIABLE = "SHOW_EXACT";

// True when SHOW_EXACT is set to anything but "" or "0".
bool exactPathRequested();
// Chooses the plain tail (true) or the fast one (false), overriding SHOW_EXACT; the command
// lines' --exact switches call it.
void setExactPath(bool exact);

// True when the fast tail is chosen and usable on this context. The first call with the fast
// tail chosen builds its program and picture texture; if an entry point, the texture units
// or the program are missing, it says why on stderr once and answers false from then on.
bool fastTailReady();

// Everything of an ordinary frame (up to 178000 ms) after the scene script up to the buffer
// swap, as the plain tail draws it: glow capture and chain, the queue on the screen, then,
// when `overlays` is set, veil, glow overlay, a black fade veil of alpha `fadeAlpha` (0 for
// none) and the border. Call only when fastTailReady() is true.
void drawFastFrameTail(bool overlays, float fadeAlpha, TextureId white, TextureId border);

// The finished picture of the frame just drawn (after renderFrame, before the next frame):
// screenWidth() x screenHeight() RGB, bottom row first. The processor composite's frame from
// memory where it composed it, else read back (readFrame): on a shown display call it before
// the frame is presented, or where presenting keeps the buffer (an offscreen driver).
void grabFinishedFrame(unsigned char* rgb);

// Deletes the program and the picture texture (the GL context must still be current) and
// forgets every choice: the next fastTailReady() reads SHOW_EXACT and looks at the driver
// afresh.
void shutdownFastTail();

// How the fast tail composes: one fragment program (graphics hardware), or the processor from
// the picture read back (software renderers, chosen by the renderer's name).
enum FastComposite { CompositeByProgram, CompositeByProcessor };
// The composite in use since the last fastTailReady() that set the tail up.
FastComposite fastComposite();
// Which composite the next set-up takes: by the renderer's name (as at start), or the one named.
enum FastCompositeChoice { ChooseCompositeByRenderer, ChooseCompositeByProgram, ChooseCompositeByProcessor };
// Shuts down and makes the next set-up take `choice`; for tests and benchmarks.
void setFastComposite(FastCompositeChoice choice);
// Tests: shut down, then look at the driver as if it lacked every entry point (or, with
// false, as it is); the shared entry point table stays as it is.
void simulateMissingFastTailSupport(bool missing);
