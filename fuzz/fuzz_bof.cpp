// Fuzz target: the .bof (static mesh) parser on arbitrary bytes.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_main.h"

SHOW_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reportFinding(checkStaticMeshInput(data, size));
  return 0;
}
