# The capture's video under what ends a run early, each a second or so of video at 10
# frames a second: SIGINT to the whole process group (as Ctrl-C sends) and SIGTERM to the
# capture alone stop it after the frame in progress with a finished video holding every frame
# up to the one the stop line names; an ffmpeg that exits at once gives one line and no
# file; a kill -9 of the capture and its ffmpeg (a power cut) leaves a file that plays to
# within 2 s of the frames computed; a full disk gives one line naming the file, exit 1, and
# the video written so far.
BUILD_DIR=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
CAPTURE="$BUILD_DIR/tools/capture/capture"
WORK=$(mktemp -d)
FULL="$WORK/full"
cleanup() {
  mountpoint -q "$FULL" 2>/dev/null && umount "$FULL"
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$WORK/err" ] && tr '\r' '\n' <"$WORK/err" | tail -5 >&2; exit 1; }
command -v ffprobe >/dev/null || { echo "SKIP: no ffprobe"; exit 0; }
[ -f data/maronekt-mix6.mp3 ] || fail "no generated data set in data/ (scripts/build.sh makes it)"
set -m   # each background job in a process group of its own, as a shell's job is

# Starts the capture in the background ($pid) on a span from 10 s, its stderr in $WORK/err.
start_capture() {
  "$CAPTURE" --fps 10 --from 10000 --to 60000 --video "$1" 2>"$WORK/err" &
  pid=$!
}
# The frames computed so far, from the progress line (every tenth frame).
frames_done() { tr '\r' '\n' <"$WORK/err" | sed -n 's|.* \([0-9]*\)/[0-9]* frames.*|\1|p' | tail -1; }
wait_for_frames() {
  for _ in $(seq 600); do
    [ "$(frames_done)" -ge "$1" ] 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || fail "the capture ended before $1 frames"
    sleep 0.1
  done
  fail "no $1 frames in 60 s"
}
video_frames() { ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1"; }
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

# A stop by signal: exit 128 + N, the stop line, and every frame from the span's first
# (frame 100) to the one it names in a video that decodes whole.
check_stopped() { # signal-name expected-exit video
  wait "$pid"
  local status=$?
  [ "$status" = "$2" ] || fail "$1: exit $status, not $2"
  local line
  line=$(grep '^capture: stopped at frame' "$WORK/err") || fail "$1: no stop line"
  local last
  last=$(echo "$line" | sed -n 's/^capture: stopped at frame \([0-9]*\) .*/\1/p')
  echo "$line" | grep -q "the frames so far are in '$3'" || fail "$1: the stop line names no video: $line"
  [ "$(video_frames "$3")" = "$((last - 100 + 1))" ] ||
    fail "$1: $(video_frames "$3") frames in the video, the stop line says $((last - 100 + 1))"
  ffmpeg -v error -xerror -i "$3" -f null - 2>"$WORK/decode" || fail "$1: the video does not decode: $(cat "$WORK/decode")"
  echo "ok: $1 stops at frame $last with exit $2"
}

start_capture "$WORK/int.mp4"
wait_for_frames 20
kill -INT -- "-$pid"      # the whole group, as the terminal's Ctrl-C: ffmpeg must not get it
check_stopped SIGINT 130 "$WORK/int.mp4"

start_capture "$WORK/term.mp4"
wait_for_frames 20
kill -TERM "$pid"
check_stopped SIGTERM 143 "$WORK/term.mp4"

# A stand-in ffmpeg that says one thing and exits at once.
mkdir "$WORK/bin"
printf '#!/bin/sh\necho "stand-in encoder: gone" >&2\nexit 1\n' >"$WORK/bin/ffmpeg"
chmod +x "$WORK/bin/ffmpeg"
PATH="$WORK/bin:$PATH" "$CAPTURE" --fps 10 --to 1000 --video "$WORK/gone.mp4" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "stand-in ffmpeg: exit $status, not 1"
grep -qx 'capture: ffmpeg stopped taking frames: stand-in encoder: gone' "$WORK/err" ||
  fail "stand-in ffmpeg: no line quoting it"
[ "$(grep -c '^capture:' "$WORK/err")" = 1 ] || fail "stand-in ffmpeg: more than one line"
[ -e "$WORK/gone.mp4" ] && fail "stand-in ffmpeg: a file was left"
echo "ok: an ffmpeg that stops gives one line and exit 1"

# A power cut: the capture and its ffmpeg killed at once.
start_capture "$WORK/cut.mp4"
wait_for_frames 40
encoder=$(ps -o pid= --ppid "$pid")
[ -n "$encoder" ] || fail "kill -9: no ffmpeg under the capture"
kill -9 "$pid" $encoder
wait "$pid" 2>/dev/null
done_frames=$(frames_done)
seconds=$(duration "$WORK/cut.mp4") || fail "kill -9: ffprobe cannot read what was left"
awk -v d="$seconds" -v n="$done_frames" 'BEGIN { e = d - n / 10; exit !(e < 2 && e > -2) }' ||
  fail "kill -9: $seconds s in the file, $done_frames frames computed"
echo "ok: after kill -9, $seconds s of video for $done_frames frames"

# A full disk. The capture stops when the file system has less room than a few frames.
mkdir "$FULL"
if ! mount -t tmpfs -o size=5m tmpfs "$FULL" 2>/dev/null; then
  echo "SKIP: the full-disk case: no tmpfs can be mounted here"
  exit 0
fi
"$CAPTURE" --fps 10 --to 60000 --video "$FULL/v.mp4" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "full disk: exit $status, not 1"
grep -q "^capture: the disk is full: the video in '$FULL/v.mp4' ends at frame [0-9]" "$WORK/err" ||
  fail "full disk: no line naming the file and the frame"
[ "$(grep -c '^capture:' "$WORK/err")" = 1 ] || fail "full disk: more than one line"
seconds=$(duration "$FULL/v.mp4") || fail "full disk: ffprobe cannot read what was written"
echo "ok: a full disk gives one line, exit 1, and $seconds s of video"
exit 0
