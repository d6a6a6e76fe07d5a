# The real show answered Yes (Return) at "Fullscreen?" on a screen that offers a
# 1024x768 mode: the window covers it at (0, 0), keeps presenting frames and ends within
# a second of Escape with exit code 0.
source "$(dirname "$0")/lib/x_session.bash"

start_xvfb 1024x768x24
start_show
box=$(wait_window '"Fullscreen\?"' 60) || fail "no \"Fullscreen?\" box appeared"
xdotool key --window "$box" Return 2>/dev/null
wait_gone "$box" || fail "the \"Fullscreen?\" box stayed after Return"
start_box_dismisser

win=$(wait_window '\("show"' 60) || fail "the show opened no window"
geometry=$(window_geometry "$win")
[ "$geometry" = "1024x768+0+0" ] || fail "window geometry $geometry, expected 1024x768+0+0"
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
[ "$screen" = "1024x768" ] || fail "the screen is $screen after the mode switch"

for round in 1 2 3; do check_repaint 120; done
note "frames are being presented"
escape_and_check_exit "$win"
exit 0
