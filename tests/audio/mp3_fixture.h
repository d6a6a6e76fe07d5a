// Test MP3s made on the spot: a sine (or silence then a sine) encoded by the lame command.
#pragma once
#include <string>

struct ToneFile {
  double frequency = 1000.0;          // Hz
  double amplitude = 0.5;             // of full scale
  double silenceSeconds = 0.0;        // silence before the tone
  double toneSeconds = 1.0;
  int rate = 44100;
  int channels = 2;
};

// Writes the 16-bit PCM and encodes it to `mp3Path`; returns the number of frames encoded,
// or 0 when encoding failed.
long makeToneMp3(const std::string& mp3Path, const ToneFile& tone);
