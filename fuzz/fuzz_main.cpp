// Process set-up of the fuzz targets: no display, no sound, and one scratch file per process
// in $TMPDIR (removed at exit) for the readers that take a path.
#include "fuzz/fuzz_main.h"

#include <unistd.h>

#include <string>

static std::string scratchFile;

static void removeScratchFile() {
  if (!scratchFile.empty()) unlink(scratchFile.c_str());
}

void prepareFuzzProcess() {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/show-fuzz.XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    std::perror("show fuzz: cannot make a scratch file");
    std::exit(1);
  }
  close(fd);
  scratchFile = pattern;
  std::atexit(removeScratchFile);
}

const char* fuzzScratchFile() { return scratchFile.c_str(); }
