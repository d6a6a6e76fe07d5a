// Placeholders until the sound layer is written; each definition moves to its own file.
#include "audio/audio.h"

int soundReady;
MusicStream* musicStream;
unsigned char bassEnvelope[BASS_ENVELOPE_SIZE];

int startMusic(const char*) { return 0; }
int stopMusic() { return 1; }
float bandLevel(int, int) { return 0.0f; }
void loadBassEnvelope(const char*) {}
unsigned char bassEnvelopeAt(float) { return 0; }
int openMusicAnalysis(const char*) { return 0; }
void setMusicAnalysisTime(int32_t) {}
void closeMusicAnalysis() {}
