// Shared by the fuzz targets: process set-up and the way a failed property is reported.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// No X display and no sound card: message boxes fall back to their stderr line.
void prepareFuzzProcess();
// A scratch file of this process for readers that take a path.
const char* fuzzScratchFile();

// A failed property is a finding: abort so libFuzzer saves the input.
inline void reportFinding(const char* problem) {
  if (!problem) return;
  std::fprintf(stderr, "FUZZ FINDING: %s\n", problem);
  std::abort();
}

#define SHOW_FUZZ_INIT                                        \
  extern "C" int LLVMFuzzerInitialize(int*, char***) {        \
    prepareFuzzProcess();                                     \
    return 0;                                                 \
  }
