// Fuzz target: loadBassEnvelope on an envelope file of arbitrary bytes, then lookups.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_main.h"

SHOW_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reportFinding(checkBassInput(data, size, fuzzScratchFile()));
  return 0;
}
