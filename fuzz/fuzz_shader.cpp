// Fuzz target: readShaderFile on a shader source file of arbitrary bytes.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_main.h"

SHOW_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reportFinding(checkShaderInput(data, size, fuzzScratchFile()));
  return 0;
}
