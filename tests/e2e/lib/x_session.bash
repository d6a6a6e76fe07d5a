# Shared by the end-to-end tests: a private Xvfb, the real show started in it, and the
# X-side probes (windows by class or caption, keys, screen grabs). Sourced, not run.
# Every wait is a poll with a generous limit: the tests must hold on a loaded 2-core machine.

set -uo pipefail

BUILD_DIR=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
SHOW="$BUILD_DIR/show"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/show-e2e.XXXXXX")
XVFB_PID=""
SHOW_PID=""
DISMISS_PID=""
OVERLAY_PID=""
REPAINT_MAX=0                         # the longest wait for a repaint seen by check_repaint

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$WORK/show.err" ]; then
    echo "--- show stderr (last lines) ---" >&2
    tail -n 20 "$WORK/show.err" >&2
  fi
  exit 1
}

note() { echo "[$(date +%T)] $*" >&2; }

cleanup() {
  for pid in "$OVERLAY_PID" "$DISMISS_PID" "$SHOW_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  [ -n "$SHOW_PID" ] && wait "$SHOW_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# Seconds since the epoch with fractions, for the timing checks.
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }

# start_xvfb WxHxD: a new X server on a display number it picks itself (-displayfd).
start_xvfb() {
  local fdfile="$WORK/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fdfile" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 1 300); do
    if [ -s "$fdfile" ]; then
      export DISPLAY=":$(tr -dc 0-9 <"$fdfile")"
      xdpyinfo >/dev/null 2>&1 && return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$WORK/xvfb.log" >&2
  fail "Xvfb did not start"
}

# Starts the real show from the repository root, without sound hardware; arguments go to
# the show.
start_show() {
  [ -x "$SHOW" ] || fail "no show program at $SHOW"
  # Ahead of other work on the machine where allowed: the tests time the show's reactions.
  local nice=()
  nice -n -5 true 2>/dev/null && nice=(nice -n -5)
  SDL_AUDIODRIVER=dummy "${nice[@]}" "$SHOW" "$@" >"$WORK/show.out" 2>"$WORK/show.err" &
  SHOW_PID=$!
  SHOW_START=$(now)
}

show_running() { kill -0 "$SHOW_PID" 2>/dev/null; }

# wait_stderr PATTERN SECONDS: until a line of the show's stderr matches.
wait_stderr() {
  local i
  for i in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$WORK/show.err" && return 0
    show_running || return 1
    sleep 0.1
  done
  return 1
}

# The top-level windows, one per line: "id name class geometry".
top_windows() { xwininfo -root -children 2>/dev/null | awk '/^ +0x/'; }

# wait_window PATTERN SECONDS: id of the first top-level window whose line matches.
wait_window() {
  local i id
  for i in $(seq 1 $(($2 * 5))); do
    id=$(top_windows | awk -v p="$1" '$0 ~ p { print $1; exit }')
    [ -n "$id" ] && { echo "$id"; return 0; }
    show_running || return 1
    sleep 0.2
  done
  return 1
}

# Message boxes are SDL's own X11 windows: a caption and no class. The show's window has
# the class "show"; our overlay has the class "Xmessage".
box_line_pattern='^ +0x[0-9a-f]+ "[^"]*": \(\)'

# Answers every message box that comes up with Return, in the background, logging captions.
start_box_dismisser() {
  (
    while true; do
      line=$(top_windows | grep -E "$box_line_pattern" | head -n 1)
      if [ -n "$line" ]; then
        echo "$line" >>"$WORK/boxes"
        xdotool key --window "$(echo "$line" | awk '{ print $1 }')" Return 2>/dev/null
      fi
      sleep 0.3
    done
  ) &
  DISMISS_PID=$!
}

# The geometry "WxH+X+Y" of a window.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ +Width:/ { w = $NF } /^ +Height:/ { h = $NF } END { printf "%sx%s+%s+%s\n", w, h, x, y }'
}

# expect_fullscreen_window WxH: the show's window covers the WxH screen from (0, 0), and
# the screen is WxH; prints the window's id.
expect_fullscreen_window() {
  local win geometry screen
  win=$(wait_window '\("show"' 60) || fail "the show opened no window"
  # The window may be found before the server has carried out its resize to the screen.
  local i
  for i in $(seq 1 100); do
    geometry=$(window_geometry "$win")
    [ "$geometry" = "$1+0+0" ] && break
    sleep 0.1
  done
  [ "$geometry" = "$1+0+0" ] || fail "window geometry $geometry, expected $1+0+0"
  screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
  [ "$screen" = "$1" ] || fail "the screen is $screen, expected $1"
  echo "$win"
}

