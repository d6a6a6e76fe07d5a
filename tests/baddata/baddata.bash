#!/usr/bin/env bash
# The bad-data suite: the show and the capture program (both built with AddressSanitizer and
# UndefinedBehaviorSanitizer) run on broken copies of the data set. In each copy every file
# of one group has the same fault: missing, empty, cut in half, random bytes of the same
# length; for meshes also counts far beyond the file, a triangle index one past the last
# vertex and a 40-character header word; a few copies break only the shaders, only the
# soundtrack or only the bass envelope. On every copy the capture program renders the whole
# show at 2 fps (the middle of each scene drawn in full) and the show runs for a few seconds
# under Xvfb until Escape: no crash, no hang, no sanitizer report, exit code 0, and the
# messages each fault gets.
#
#   bash tests/baddata/baddata.bash ASAN_BUILD_DIR [GOOD_DATA_DIR (default data/)] [VARIANT...]
#
# The copies live in ASAN_BUILD_DIR/baddata/<variant>/ and stay there for inspection.
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
GOOD=$(cd "${2:-$ROOT/data}" && pwd) || { echo "no data set at ${2:-$ROOT/data}" >&2; exit 1; }
source "$ROOT/tests/e2e/lib/x_session.bash" "$1"
source "$ROOT/tests/baddata/lib/datasets.bash"
source "$ROOT/tests/baddata/lib/runs.bash"
shift 2 2>/dev/null || shift $#
ONLY=("$@")

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:exitcode=99}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tests/leaks/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

SETS="$BUILD_DIR/baddata"
SHOW_SECONDS=${SHOW_SECONDS:-3}
NOT_FOUND='EEEEEEEEEEEK!!!     file not found!!'
NO_MEMORY='EEEEEEEEEEEK!!!     not nuff mem!!'

check_good_set "$GOOD" || fail "the good data set in $GOOD is incomplete"
# The good set must come out of the suite as it went in.
good_listing() { (cd "$GOOD" && stat -c '%n %s %Y %i' "${ALL_FILES[@]}" | sort); }
GOOD_BEFORE=$(good_listing)

# ---- Expected messages ---------------------------------------------------------------------
# Each expect_* runs once on the capture's output and once on the show's: OUT is its standard
# output, ERR its standard error, BOXES the captions of the message boxes it showed (for the
# capture, which has no display, the boxes are the caption lines on its standard error).
count_text() { grep -a -oF "$2" "$1" | wc -l; }
expect_count() {   # TEXT N
  local n
  n=$(count_text "$OUT" "$1")
  [ "$n" -eq "$2" ] || fail "$RUN: \"$1\" printed $n times on stdout, expected $2"
}
expect_box() {     # CAPTION [TEXT]: the box was shown
  grep -a -qxF "$1" "$BOXES" || fail "$RUN: no \"$1\" box (boxes: $(paste -sd, "$BOXES"))"
  if [ -n "${2:-}" ] && [ "$MODE" = capture ]; then
    grep -a -qxF "$1: $2" "$ERR" || fail "$RUN: the \"$1\" line does not say \"$2\""
  fi
}
expect_no_box() {
  ! grep -a -qxF "$1" "$BOXES" || fail "$RUN: unexpected \"$1\" box"
}
expect_mesh_lines() {   # PROBLEM: one line per mesh file naming the file and PROBLEM
  local f n
  for f in "${MESH_FILES[@]}"; do
    n=$(grep -a -cF "data/$f: malformed mesh file: " "$ERR")
    [ "$n" -eq 1 ] || fail "$RUN: $n malformed-file lines for data/$f, expected 1"
    grep -a -F "data/$f: malformed mesh file: " "$ERR" | grep -a -qF "$1" ||
      fail "$RUN: the line for data/$f does not say \"$1\": $(grep -a -F "data/$f:" "$ERR")"
  done
}
expect_no_mesh_lines() {
  ! grep -a -qF ": malformed mesh file: " "$ERR" || fail "$RUN: unexpected malformed-file line: $(grep -a -m1 -F ': malformed mesh file: ' "$ERR")"
}
# The shader path when both sources were readable but not valid shaders: the driver's log
# in a compile or link box (which of them depends on what the bytes happen to be).
expect_shader_error_box() {
  grep -a -qE '^(Vert Shader Compile Error|Frag Shader Compile Error|Shader Linking Error)$' "$BOXES" ||
    fail "$RUN: no shader compile or link box (boxes: $(paste -sd, "$BOXES"))"
}
expect_clean_shaders() {
  ! grep -a -qE '^(ERROR|Vert Shader Compile Error|Frag Shader Compile Error|Shader Linking Error)$' "$BOXES" ||
    fail "$RUN: unexpected shader box (boxes: $(paste -sd, "$BOXES"))"
}

