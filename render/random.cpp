// The one pseudo-random generator shared by the post effects and the scene scripts.
// Owns gen::randomState. The show's random patterns depend on this exact sequence.
#include "render/render_internal.h"

namespace gen {
uint32_t randomState;

void srand(uint32_t seed) { randomState = seed; }

int rand() {
  randomState = randomState * 214013u + 2531011u;
  return (int)((randomState >> 16) & 0x7FFF);
}
}  // namespace gen
