#!/usr/bin/env bash
# The hardening checks, after the normal build and tests; fails on any finding:
#   1. the whole project built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-asan/) and every ctest test run in it, except three that render thousands of
#      frames (the 184-second end-to-end run and two capture tests: the bad-data suite runs
#      the sanitizer-built capture program and show on eleven data sets instead). Leaks are
#      checked by step 4 and the bad-data suite, where the GL drivers can be kept loaded;
#   2. the five fuzz targets, each from a fixed seed for a fixed number of inputs (about a
#      minute each), so the same commit passes or fails the same way every time
#      (scripts/fuzz-long.sh --fixed, build-fuzz/; long random fuzzing: scripts/fuzz-long.sh);
#   3. the bad-data suite (tests/baddata/baddata.bash) on broken copies of data/;
#   4. the leak checks (tests/leaks/leaks.bash).
# Environment: ASAN_BUILD, FUZZ_BUILD (build folders), FUZZ_SEED (the fuzzers' seed).
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
asan=${ASAN_BUILD:-build-asan}
export FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
jobs=$(nproc)
begin=$(date +%s)
step() { echo "== hardening: $* ($(($(date +%s) - begin)) s)" >&2; }
die() { echo "== hardening: FAILED: $*" >&2; exit 1; }

[ -f data/furball.baf ] || die "no data set in data/ (run scripts/build.sh first)"

step "sanitizer build in $asan"
mkdir -p "$asan"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOW_SANITIZE=ON -DSHOW_BENCH=OFF \
  >"$asan/configure.log" 2>&1 || { cat "$asan/configure.log" >&2; die "configure $asan"; }
cmake --build "$asan" -j"$jobs" >"$asan/build.log" 2>&1 || { tail -n 40 "$asan/build.log" >&2; die "build $asan"; }

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

step "every test in the sanitizer build"
# A sanitizer report ends a test with a non-zero exit code, so ctest fails it.
slow='^(e2e\.runs_full_length|CaptureReport\.RowsFollowTheSceneTable|CapturePng\.OneFrameOfTheWordsIsDeterministic)$'
ASAN_OPTIONS="detect_leaks=0:exitcode=99" \
ctest --test-dir "$asan" -j"$jobs" -E "$slow" --timeout 900 --output-on-failure \
  >"$asan/ctest.log" 2>&1 || { grep -E -A 40 'Failed|\*\*\*' "$asan/ctest.log" | tail -n 80 >&2; die "tests in $asan"; }
grep -E 'tests passed|tests failed' "$asan/ctest.log" >&2

step "fuzzing, fixed seed and inputs"
scripts/fuzz-long.sh --fixed || die "fuzzing found something"

export ASAN_OPTIONS="detect_leaks=1:exitcode=99"
export LSAN_OPTIONS="suppressions=$ROOT/tests/leaks/lsan.supp:print_suppressions=0"

step "bad-data suite"
bash tests/baddata/baddata.bash "$asan" data >"$asan/baddata.log" 2>&1 ||
  { tail -n 40 "$asan/baddata.log" >&2; die "bad-data suite"; }
grep -E '\] ' "$asan/baddata.log" >&2

step "leak checks"
bash tests/leaks/leaks.bash "$asan" >"$asan/leaks.log" 2>&1 || { tail -n 40 "$asan/leaks.log" >&2; die "leak checks"; }
grep -E '\] ' "$asan/leaks.log" >&2

step "all hardening checks pass"
