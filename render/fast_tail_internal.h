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
// Builds the program and its picture texture; why it cannot, or an empty string.
const char* setUpCompositeProgram();
// Copies the screen into the picture texture and lays veil, glow levels 3 to 7, fade veil
// and border over it in one pass. fadeKeep is 255 minus the fade veil's alpha byte.
void composeByProgram(float fadeKeep, TextureId border);
void releaseCompositeProgram();     // deletes the program and the picture texture

// ---- The processor composite's GL side (processor_tail.cpp) -------------------------------
// Makes the composed texture. programSwitch: a current program can be set aside (and is)
// while the frame is drawn back.
void setUpProcessorTail(bool programSwitch);
// The border as it lands on a white screen, taken before the glow capture; again only when
// the border or any picture changed.
void sampleBorder(TextureId border);
// Reads the picture and glow levels 3 to 7 back, composes the frame and draws it back.
void composeByProcessor(float fadeKeep, GLuint border);
void releaseProcessorTail();        // deletes the composed texture, forgets the border sample
