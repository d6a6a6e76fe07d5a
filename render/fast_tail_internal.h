// Inside the fast frame tail: what its three files share. render/fast_tail.cpp chooses the
// way and dispatches, render/composite_program.cpp composes with a fragment program,
// render/processor_tail.cpp has the processor compose (render/processor_composite.cpp)
// from the picture read back.
#pragma once
#include "render/fast_tail.h"
#include "render/render_internal.h"

constexpr int FIRST_GLOW_LEVEL = 3; // ordinary frames show levels 3 to 7 (alpha 255)

// ---- Choosing (fast_tail.cpp) -------------------------------------------------------------
// True when the table holds every entry point the fast tail calls and the context offers
// the multitexture, shader-object and fragment-shader extensions.
bool fastTailEntryPointsThere();
// A new texture of the given size and formats, black, nearest filtering; the binding of
// GL_TEXTURE_2D is left as it was.
GLuint makeBlackTexture(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat);

// ---- The fragment-program composite (composite_program.cpp) -------------------------------
// Builds the program and its picture texture for the screen now; why it cannot, or an empty
// string.
const char* setUpCompositeProgram();
// Copies the screen into the picture texture and lays veil, glow levels 3 to 7, fade veil
// and border over it in one pass. fadeKeep is 255 minus the fade veil's alpha byte.
void composeByProgram(float fadeKeep, TextureId border);
void releaseCompositeProgram();     // deletes the program and the picture texture

// ---- The processor composite's GL side (processor_tail.cpp) -------------------------------
// Makes the buffers and the composed texture for the screen now; false when the memory
// cannot be had. programSwitch: a current program can be set aside (and is) while the frame
// is drawn back.
bool setUpProcessorTail(bool programSwitch);
// The border as it lands on a white screen, taken before the glow capture; again only when
// the border or any picture changed.
void sampleBorder(TextureId border);
// Reads the picture and glow levels 3 to 7 back, composes the frame and keeps it, and draws
// it back unless nobody sees the display. False, with the screen as the queue left it, when
// the composite does not take these sizes.
bool composeByProcessor(float fadeKeep, GLuint border);
bool processorFrameHeld();          // this frame's finished picture is in memory
void copyHeldFrame(unsigned char* rgb);   // it, as RGB, bottom row first
// Deletes the composed texture and frees the buffers, forgets the border sample.
void releaseProcessorTail();
