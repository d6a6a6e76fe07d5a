# Runs of the sanitizer-built capture program and show on one data set, and the checks on
# what they leave: exit code 0, no sanitizer report, no hang. Sourced after the end-to-end
# tests' x_session.bash (Xvfb, window probes) by the bad-data suite and the leak checks.

source "$(dirname "${BASH_SOURCE[0]}")/../../leaks/keep_loaded.bash"
# The sanitizer programs get the GL drivers preloaded, so leak reports can name them.
PRELOAD_CAPTURE=$(keep_loaded_preload "$BUILD_DIR/tools/capture/capture")
PRELOAD_SHOW=$(keep_loaded_preload "$BUILD_DIR/show")

# Lines a sanitizer writes when it finds something.
SANITIZER_PATTERN='ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (AddressSanitizer|UndefinedBehaviorSanitizer|LeakSanitizer)'

# no_sanitizer_report FILE WHAT: fails with the report's first lines when FILE holds one.
no_sanitizer_report() {
  if grep -a -Eq "$SANITIZER_PATTERN" "$1"; then
    grep -a -E -m 5 -A 12 "$SANITIZER_PATTERN" "$1" >&2
    fail "$2: sanitizer report (full output in $1)"
  fi
}

# run_capture SETDIR OUTDIR: the capture program in SETDIR (which holds data/) renders every
# frame at 2 fps and writes the middle frame of each of the ten scenes into a contact sheet,
# with no X display, so message boxes become stderr lines. Output in OUTDIR/capture.{out,err}.
run_capture() {
  local set=$1 out=$2 rc
  mkdir -p "$out"
  (cd "$set" && timeout -s KILL "${CAPTURE_LIMIT:-600}" env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy \
    LD_PRELOAD="$PRELOAD_CAPTURE" "$BUILD_DIR/tools/capture/capture" --fps 2 \
    --sheet "$out/sheet.png" --report "$out/report.csv") >"$out/capture.out" 2>"$out/capture.err"
  rc=$?
  [ "$rc" -eq 137 ] && fail "$out: capture hung (killed after ${CAPTURE_LIMIT:-600} s)"
  no_sanitizer_report "$out/capture.err" "$out: capture"
  [ "$rc" -eq 0 ] || { tail -n 5 "$out/capture.err" >&2; fail "$out: capture exit code $rc"; }
  [ -s "$out/sheet.png" ] || fail "$out: capture wrote no contact sheet"
  local scenes
  scenes=$(awk -F, 'NR > 1 && $2 > 0 { print $2 }' "$out/report.csv" | sort -un | paste -sd, -)
  [ "$scenes" = "1,2,3,4,5,6,7,8,9,10" ] || fail "$out: the capture did not run through all ten scenes ($scenes)"
}

# Answers the start-up question with No (Escape) and every other box with Return, in the
# background, logging each box's caption to $WORK/boxes.
start_answering_boxes() {
  (
    while true; do
      line=$(top_windows | grep -a -E "$box_line_pattern" | head -n 1)
      if [ -n "$line" ]; then
        id=$(echo "$line" | awk '{ print $1 }')
        if echo "$line" | grep -a -q '"Fullscreen?"'; then
          xdotool key --window "$id" Escape 2>/dev/null
        else
          echo "$line" | awk -F'"' '{ print $2 }' >>"$WORK/boxes"
          xdotool key --window "$id" Return 2>/dev/null
        fi
        # The same box is answered once: wait until it is gone.
        for _ in $(seq 1 50); do top_windows | grep -a -q "^ *$id " || break; sleep 0.1; done
      fi
      sleep 0.2
    done
  ) &
  DISMISS_PID=$!
}

# run_show SETDIR OUTDIR SECONDS: the show in SETDIR under the running Xvfb: its window must
# open and present frames; after SECONDS more it gets Escape and must end with exit code 0.
# Output in OUTDIR/show.{out,err}, the captions of the boxes it showed in OUTDIR/boxes.
run_show() {
  local set=$1 out=$2 seconds=$3 win rc i
  mkdir -p "$out"
  : >"$WORK/boxes"
  (cd "$set" && exec timeout -s KILL "${SHOW_LIMIT:-300}" env SDL_AUDIODRIVER=dummy LD_PRELOAD="$PRELOAD_SHOW" "$SHOW") \
    >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  win=$(wait_window '\("show"' 120) || fail "$out: the show opened no window"
  check_repaint 180
  sleep "$seconds"
  xdotool key --window "$win" Escape 2>/dev/null
  for i in $(seq 1 600); do show_running || break; sleep 0.1; done
  show_running && fail "$out: the show did not end within 60 s of Escape"
  wait "$SHOW_PID"
  rc=$?
  SHOW_PID=""
  cp "$WORK/show.out" "$out/show.out"
  cp "$WORK/show.err" "$out/show.err"
  cp "$WORK/boxes" "$out/boxes"
  [ "$rc" -eq 137 ] && fail "$out: the show hung (killed after ${SHOW_LIMIT:-300} s)"
  no_sanitizer_report "$out/show.err" "$out: show"
  [ "$rc" -eq 0 ] || { tail -n 5 "$out/show.err" >&2; fail "$out: show exit code $rc"; }
}
