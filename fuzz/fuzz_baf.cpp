// Fuzz target: the .baf (keyframe-animated mesh) parser on arbitrary bytes.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_main.h"

SHOW_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reportFinding(checkAnimatedMeshInput(data, size));
  return 0;
}
