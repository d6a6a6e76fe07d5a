# The real show answered Yes (Return) at "Fullscreen?" on a screen that offers a
# 1024x768 mode: the window covers it at (0, 0), keeps presenting frames and ends within
# a second of Escape with exit code 0. Then the same with --fullscreen, which asks nothing:
# the picture fills the screen to its corners.
source "$(dirname "$0")/lib/x_session.bash"

start_xvfb 1024x768x24
start_show
box=$(wait_window '"Fullscreen\?"' 60) || fail "no \"Fullscreen?\" box appeared"
xdotool key --window "$box" Return 2>/dev/null
wait_gone "$box" || fail "the \"Fullscreen?\" box stayed after Return"
start_box_dismisser

win=$(expect_fullscreen_window 1024x768) || exit 1

for round in 1 2 3; do check_repaint 120; done
note "frames are being presented"
escape_and_check_exit "$win"
kill "$DISMISS_PID" 2>/dev/null
wait_gone "$win" || fail "the show's window stayed after it ended"

rm -f "$WORK/boxes"
start_show --fullscreen
start_box_dismisser
win=$(wait_window '\("show"' 60) || fail "--fullscreen: the show opened no window"
geometry=$(window_geometry "$win")
[ "$geometry" = "1024x768+0+0" ] || fail "--fullscreen: window geometry $geometry"
[ -s "$WORK/boxes" ] && grep -q '"Fullscreen?"' "$WORK/boxes" && fail "--fullscreen still asked the question"
# Scene 1's green near both sides; the border's dark green, not a black bar, in the corners.
wait_green 900 384 90 || fail "--fullscreen: no scene-1 green at 900,384 (last $(screen_pixel 900 384))"
is_green "$(screen_pixel 120 384)" || fail "--fullscreen: no green at 120,384: $(screen_pixel 120 384)"
for corner in "1 1" "1022 1" "1 766" "1022 766"; do
  awk -v c="$(screen_pixel $corner)" 'BEGIN { split(c, p, " "); exit !(p[2] > p[1] && p[2] > p[3]) }' ||
    fail "--fullscreen: the corner $corner is $(screen_pixel $corner), not the border"
done
note "--fullscreen: the picture fills the screen"
escape_and_check_exit "$win"
exit 0
