// Placeholders until the sound layer is written; each definition moves to its own file.
#include "audio/audio.h"

unsigned char bassEnvelope[BASS_ENVELOPE_SIZE];

void loadBassEnvelope(const char*) {}
unsigned char bassEnvelopeAt(float) { return 0; }
