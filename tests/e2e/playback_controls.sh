# The playback flags and keys on the real show: bad values are refused with the usage;
# started in scene 2 it shows the words' cyan, Space holds the picture and Space again moves
# it on, Page Down lands on the next scene's start; with --loop the end starts the show again from 0.
source "$(dirname "$0")/lib/x_session.bash"

# Bad values: one line saying what is wrong, then the usage; exit code 2, before any window.
for args in "--from -1" "--from 999999" "--scene 11" "--from"; do
  # shellcheck disable=SC2086
  DISPLAY= "$SHOW" $args >"$WORK/bad.out" 2>"$WORK/bad.err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "show $args: exit code $rc, expected 2"
  head -n 1 "$WORK/bad.err" | grep -q '^show: --' || fail "show $args: first line '$(head -n 1 "$WORK/bad.err")'"
  sed -n 2p "$WORK/bad.err" | grep -q '^usage: show' || fail "show $args: no usage after the first line"
done
note "bad values refused with exit code 2"

# The RGB of one screen pixel, as "R G B".
pixel_at() {
  ffmpeg -nostdin -loglevel error -framerate 100 -probesize 32 -fpsprobesize 0 -analyzeduration 0 \
    -f x11grab -video_size 1x1 -i "$DISPLAY+$1,$2" -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null |
    od -An -tu1 | awk '{ print $1, $2, $3 }'
}

start_xvfb 1024x768x24
start_show --window --controls --from 14200
win=$(wait_window '\("show"' 60) || fail "the show opened no window"
start_box_dismisser
cyan=""
for i in $(seq 1 600); do
  [ "$(pixel_at 512 600)" = "0 254 254" ] && { cyan=yes; break; }
  show_running || fail "the show ended before showing scene 2"
  sleep 0.05
done
[ -n "$cyan" ] || fail "scene 2's cyan (0, 254, 254) never showed"
note "scene 2 reached from --from 14200"

xdotool key --window "$win" space
wait_stderr 'show: paused at 1[45]\.[0-9]* s, scene 2' 30 || fail "no 'paused at ... scene 2' line after Space"
sleep 0.3
held=$(grab_sum 1024 768 0 0)
sleep 1
[ "$(grab_sum 1024 768 0 0)" = "$held" ] || fail "the picture changed while paused"
[ "$(pixel_at 512 600)" = "0 254 254" ] || fail "the held picture is not scene 2's"
note "paused: two screenshots 1 s apart are identical"

xdotool key --window "$win" space
wait_stderr 'show: playing from 1[45]\.' 30 || fail "no 'playing from' line after the second Space"
moved=""
for i in $(seq 1 300); do
  [ "$(grab_sum 1024 768 0 0)" != "$held" ] && { moved=yes; break; }
  show_running || fail "the show ended after resuming"
  sleep 0.1
done
[ -n "$moved" ] || fail "the picture did not move on after the second Space"
note "resumed: the picture moves on"

# Page Down from a held time, so that a slow machine cannot carry the show past 16 s before
# the key arrives: from scene 2 it lands on scene 3's start, from scene 3 on scene 4's.
xdotool key --window "$win" space
wait_stderr 'show: paused at .*, scene [23] ' 30 || fail "no 'paused at' line after the third Space"
case "$(grep 'show: paused at' "$WORK/show.err" | tail -n 1)" in
  *", scene 2 "*) next='16\.001 s, scene 3' ;;
  *) next='20\.001 s, scene 4' ;;
esac
xdotool key --window "$win" Next
wait_stderr "show: jumped to $next" 30 || fail "Page Down did not jump to the next scene's start ($next)"
escape_and_check_exit "$win"
wait_gone "$win" || fail "the window stayed after the show ended"
kill "$DISMISS_PID" 2>/dev/null
DISMISS_PID=""

# The loop: from a second before the end, the show goes on from 0 instead of exiting. The
# server is told that Escape is up first, so that the key that ended the last show cannot
# count as held down when this one looks at the keyboard.
xdotool keyup Escape 2>/dev/null
start_show --window --loop --from 183000
win=$(wait_window '\("show"' 60) || fail "the looping show opened no window"
if ! wait_stderr 'show: looped to 0\.000 s, scene 1' 120; then
  show_running || { wait "$SHOW_PID"; fail "the looping show ended with exit code $? before 184 s"; }
  fail "no 'looped to 0.000 s' line at the end"
fi
sleep 1
show_running || fail "the show ended at 184 s despite --loop"
escape_and_check_exit "$win"
note "--loop started the show again from 0"
exit 0
