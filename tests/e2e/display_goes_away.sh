# The X server ends under the real show, once while "Fullscreen?" is up, once while it
# presents frames: each time the show ends within 5 s, saying so on one line, exit code 5,
# rather than hanging on the dead connection or playing on unseen.
source "$(dirname "$0")/lib/x_session.bash"

# end_xvfb_and_check WHEN: ends the X server, then expects the show's end as above.
end_xvfb_and_check() {
  local ended waited rc
  kill "$XVFB_PID"
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  ended=$(now)
  while show_running; do
    [ "$(awk -v s="$(seconds_since "$ended")" 'BEGIN { print (s > 5) }')" = 1 ] && break
    sleep 0.05
  done
  waited=$(seconds_since "$ended")
  show_running && fail "$1: the show still runs ${waited} s after the X server ended"
  wait "$SHOW_PID"
  rc=$?
  SHOW_PID=""
  note "$1: the show ended ${waited} s after the X server, exit code $rc"
  [ "$rc" -eq 5 ] || fail "$1: exit code $rc, expected 5"
  [ "$(grep -c '^show: the display went away' "$WORK/show.err")" -eq 1 ] ||
    fail "$1: not one 'show: the display went away' line"
  grep -q '^Fullscreen?$' "$WORK/show.err" && fail "$1: the question went on to stderr as if answered"
  return 0
}

start_xvfb 1024x768x24
start_show
wait_window '"Fullscreen\?"' 60 >/dev/null || fail "no \"Fullscreen?\" box appeared"
end_xvfb_and_check "during the question"

start_xvfb 1024x768x24
start_show --window
wait_window '\("show"' 60 >/dev/null || fail "the show opened no window"
wait_green 900 384 90 || fail "no scene-1 green at 900,384 (last $(screen_pixel 900 384))"
end_xvfb_and_check "during a frame"
exit 0
