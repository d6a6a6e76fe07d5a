// Fuzz target: parseTextureSize on a file name and readRawPixels on the file's contents.
// Input: the name, a line feed, then the contents.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_main.h"

SHOW_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reportFinding(checkTextureInput(data, size, fuzzScratchFile()));
  return 0;
}
