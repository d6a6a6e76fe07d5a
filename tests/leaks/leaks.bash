#!/usr/bin/env bash
# Leak checks with LeakSanitizer on the sanitizer build, with tests/leaks/lsan.supp
# suppressing what the drivers and system libraries keep until exit:
#   1. the canary: a picture block leaked on purpose through the show's reader must be
#      reported, so neither the checker nor the suppressions hide the show's own leaks;
#   2. the capture program on the real data set for a few seconds of the show;
#   3. the real show under Xvfb on the real data set for a few seconds, ended by Escape.
# Any leak report, sanitizer report or non-zero exit code fails.
#
#   bash tests/leaks/leaks.bash ASAN_BUILD_DIR
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/e2e/lib/x_session.bash" "$1"
source "$ROOT/tests/baddata/lib/runs.bash"
cd "$ROOT"
[ -f data/furball.baf ] || fail "no data set in data/"

export ASAN_OPTIONS="detect_leaks=1:exitcode=99"
export LSAN_OPTIONS="suppressions=$ROOT/tests/leaks/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
OUT="$BUILD_DIR/leaks"
rm -rf "$OUT"
mkdir -p "$OUT"

# 1. The canary.
SDL_VIDEODRIVER=offscreen LD_PRELOAD="$(keep_loaded_preload "$BUILD_DIR/tests/test_leaks")" "$BUILD_DIR/tests/test_leaks" --gtest_also_run_disabled_tests \
  --gtest_filter='AssetRelease.DISABLED_LeakCanary' >"$OUT/canary.log" 2>&1
rc=$?
[ "$rc" -ne 0 ] && grep -q 'ERROR: LeakSanitizer' "$OUT/canary.log" && grep -q 'readRawPixels' "$OUT/canary.log" ||
  { cat "$OUT/canary.log" >&2; fail "the leak canary was not reported (exit code $rc)"; }
note "the leak canary is reported"

# 2. The capture program: three seconds of the show at 10 fps, one frame drawn in full.
timeout -s KILL 600 env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy \
  LD_PRELOAD="$PRELOAD_CAPTURE" "$BUILD_DIR/tools/capture/capture" --fps 10 --to 3000 --at 2000 --png "$OUT/png" \
  --report "$OUT/report.csv" >"$OUT/capture.out" 2>"$OUT/capture.err"
rc=$?
no_sanitizer_report "$OUT/capture.err" "capture on the real data set"
[ "$rc" -eq 0 ] || { tail -n 5 "$OUT/capture.err" >&2; fail "capture exit code $rc"; }
note "capture: no leak"

# 3. The show.
start_xvfb 1280x1024x24
start_answering_boxes
run_show "$ROOT" "$OUT/show" 3
[ -s "$OUT/show/boxes" ] && fail "the show showed boxes on the real data set: $(paste -sd, "$OUT/show/boxes")"
note "show: no leak"
exit 0
