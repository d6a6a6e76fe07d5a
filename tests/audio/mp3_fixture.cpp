#include "audio/mp3_fixture.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#ifdef _WIN32
#include <chrono>
#include <thread>
#endif

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
  // Under Wine, the host's lame through "start /unix", which neither waits for it nor hands
  // back its status: a shell script of the host encodes into a temporary file and renames
  // it into place when lame succeeded (or leaves a ".failed" file), and the encoded file is
  // waited for. The script is given the files' host paths (the scratch folder's, free of
  // spaces: start passes quotes on as they are).
  auto hostPath = [](std::string path) {
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  };
  std::string script = mp3Path + ".sh", failed = mp3Path + ".failed";
  std::remove(mp3Path.c_str());
  std::remove(failed.c_str());
  FILE* sh = std::fopen(script.c_str(), "wb");
  if (!sh) return 0;
  std::fprintf(sh,
               "lame --quiet -r -s %g --bitwidth 16 --signed --little-endian -m %s -b %d "
               "--resample %g '%s' '%s.part' 2>/dev/null && mv '%s.part' '%s' || touch '%s'\n",
               tone.rate / 1000.0, tone.channels == 1 ? "m" : "j", tone.rate >= 32000 ? 192 : 128,
               tone.rate / 1000.0, hostPath(pcmPath).c_str(), hostPath(mp3Path).c_str(),
               hostPath(mp3Path).c_str(), hostPath(mp3Path).c_str(), hostPath(failed).c_str());
  std::fclose(sh);
  std::snprintf(command, sizeof command, "start /unix /bin/sh %s", hostPath(script).c_str());
  std::system(command);
  bool encoded = false;
  for (int waited = 0; waited < 600 && !encoded; ++waited) {   // 60 s at most
    if (FILE* f = std::fopen(mp3Path.c_str(), "rb")) {
      std::fclose(f);
      encoded = true;
    } else if (FILE* f = std::fopen(failed.c_str(), "rb")) {
      std::fclose(f);
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  std::remove(script.c_str());
  std::remove(failed.c_str());
  if (!encoded) return 0;
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