# Checksum of the screen rectangle WxH at X,Y.
grab_sum() {
  ffmpeg -nostdin -loglevel error -framerate 100 -probesize 32 -fpsprobesize 0 -analyzeduration 0 -f x11grab -video_size "$1x$2" -i "$DISPLAY+$3,$4" \
    -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null | md5sum | cut -d' ' -f1
}

# The colour "R G B" of the screen pixel at X, Y.
screen_pixel() {
  ffmpeg -nostdin -loglevel error -probesize 32 -fpsprobesize 0 -analyzeduration 0 -f x11grab -video_size 1x1 \
    -i "$DISPLAY+$1,$2" -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null | od -An -tu1 | awk '{ print $1, $2, $3 }'
}

# Scene 1's green background (seen through the veil, the glow and the border): green well
# above red and blue.
is_green() { awk -v c="$1" 'BEGIN { split(c, p, " "); exit !(p[2] >= 80 && p[2] > p[1] + 25 && p[2] > p[3] + 25) }'; }

# wait_green X Y SECONDS: waits until scene 1's green shows at X, Y (it fades in from black).
wait_green() {
  local i
  for i in $(seq 1 $(($3 * 2))); do
    is_green "$(screen_pixel "$1" "$2")" && return 0
    show_running || return 1
    sleep 0.5
  done
  return 1
}

# Proves the show is still presenting frames, whatever it draws: an X window left
# above part of the show's window and then removed leaves its own pixels there (the
# show's window has no background to repaint) until the next frame is presented.
# Returns once that area has been painted over; fails after SECONDS.
check_repaint() {
  local limit=$1 x=200 y=150 w=320 h=200 before during after i
  before=$(grab_sum $w $h $x $y)
  xmessage -geometry "${w}x${h}+${x}+${y}" -bg white -fg black "overlay" &
  OVERLAY_PID=$!
  wait_window '"Xmessage"' 30 >/dev/null || fail "the overlay window did not appear"
  for i in $(seq 1 50); do
    during=$(grab_sum $w $h $x $y)
    [ "$during" != "$before" ] && break
    sleep 0.1
  done
  [ "$during" != "$before" ] || fail "the overlay did not show on the screen"
  kill "$OVERLAY_PID"
  wait "$OVERLAY_PID" 2>/dev/null
  OVERLAY_PID=""
  local removed waited
  removed=$(now)
  for i in $(seq 1 $((limit * 10))); do
    show_running || fail "the show ended while it should be presenting frames"
    after=$(grab_sum $w $h $x $y)
    if [ "$after" != "$during" ]; then
      waited=$(seconds_since "$removed")
      REPAINT_MAX=$(awk -v a="$REPAINT_MAX" -v b="$waited" 'BEGIN { print (b > a ? b : a) }')
      return 0
    fi
    sleep 0.05
  done
  fail "no frame was presented for ${limit} s (the overlay's pixels stayed)"
}

# Sends Escape to the show's window and checks that it ends within a second, exit code 0.
# The show stops after the frame it is drawing; on a machine busier than its cores (the
# software renderer then needs longer than a second for some frames) one frame more is
# allowed, as long as check_repaint saw frames take.
escape_and_check_exit() {
  local id=$1 sent waited rc limit=1.0 load cores
  load=$(cut -d' ' -f1 /proc/loadavg)
  cores=$(nproc)
  if [ "$(awk -v l="$load" -v c="$cores" 'BEGIN { print (l > c) }')" = 1 ]; then
    limit=$(awk -v r="$REPAINT_MAX" 'BEGIN { print 1.0 + r }')
    note "load $load on $cores cores: allowing ${limit} s"
  fi
  sent=$(now)
  xdotool key --window "$id" Escape 2>/dev/null
  while show_running; do
    [ "$(awk -v s="$(seconds_since "$sent")" -v l="$limit" 'BEGIN { print (s > l + 5) }')" = 1 ] && break
    sleep 0.02
  done
  waited=$(seconds_since "$sent")
  show_running && fail "the show did not end within $limit + 5 s of Escape"
  wait "$SHOW_PID"
  rc=$?
  SHOW_PID=""
  note "the show ended ${waited} s after Escape, exit code $rc"
  [ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
  [ "$(awk -v s="$waited" -v l="$limit" 'BEGIN { print (s <= l) }')" = 1 ] ||
    fail "the show took ${waited} s to end after Escape"
}

# wait_gone ID: waits (up to 10 s) until that top-level window is gone.
wait_gone() {
  local i
  for i in $(seq 1 100); do
    top_windows | grep -q "^ *$1 " || return 0
    sleep 0.1
  done
  return 1
}
