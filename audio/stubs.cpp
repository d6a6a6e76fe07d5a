// Placeholders until the sound layer is written; each definition moves to its own file.
#include "audio/audio.h"

int soundReady;
MusicStream* musicStream;
uint32_t audioDevice;
unsigned char bassEnvelope[BASS_ENVELOPE_SIZE];

int startMusic(const char*) { return 0; }
int stopMusic() { return 1; }
void loadBassEnvelope(const char*) {}
unsigned char bassEnvelopeAt(float) { return 0; }
int heardWindow(float*) { return 0; }
void mixMusic(float* stereo, int frames) {
  for (int i = 0; i < 2 * frames; ++i) stereo[i] = 0.0f;
}
