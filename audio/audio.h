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
// Why the last startMusic found no sound device, on one line (SDL's reason), or "" when the
// device opened (or was not tried): the show then plays silent.
const char* musicDeviceError();
int stopMusic();                      // closes the stream; 1 when none was open
// Closes the stream and the device and quits SDL's audio: the sound layer as at start
// (soundReady 0), so that a later startMusic opens a device again. The show keeps its
// device to the end of the process; tests and tools end the layer with this.
void closeMusicDevice();
float bandLevel(int loHz, int hiHz);  // mean spectrum magnitude of the bins covering [loHz, hiHz)
// Moves the playing stream to the show's elapsed time: what the callback produces next is
// the music at elapsedMs plus the two device buffers still to be heard, so the sound lines up
// with the picture as it does at the start, and bandLevel reads the music at elapsedMs at once.
// 1 when the stream moved; 0 without a stream.
int seekMusic(int32_t elapsedMs);
void pauseMusic(int paused);          // 1 stops the device where it is, 0 plays on from the same sample
void loadBassEnvelope(const char* path);   // reads up to 8019 bytes; "TROUBLE WITH BASS!" when short
unsigned char bassEnvelopeAt(float u);     // entry trunc(u * 4009.5) mod 8019

// Analysis without a device, for offline rendering: while open, bandLevel reads the spectrum
// of this stream at the time last set, decoded in step.
int openMusicAnalysis(const char* path);        // 1 on success
void setMusicAnalysisTime(int32_t elapsedMs);   // never earlier than the last time set
void closeMusicAnalysis();

// ---- Inside the sound layer: shared by the audio/ files, their tests and benchmarks -------
constexpr int MUSIC_RATE = 44100;     // every stream is decoded to 44100 Hz stereo float
constexpr int SPECTRUM_WINDOW = 1024; // mono samples per spectrum
constexpr int SPECTRUM_BINS = 512;    // bin k covers k * 44100 / 1024 Hz

// One MP3 decoder (libmpg123), gapless, forced to 44100 Hz stereo float.
struct Mp3Decoder {
  void* handle;                       // mpg123_handle, null when closed
  int floatOutput;                    // 1: the library gives float samples, 0: 16-bit ones
  int ended;                          // 1 once the end of the stream (or a fatal error) was met
  int64_t framesRead;                 // stereo frames handed out so far
};
extern int mp3DecodersOpen;           // decoders open right now (both paths together)
int openMp3(Mp3Decoder& decoder, const char* path);   // 1 when the first frame decoded
int readMp3(Mp3Decoder& decoder, float* stereo, int frames);  // frames written; < frames at the end
int rewindMp3(Mp3Decoder& decoder);   // back to the first sample; 1 on success
int seekMp3(Mp3Decoder& decoder, int64_t frame);   // to that stereo frame of the gapless stream; 1 on success
void closeMp3(Mp3Decoder& decoder);

// The spectrum of SPECTRUM_WINDOW mono samples: Hann window, 1024-point FFT, magnitudes
// scaled so a full-scale sine at a bin centre reads 1.0, each clamped to [0, 1].
void computeSpectrum(const float* mono, float* spectrum);
// The band arithmetic of bandLevel over a given spectrum: bins loHz / 43 .. hiHz / 43 - 1,
// clamped to the bins that exist.
float bandLevelOf(const float* spectrum, int loHz, int hiHz);

// The 1024 mono samples bandLevel analyses, oldest first: 1 when the source has them.
int analysisWindow(float* mono);      // the offline analysis, while open
int heardWindow(float* mono);         // the playing stream, ending at what the listener hears

extern uint32_t audioDevice;          // the SDL audio device id, 0 while none is open
constexpr int DEVICE_BUFFER_FRAMES = 1024;   // frames per device callback, as requested
// The audio thread's work for one device buffer: decode the stream into `stereo` (silence
// where there is none) and copy its mono mix into the play ring.
void mixMusic(float* stereo, int frames);
