// The count of files make-data could not write: every part reports each one here, and the
// program's exit status is non-zero when the count is, so a partial data set never passes
// for a complete one. The soundtrack part runs on its own thread, hence the atomic.
#include <atomic>
#include <cstdio>

#include "make_data.h"

static std::atomic<int> failures{0};

void reportWriteFailure(const std::string& path) {
  std::fprintf(stderr, "make-data: cannot write '%s'\n", path.c_str());
  ++failures;
}

int writeFailures() { return failures.load(); }
