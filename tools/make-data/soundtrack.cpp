// make-data's soundtrack part: synthesises the music, encodes "maronekt-mix6.mp3" and
// writes the scene-7 bass envelope "bassloop_low.raw".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "make_data.h"
#include "synth_soundtrack.h"

namespace {
constexpr int LAME_QUALITY = 5;   // fast enough for the data set's time budget, clean at 192k
}

void writeSoundtrack(const std::string& outDir) {
  progress("soundtrack", "synthesising 185 s at 120 BPM");
  StereoAudio mix = renderSoundtrack(SOUNDTRACK_FRAMES);
  char line[128];
  std::snprintf(line, sizeof line, "mix peak %.2f dBFS; encoding 192 kbit/s",
                20.0 * std::log10(std::max(1e-9f, peakOf(mix))));
  progress("soundtrack", line);
  std::vector<unsigned char> mp3;
  bool ok = true;
  const std::string mp3Path = outDir + "/maronekt-mix6.mp3";
  if (!encodeMp3(mix, LAME_QUALITY, mp3) || !writeFileBytes(mp3Path, mp3.data(), mp3.size())) {
    reportWriteFailure(mp3Path);
    ok = false;
  }
  std::vector<uint8_t> table = bassEnvelopeTable(renderBassLoopCycle());
  const std::string tablePath = outDir + "/bassloop_low.raw";
  if (!writeFileBytes(tablePath, table.data(), table.size())) {
    reportWriteFailure(tablePath);
    ok = false;
  }
  if (ok) progress("soundtrack", "maronekt-mix6.mp3 and bassloop_low.raw written");
}
