# The real show answered No (Escape) at "Fullscreen?": a 1024x768 window at (0, 0) that
# keeps presenting frames and ends within a second of Escape with exit code 0. Then the same
# through the shader path (--renderer es3 --window) on the X server's OpenGL ES context:
# frames presented, no box on the way (the hair shader translates and builds), exit code 0.
source "$(dirname "$0")/lib/x_session.bash"

start_xvfb 1280x1024x24          # larger than the window: a plain window keeps its size
start_show
box=$(wait_window '"Fullscreen\?"' 60) || fail "no \"Fullscreen?\" box appeared"
xdotool key --window "$box" Escape 2>/dev/null
wait_gone "$box" || fail "the \"Fullscreen?\" box stayed after Escape"
start_box_dismisser

win=$(wait_window '\("show"' 60) || fail "the show opened no window"
geometry=$(window_geometry "$win")
[ "$geometry" = "1024x768+0+0" ] || fail "window geometry $geometry, expected 1024x768+0+0"

for round in 1 2 3; do check_repaint 120; done
note "frames are being presented"
escape_and_check_exit "$win"
[ -s "$WORK/boxes" ] && note "boxes answered on the way: $(awk -F'"' '{ print $2 }' "$WORK/boxes" | paste -sd, -)"

: >"$WORK/boxes"
start_show --renderer es3 --window
win=$(wait_window '\("show"' 60) || fail "the show opened no window with --renderer es3: $(cat "$WORK/show.err")"
for round in 1 2 3; do check_repaint 120; done
note "frames are being presented through the shader path"
escape_and_check_exit "$win"
[ -s "$WORK/boxes" ] && fail "boxes on the shader path: $(awk -F'"' '{ print $2 }' "$WORK/boxes" | paste -sd, -)"
exit 0
