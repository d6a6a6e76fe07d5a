#!/usr/bin/env bash
# The Windows build tested as a Windows user would run it: scripts/build-windows.sh builds
# show.exe, capture.exe and the test programs for meshes, textures and the sound analysis,
# then each check runs them under Wine inside a private Xvfb and prints one line,
#   PASS|FAIL|SKIP <check> (<seconds> s)[: why]
# and the last line is "N passed, N failed". The exit status is 1 when any check failed.
#
# The comparisons need the Linux build and data/ (./test.sh, or ./scripts/build.sh, run
# first in the same clone: build/tools/capture/capture and data/maronekt-mix6.mp3); what is
# missing is built by ./scripts/build.sh. Wine runs in a prefix of its own, made for this run
# and removed at the end with the Xvfb, whatever ends the script.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

PASSED=0
FAILED=0
XVFB_PID=""
RUN_PID=""
WORK=$(mktemp -d "${TMPDIR:-/tmp}/test-windows.XXXXXX")
WINE=$(dpkg -L wine64 2>/dev/null | grep -m 1 '/wine64$' || true)

cleanup() {
  [ -n "$RUN_PID" ] && kill "$RUN_PID" 2>/dev/null
  # Every Wine process of this prefix, then the X server they drew on.
  if [ -n "$WINE" ] && [ -d "$WORK/prefix" ]; then
    WINEPREFIX=$WORK/prefix "$(dirname "$WINE")/wineserver" -k 2>/dev/null
  fi
  [ -n "$RUN_PID" ] && wait "$RUN_PID" 2>/dev/null
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "test-windows: interrupted" >&2; exit 130' INT
trap 'echo "test-windows: terminated" >&2; exit 143' TERM

die() { echo "test-windows: $*" >&2; exit 1; }

# report STATUS NAME START [why]: the check's line, counted.
report() {
  local status=$1 name=$2 start=$3 why=${4:-}
  echo "$status $name ($((SECONDS - start)) s)${why:+: $why}"
  case $status in
    PASS) PASSED=$((PASSED + 1)) ;;
    FAIL) FAILED=$((FAILED + 1)) ;;
  esac
}

# --- what the checks need ------------------------------------------------------------------
start=$SECONDS
missing=$(./scripts/deps.sh --missing)
if [ -n "$missing" ] || [ ! -x build/tools/capture/capture ] || [ ! -f data/maronekt-mix6.mp3 ]; then
  echo "the Linux build and data/ ($ROOT/build, data/) are needed: ./scripts/build.sh capture"
  ./scripts/build.sh capture >&2 || die "./scripts/build.sh capture failed"
fi
scripts/build-windows.sh show test_mesh test_texture test_audio || die "the Windows build failed"
CAPTURE_BUILT=1
scripts/build-windows.sh capture >/dev/null 2>&1 || CAPTURE_BUILT=0
echo "built in $((SECONDS - start)) s"

[ -n "$WINE" ] && [ -x "$WINE" ] || die "no wine64"
WINESERVER=$(dirname "$WINE")/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=$WORK/prefix
start=$SECONDS
"$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1 && "$WINESERVER" -w ||
  die "wineboot failed: $(tail -n 1 "$WORK/wineboot.log")"

# A private X server on a display number it picks itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" \
  2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 1 100); do
  [ -s "$WORK/display" ] && break
  sleep 0.1
done
[ -s "$WORK/display" ] || die "Xvfb did not start: $(tail -n 1 "$WORK/xvfb.log")"
export DISPLAY=":$(tr -dc 0-9 <"$WORK/display")"
echo "Wine prefix and Xvfb ($DISPLAY) in $((SECONDS - start)) s"

# run_exe LOG EXE ARGS...: a Windows program in the background (RUN_PID), output in LOG.
run_exe() {
  local log=$1; shift
  "$WINE" "$@" >"$log" 2>&1 &
  RUN_PID=$!
}
# wait_exit SECONDS: the background program's exit status, 124 when it outlasted SECONDS
# (it is then killed).
wait_exit() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    kill -0 "$RUN_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$RUN_PID" 2>/dev/null; then
    kill "$RUN_PID" 2>/dev/null
    wait "$RUN_PID" 2>/dev/null
    RUN_PID=""
    return 124
  fi
  local rc=0
  wait "$RUN_PID" || rc=$?
  RUN_PID=""
  return "$rc"
}

