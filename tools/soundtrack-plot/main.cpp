// soundtrack-plot — draws the soundtrack as the show hears it.
//
//   soundtrack-plot [DATA_DIR [OUT.png]]
//
// Decodes DATA_DIR/maronekt-mix6.mp3 (default data/), measures both band levels the scenes
// read at 60 frames per second and writes the picture (default docs/soundtrack.png).
#include <cstdio>
#include <string>

#include "make_data.h"
#include "synth_soundtrack.h"

void progress(const char* part, const char* what) { std::fprintf(stderr, "soundtrack-plot: %-10s %s\n", part, what); }

int main(int argc, char** argv) {
  if (argc > 3) {
    std::fprintf(stderr, "usage: soundtrack-plot [DATA_DIR [OUT.png]]\n");
    return 2;
  }
  const std::string dataDir = argc > 1 ? argv[1] : "data";
  const std::string out = argc > 2 ? argv[2] : "docs/soundtrack.png";
  const std::string mp3 = dataDir + "/maronekt-mix6.mp3";
  StereoAudio decoded;
  BandTrack bands;
  if (!decodeMp3File(mp3, decoded) || !measureBands(mp3, 184.0, bands)) {
    std::fprintf(stderr, "soundtrack-plot: cannot decode %s\n", mp3.c_str());
    return 1;
  }
  if (!plotSoundtrack(decoded, bands, out)) {
    std::fprintf(stderr, "soundtrack-plot: cannot write %s\n", out.c_str());
    return 1;
  }
  progress("plot", out.c_str());
  return 0;
}
