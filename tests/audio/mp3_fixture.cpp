#include "audio/mp3_fixture.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

long makeToneMp3(const std::string& mp3Path, const ToneFile& tone) {
  long silence = std::lround(tone.silenceSeconds * tone.rate);
  long frames = silence + std::lround(tone.toneSeconds * tone.rate);
  std::vector<int16_t> pcm((size_t)frames * tone.channels, 0);
  for (long i = silence; i < frames; ++i) {
    double s = tone.amplitude * std::sin(2.0 * M_PI * tone.frequency * (double)(i - silence) / tone.rate);
    for (int c = 0; c < tone.channels; ++c) pcm[(size_t)i * tone.channels + c] = (int16_t)std::lround(s * 32767.0);
  }
  std::string pcmPath = mp3Path + ".pcm";
  FILE* f = std::fopen(pcmPath.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(pcm.data(), sizeof(int16_t), pcm.size(), f);
  std::fclose(f);
  char command[2048];
  std::snprintf(command, sizeof command,
                "lame --quiet -r -s %g --bitwidth 16 --signed --little-endian -m %s -b %d "
                "--resample %g '%s' '%s' 2>/dev/null",
                tone.rate / 1000.0, tone.channels == 1 ? "m" : "j", tone.rate >= 32000 ? 192 : 128,
                tone.rate / 1000.0,
                pcmPath.c_str(), mp3Path.c_str());
  if (std::system(command) != 0) return 0;
  std::remove(pcmPath.c_str());
  return frames;
}