expect_missing() {
  expect_count "$NOT_FOUND" $((MESH_LOADS + PICTURE_LOADS))
  expect_count "$NO_MEMORY" 0
  expect_no_mesh_lines
  expect_box "ERROR" "Cannot open shader file!"
  [ "$(grep -a -cxF ERROR "$BOXES")" -eq 2 ] || fail "$RUN: expected two shader-file boxes"
  expect_box "TROUBLE WITH BASS!"
}
expect_empty() {
  expect_count "$NOT_FOUND" 0
  expect_count "$NO_MEMORY" 0
  expect_mesh_lines "file ends early"
  expect_shader_error_box
  expect_box "TROUBLE WITH BASS!"
}
expect_half() {
  expect_count "$NOT_FOUND" 0
  expect_count "$NO_MEMORY" 0
  expect_mesh_lines ""
  expect_shader_error_box
  expect_box "TROUBLE WITH BASS!"
}
expect_random() {
  expect_count "$NOT_FOUND" 0
  expect_mesh_lines ""
  expect_shader_error_box
  expect_no_box "TROUBLE WITH BASS!"
}
expect_counts() {
  expect_count "$NOT_FOUND" 0
  # .baf files declare arrays too large to allocate; .bof files more records than they hold.
  local baf=0 f
  for f in "${MESH_FILES[@]}"; do case "$f" in *.baf) baf=$((baf + 1)) ;; esac; done
  expect_count "$NO_MEMORY" "$baf"
  local n
  n=$(grep -a -cF "malformed mesh file: more records than the file can hold" "$ERR")
  [ "$n" -eq $((MESH_LOADS - baf)) ] || fail "$RUN: $n 'more records' lines, expected $((MESH_LOADS - baf))"
  expect_clean_shaders
  expect_no_box "TROUBLE WITH BASS!"
}
expect_index() {
  expect_count "$NOT_FOUND" 0
  expect_count "$NO_MEMORY" 0
  expect_mesh_lines "at or above the vertex count"
  expect_clean_shaders
  expect_no_box "TROUBLE WITH BASS!"
}
expect_header() {
  expect_count "$NOT_FOUND" 0
  expect_count "$NO_MEMORY" 0
  expect_mesh_lines "header word longer than 11 characters"
  expect_clean_shaders
  expect_no_box "TROUBLE WITH BASS!"
}
expect_shaders() {   # the vertex source missing, the fragment source random bytes
  expect_count "$NOT_FOUND" 0
  expect_no_mesh_lines
  expect_box "ERROR" "Cannot open shader file!"
  [ "$(grep -a -cxF ERROR "$BOXES")" -eq 1 ] || fail "$RUN: expected one shader-file box"
  expect_shader_error_box
  expect_no_box "TROUBLE WITH BASS!"
}
expect_soundtrack() {   # random bytes: the show runs silent
  expect_count "$NOT_FOUND" 0
  expect_no_mesh_lines
  expect_clean_shaders
  expect_no_box "TROUBLE WITH BASS!"
}
expect_cutsoundtrack() { expect_soundtrack; }   # cut in half: it plays, then stops
expect_envelope() {   # cut short: the box, the rest zeros
  expect_count "$NOT_FOUND" 0
  expect_no_mesh_lines
  expect_clean_shaders
  expect_box "TROUBLE WITH BASS!"
}

# ---- The variants ---------------------------------------------------------------------------
# name | corruption | files
VARIANTS=(
  "missing|missing|ALL"
  "empty|empty|ALL"
  "half|half|ALL"
  "random|random|ALL"
  "counts|counts|MESHES"
  "index|index|MESHES"
  "header|header|MESHES"
  "shaders|special|"
  "soundtrack|random|$SOUNDTRACK_FILE"
  "cutsoundtrack|half|$SOUNDTRACK_FILE"
  "envelope|special|"
)

build_variant() {   # NAME CORRUPTION FILES DEST
  local dest=$4
  case "$3" in
    ALL) make_set "$GOOD" "$dest" "$2" "${ALL_FILES[@]}" ;;
    MESHES) make_set "$GOOD" "$dest" "$2" "${MESH_FILES[@]}" ;;
    *)
      case "$1" in
        shaders)
          copy_set "$GOOD" "$dest"
          break_missing "$dest/data/aniso_light.vert"
          break_random "$dest/data/aniso_light.frag"
          ;;
        envelope)
          copy_set "$GOOD" "$dest"
          head -c 100 "$GOOD/$ENVELOPE_FILE" >"$dest/data/$ENVELOPE_FILE.new" && replace "$dest/data/$ENVELOPE_FILE"
          ;;
        *) make_set "$GOOD" "$dest" "$2" $3 ;;
      esac
      ;;
  esac
}

wanted() {
  [ "${#ONLY[@]}" -eq 0 ] && return 0
  local v
  for v in "${ONLY[@]}"; do [ "$v" = "$1" ] && return 0; done
  return 1
}

start_xvfb 1280x1024x24
start_answering_boxes
mkdir -p "$SETS"
for entry in "${VARIANTS[@]}"; do
  IFS='|' read -r name corruption files <<<"$entry"
  wanted "$name" || continue
  dest="$SETS/$name"
  started=$(now)
  build_variant "$name" "$corruption" "$files" "$dest" || fail "$name: cannot build the data set"

  # The capture in the background while the show runs: two processes for two cores.
  run_capture "$dest" "$dest/capture" &
  capture_pid=$!
  run_show "$dest" "$dest/show" "$SHOW_SECONDS"
  wait "$capture_pid" || fail "$name: the capture run failed (see above)"

  RUN="$name (capture)" MODE=capture OUT="$dest/capture/capture.out" ERR="$dest/capture/capture.err"
  BOXES="$dest/capture/boxes"
  # Without a display a box is its caption, or "caption: text", on a line of its own.
  sed -E 's/^(ERROR|TROUBLE WITH BASS!|Vert Shader Compile Error|Frag Shader Compile Error|Shader Linking Error)(: .*)?$/\1/;t;d' \
    "$ERR" >"$BOXES"
  "expect_$name"
  RUN="$name (show)" MODE=show OUT="$dest/show/show.out" ERR="$dest/show/show.err" BOXES="$dest/show/boxes"
  "expect_$name"
  note "$name: capture and show pass ($(seconds_since "$started") s)"
done

[ "$(good_listing)" = "$GOOD_BEFORE" ] || fail "the good data set in $GOOD changed during the suite"
note "bad-data suite: all variants pass"
exit 0