# The share of a 64x48 sample of the screen within 3 of R G B in every channel, in percent.
screen_share() {
  ffmpeg -nostdin -loglevel error -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 \
    -vf scale=64:48:flags=neighbor -f rawvideo -pix_fmt rgb24 - 2>/dev/null |
    od -An -v -tu1 -w3 | awk -v r="$1" -v g="$2" -v b="$3" '
      function d(x, y) { return x > y ? x - y : y - x }
      { n++; if (d($1, r) <= 3 && d($2, g) <= 3 && d($3, b) <= 3) hit++ }
      END { printf "%d\n", n ? 100 * hit / n : 0 }'
}

# The show's top-level window: Wine names the X window's class after the program.
show_window() { xdotool search --class 'show.exe' 2>/dev/null | tail -n 1; }

# --- show.exe: its window, the words scene, Escape ------------------------------------------
check_window() {
  local start=$SECONDS share=0 i win rc
  run_exe "$WORK/window.log" build-windows/show.exe --window --from 14200
  for i in $(seq 1 120); do
    share=$(screen_share 0 254 254)
    [ "$share" -ge 60 ] && break
    kill -0 "$RUN_PID" 2>/dev/null || break
    sleep 0.5
  done
  if [ "$share" -lt 60 ]; then
    wait_exit 1
    report FAIL show.window "$start" "the words scene's cyan covers $share % of the screen, not 60 %: $(tail -n 1 "$WORK/window.log")"
    return
  fi
  win=$(show_window)
  if [ -n "$win" ]; then
    xdotool key --window "$win" Escape 2>/dev/null
  else
    xdotool key Escape 2>/dev/null
  fi
  wait_exit 20
  rc=$?
  if [ "$rc" -ne 0 ]; then
    report FAIL show.window "$start" "exit status $rc after Escape (124: still running 20 s on)"
  else
    report PASS show.window "$start" "cyan over $share % of the screen, exit 0 after Escape"
  fi
}

# --- show.exe plays the soundtrack ---------------------------------------------------------
# The RMS level in dB of stereo f32le FILE's SECONDS seconds from its first sound on.
rms_db() {
  od -An -v -tf4 -w8 "$1" | awk -v want=$((44100 * $2)) '
    { l = $1 + 0; r = $2 + 0 }
    !started && (l > 0.001 || l < -0.001) { started = 1 }
    started && n < want { s += l * l + r * r; n++ }
    END { if (n < want || s == 0) print "none"; else printf "%.2f\n", 10 * log(s / (2 * n)) / log(10) }'
}

check_sound() {
  local start=$SECONDS played=$WORK/played.raw decoded=$WORK/decoded.raw win rc level reference
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$played \
    run_exe "$WORK/sound.log" build-windows/show.exe --window --from 20000
  # The disk driver writes in real time: 5 s of sound is 1.76 MB.
  local i
  for i in $(seq 1 600); do
    [ "$(stat -c %s "$played" 2>/dev/null || echo 0)" -ge $((44100 * 8 * 6)) ] && break
    kill -0 "$RUN_PID" 2>/dev/null || break
    sleep 0.1
  done
  win=$(show_window)
  if [ -n "$win" ]; then xdotool key --window "$win" Escape 2>/dev/null; else xdotool key Escape 2>/dev/null; fi
  wait_exit 20
  rc=$?
  ffmpeg -nostdin -loglevel error -ss 20 -t 5 -i data/maronekt-mix6.mp3 -f f32le -ac 2 \
    -ar 44100 "$decoded"
  level=$(rms_db "$played" 4)
  reference=$(rms_db "$decoded" 4)
  if [ "$rc" -ne 0 ]; then
    report FAIL show.sound "$start" "exit status $rc: $(tail -n 1 "$WORK/sound.log")"
  elif [ "$level" = none ] || [ "$reference" = none ]; then
    report FAIL show.sound "$start" "no 4 s of sound (played: $level, decoded on Linux: $reference)"
  elif awk -v a="$level" -v b="$reference" 'BEGIN { d = a - b; exit !(d < 3 && d > -3 && a > -40) }'; then
    report PASS show.sound "$start" "$level dB played, $reference dB decoded on Linux"
  else
    report FAIL show.sound "$start" "$level dB played, $reference dB decoded on Linux (3 dB allowed)"
  fi
}

