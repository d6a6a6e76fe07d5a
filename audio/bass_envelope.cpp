// The bass envelope: 8019 bytes read once from a file, looked up cyclically by scene time
// (2004.75 entries per second, repeating every 4000 ms).
// Owns: bassEnvelope.
#include <cmath>
#include <cstdio>

#include "audio/audio.h"
#include "platform/platform.h"

unsigned char bassEnvelope[BASS_ENVELOPE_SIZE];

// A file that cannot be opened counts as an empty one: the message, and zeros throughout.
void loadBassEnvelope(const char* path) {
  size_t read = 0;
  if (FILE* file = path ? std::fopen(path, "rb") : nullptr) {
    read = std::fread(bassEnvelope, 1, BASS_ENVELOPE_SIZE, file);
    std::fclose(file);
  }
  for (size_t i = read; i < (size_t)BASS_ENVELOPE_SIZE; ++i) bassEnvelope[i] = 0;
  if (read < (size_t)BASS_ENVELOPE_SIZE) showMessageBox("TROUBLE WITH BASS!", nullptr, 0);
}

// Entry trunc(u * 4009.5) mod 8019; the product is exact in double. Negative u wraps the
// same way, and values with no entry (NaN, infinities) read entry 0.
unsigned char bassEnvelopeAt(float u) {
  double index = std::fmod(std::trunc((double)u * 4009.5), (double)BASS_ENVELOPE_SIZE);
  if (index < 0.0) index += BASS_ENVELOPE_SIZE;
  if (!(index >= 0.0 && index < BASS_ENVELOPE_SIZE)) index = 0.0;
  return bassEnvelope[(int)index];
}
