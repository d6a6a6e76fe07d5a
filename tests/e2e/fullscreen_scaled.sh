# The real show with --fullscreen (and an argument it does not know) on a 1920x1080 screen,
# which has no 1024x768 mode: no question, one warning line for the unknown argument, a
# window covering the screen, and the picture scaled to 1440x1080 in the middle of it with
# black bars left and right. It keeps presenting frames and ends on Escape.
source "$(dirname "$0")/lib/x_session.bash"

start_xvfb 1920x1080x24
start_show --fullscreen --no-such-flag
start_box_dismisser

win=$(expect_fullscreen_window 1920x1080) || exit 1

# x = 1300 lies past the right edge of an unscaled 1024-wide picture; x = 100 and 1820 are
# in the bars.
wait_green 1300 540 90 || fail "no scene-1 green at 1300,540 (last $(screen_pixel 1300 540))"
for x in 100 1820; do
  [ "$(screen_pixel $x 540)" = "0 0 0" ] || fail "no black bar at $x,540: $(screen_pixel $x 540)"
done
is_green "$(screen_pixel 400 540)" || fail "the picture does not reach x = 400: $(screen_pixel 400 540)"
note "the picture is scaled to the screen's height, centred"

check_repaint 120
[ -s "$WORK/boxes" ] && grep -q '"Fullscreen?"' "$WORK/boxes" && fail "--fullscreen still asked the question"
grep -q "^show: ignoring unknown argument '--no-such-flag'" "$WORK/show.err" ||
  fail "no warning about the unknown argument"
escape_and_check_exit "$win"
exit 0
