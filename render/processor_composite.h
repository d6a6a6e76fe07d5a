// The fast tail's composite done by the processor: the veil, glow levels 3 to 7, the fade veil
// and the border laid over the picture with the same byte arithmetic as the blended passes.
// On a software renderer this is several times cheaper than a fragment program reading seven
// textures per pixel, because the glow levels are magnified row by row and the border's
// sampling is taken once from the renderer itself.
#pragma once
#include <cstdint>

// Pictures are 4 bytes a pixel in the order blue, green, red, alpha, rows from the bottom up,
// as glReadPixels gives them with GL_BGRA.
constexpr int COMPOSITE_GLOW_LEVELS = 5;   // levels 3 to 7: 128 x 64 texels down to 8 x 4
// The frame tail's weights, for every composite: ordinary frames show glow levels 3 to 7
// (alpha 255), each added at alpha 31 (255 >> 3); the half-black veil keeps 127 of 255 (the
// byte the framebuffer makes of 0.5).
constexpr int FIRST_GLOW_LEVEL = 3;
constexpr int GLOW_WEIGHT = 31;
constexpr int VEIL_KEEP = 127;

struct GlowLevelPicture {
  const unsigned char* pixels;              // width x height
  int32_t width, height;
};

// Writes the finished frame, screenWidth() x screenHeight(), into `out` from the screen
// `picture` and the glow levels as texels, sampled as the blended passes sample them over the
// whole screen: linear, at the pixels' centres, repeating across, black beyond the top and
// bottom rows. Any level sizes from 1 x 1 texel to 4096 x 256 are taken, whole or not in
// their ratio to the screen. `border` holds the border as it lands on a white screen (null:
// no border); `fadeKeep` is 255 minus the fade veil's alpha byte. Every alpha byte of `out`
// is 255. `out` may be `picture`. False, with nothing written, for a screen or level outside
// those sizes, a null picture or output, or when the memory for the magnified rows (about
// 2 x 8 bytes a screen pixel across for each level row) cannot be had.
bool composeFrame(const unsigned char* picture, const GlowLevelPicture levels[COMPOSITE_GLOW_LEVELS],
                  const unsigned char* border, int32_t fadeKeep, unsigned char* out);

// Frees the magnified rows composeFrame keeps between frames; the next call allocates them
// again. Safe to call at any time, any number of times.
void releaseProcessorComposite();
