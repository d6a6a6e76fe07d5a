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
#ifdef _WIN32
  // Under Wine, the host's lame through "start /unix", given the files' host paths (the
  // scratch folder's, free of spaces: start passes quotes on as they are). Its exit status
  // does not come back: an encoded file must be there instead.
  std::string pcmHost = pcmPath, mp3Host = mp3Path;
  for (std::string* hostPath : {&pcmHost, &mp3Host})
    for (char& c : *hostPath)
      if (c == '\\') c = '/';
  std::remove(mp3Path.c_str());
  std::snprintf(command, sizeof command,
                "start /wait /unix /usr/bin/lame --quiet -r -s %g --bitwidth 16 --signed "
                "--little-endian -m %s -b %d --resample %g %s %s",
                tone.rate / 1000.0, tone.channels == 1 ? "m" : "j", tone.rate >= 32000 ? 192 : 128,
                tone.rate / 1000.0, pcmHost.c_str(), mp3Host.c_str());
  std::system(command);
  FILE* encoded = std::fopen(mp3Path.c_str(), "rb");
  if (!encoded) return 0;
  std::fclose(encoded);
#else
  std::snprintf(command, sizeof command,
                "lame --quiet -r -s %g --bitwidth 16 --signed --little-endian -m %s -b %d "
                "--resample %g '%s' '%s' 2>/dev/null",
                tone.rate / 1000.0, tone.channels == 1 ? "m" : "j", tone.rate >= 32000 ? 192 : 128,
                tone.rate / 1000.0,
                pcmPath.c_str(), mp3Path.c_str());
  if (std::system(command) != 0) return 0;
#endif
  std::remove(pcmPath.c_str());
  return frames;
}
