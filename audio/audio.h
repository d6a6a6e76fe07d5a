// Music and audio analysis: the soundtrack stream, band levels from its spectrum and the
// bass envelope table.
#pragma once
#include <cstdint>

constexpr int BASS_ENVELOPE_SIZE = 8019;

struct MusicStream;                   // an open, decoding soundtrack (audio/)

extern int soundReady;                // 1 once the audio device layer is initialised
extern MusicStream* musicStream;      // the playing stream, or null
extern unsigned char bassEnvelope[BASS_ENVELOPE_SIZE];

int startMusic(const char* path);     // 1 when the stream is playing, 0 on any failure
int stopMusic();                      // closes the stream; 1 when none was open
float bandLevel(int loHz, int hiHz);  // mean spectrum magnitude of the bins covering [loHz, hiHz)
void loadBassEnvelope(const char* path);   // reads up to 8019 bytes; "TROUBLE WITH BASS!" when short
unsigned char bassEnvelopeAt(float u);     // entry trunc(u * 4009.5) mod 8019

// Analysis without a device, for offline rendering: while open, bandLevel reads the spectrum
// of this stream at the time last set, decoded in step.
int openMusicAnalysis(const char* path);        // 1 on success
void setMusicAnalysisTime(int32_t elapsedMs);   // never earlier than the last time set
void closeMusicAnalysis();