# --- capture.exe's stills against the Linux capture's --------------------------------------
# The largest difference in any channel of two PNG files of the same size, else what is wrong.
max_difference() {
  local a=$WORK/a.rgb b=$WORK/b.rgb
  ffmpeg -nostdin -loglevel error -i "$1" -f rawvideo -pix_fmt rgb24 -y "$a" &&
    ffmpeg -nostdin -loglevel error -i "$2" -f rawvideo -pix_fmt rgb24 -y "$b" ||
    { echo "cannot be decoded"; return; }
  [ "$(stat -c %s "$a")" = "$(stat -c %s "$b")" ] || { echo "the sizes differ"; return; }
  # cmp -l: the position and the two bytes, in octal, of every byte that differs.
  cmp -l "$a" "$b" | awk '
    function octal(s,   v, i) { v = 0; for (i = 1; i <= length(s); i++) v = 8 * v + substr(s, i, 1); return v }
    { x = octal($2); y = octal($3); d = x > y ? x - y : y - x; if (d > m) m = d }
    END { print m + 0 }'
}

check_capture() {
  local start=$SECONDS times=(15000 90000 150000) args=() t rc worst=0 d
  if [ "$CAPTURE_BUILT" = 0 ]; then
    report SKIP capture.stills "$start" "capture.exe does not build (scripts/build-windows.sh capture)"
    return
  fi
  for t in "${times[@]}"; do args+=(--at "$t"); done
  mkdir -p "$WORK/linux" "$WORK/windows"
  SHOW_FBO=1 SDL_AUDIODRIVER=dummy build/tools/capture/capture "${args[@]}" --png "$WORK/linux" \
    >"$WORK/capture-linux.log" 2>&1 ||
    { report FAIL capture.stills "$start" "the Linux capture failed: $(tail -n 1 "$WORK/capture-linux.log")"; return; }
  run_exe "$WORK/capture.log" build-windows/tools/capture/capture.exe "${args[@]}" --png "$WORK/windows"
  wait_exit 300
  rc=$?
  [ "$rc" -eq 0 ] ||
    { report FAIL capture.stills "$start" "capture.exe exit status $rc: $(tail -n 1 "$WORK/capture.log")"; return; }
  local frame
  for t in "${times[@]}"; do
    frame=$(printf 'frame-%06d.png' "$t")
    [ -f "$WORK/windows/$frame" ] ||
      { report FAIL capture.stills "$start" "no $frame from capture.exe"; return; }
    [ -f "$WORK/linux/$frame" ] ||
      { report FAIL capture.stills "$start" "no $frame from the Linux capture"; return; }
    d=$(max_difference "$WORK/linux/$frame" "$WORK/windows/$frame")
    case $d in
      *[!0-9]*) report FAIL capture.stills "$start" "$frame: $d"; return ;;
    esac
    [ "$d" -gt "$worst" ] && worst=$d
    if [ "$d" -gt 2 ]; then
      report FAIL capture.stills "$start" "$frame differs by up to $d in a channel (2 allowed)"
      return
    fi
  done
  report PASS capture.stills "$start" "${#times[@]} frames, at most $worst apart in any channel"
}

# --- the test programs ---------------------------------------------------------------------
# Left out under Wine: MusicDevice.* encode their tone files with the Linux lame through the
# shell and time a real-time sound device (show.sound checks the device path instead);
# BassEnvelope.ShortAndMissingFiles counts the message a box shows where there is no
# display, and Windows always has one, where the box waits for a click.
declare -A FILTER=(
  [test_mesh]="*"
  [test_texture]="*"
  [test_audio]="-MusicDevice.*:BassEnvelope.ShortAndMissingFiles"
)
check_tests() {
  local name start rc summary
  for name in test_mesh test_texture test_audio; do
    start=$SECONDS
    run_exe "$WORK/$name.log" "build-windows/tests/$name.exe" "--gtest_filter=${FILTER[$name]}"
    wait_exit 300
    rc=$?
    summary=$(grep -E '^\[  (PASSED|FAILED)  \] [0-9]+ test' "$WORK/$name.log" | tr '\n' ' ')
    if [ "$rc" -eq 0 ]; then
      report PASS "$name" "$start" "${summary% }"
    else
      report FAIL "$name" "$start" "exit status $rc ${summary% }"
      grep -E '^\[  FAILED  \] [A-Za-z]' "$WORK/$name.log" | sort -u | sed 's/^/  /'
    fi
  done
}

check_window
check_sound
check_capture
check_tests

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
