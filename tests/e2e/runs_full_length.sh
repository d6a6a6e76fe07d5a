# The real show left alone after answering No ends by itself once 184 s of show time
# have passed, with exit code 0.
source "$(dirname "$0")/lib/x_session.bash"

start_xvfb 1024x768x24
start_show
box=$(wait_window '"Fullscreen\?"' 60) || fail "no \"Fullscreen?\" box appeared"
xdotool key --window "$box" Escape 2>/dev/null
answered=$(now)
wait_gone "$box" || fail "the \"Fullscreen?\" box stayed after Escape"
start_box_dismisser
win=$(wait_window '\("show"' 60) || fail "the show opened no window"
opened=$(now)

# The clock starts after loading, so the show lasts at least 184 s from the answer; the
# limit leaves room for loading on a slow machine.
while show_running; do
  [ "$(awk -v s="$(seconds_since "$opened")" 'BEGIN { print (s > 184 + 240) }')" = 1 ] &&
    fail "the show was still running $(seconds_since "$opened") s after its window opened"
  sleep 0.5
done
lasted=$(seconds_since "$answered")
wait "$SHOW_PID"
rc=$?
SHOW_PID=""
note "the show ended by itself ${lasted} s after the answer, exit code $rc"
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ "$(awk -v s="$lasted" 'BEGIN { print (s >= 184.0) }')" = 1 ] || fail "the show ended early, after ${lasted} s"
exit 0
