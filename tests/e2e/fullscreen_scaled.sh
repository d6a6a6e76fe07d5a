# The real show with --fullscreen (and an argument it does not know) on a 1920x1080 screen,
# which has no 1024x768 mode: no question, one warning line for the unknown argument, a
# window covering the screen, and the picture scaled to 1440x1080 in the middle of it with
# black bars left and right. It keeps presenting frames and ends on Escape.
# Then with --resolution 1440x1080: the picture drawn at 1440x1080 itself, not scaled up.
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

# Paused, Page Down shows one frame at the next scene's start, reached by the time jump as the
# capture tool reaches a still: the screen then holds the capture's 1920x1080 frame of that
# time but for the rasteriser's edges (the show draws into a framebuffer object, the capture
# into its window): 62 dB measured, where the default 1024x768 picture scaled up gives 41.
psnr() {
  ffmpeg -nostdin -loglevel info -i "$1" -i "$2" -lavfi psnr -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.]*\|inf\).*/\1/p' | tail -n 1
}
start_show --fullscreen --resolution 1440x1080 --controls --from 14200
win=$(expect_fullscreen_window 1920x1080) || exit 1
for i in $(seq 1 300); do
  [ "$(screen_pixel 960 540)" != "0 0 0" ] && break
  sleep 0.1
done
xdotool key --window "$win" space
wait_stderr 'show: paused at' 30 || fail "no 'paused at' line after Space"
xdotool key --window "$win" Next
wait_stderr 'show: jumped to' 30 || fail "no 'jumped to' line after Page Down"
ms=$(sed -n 's/^show: jumped to \([0-9]*\)\.\([0-9]*\) s.*/\1\2/p' "$WORK/show.err" | tail -n 1)
ms=$((10#$ms))
sleep 2
ffmpeg -nostdin -loglevel error -probesize 32 -fpsprobesize 0 -analyzeduration 0 -f x11grab \
  -video_size 1920x1080 -i "$DISPLAY+0,0" -frames:v 1 "$WORK/screen.png" || fail "no screen grab"
"$BUILD_DIR/tools/capture/capture" --fps 1000 --at "$ms" --resolution 1920x1080 --png "$WORK/native" \
  >/dev/null 2>&1 || fail "capture --resolution 1920x1080 failed"
"$BUILD_DIR/tools/capture/capture" --fps 1000 --at "$ms" --png "$WORK/default" >/dev/null 2>&1 ||
  fail "capture failed"
name=$(printf 'frame-%06d.png' "$ms")
ffmpeg -nostdin -loglevel error -i "$WORK/default/$name" -vf "scale=1440:1080,pad=1920:1080:240:0" \
  "$WORK/scaled.png" || fail "cannot scale the default frame"
native=$(psnr "$WORK/screen.png" "$WORK/native/$name")
scaled=$(psnr "$WORK/screen.png" "$WORK/scaled.png")
note "at $ms ms the screen against the capture at 1440x1080: PSNR $native dB; against 1024x768 scaled: $scaled dB"
awk -v n="$native" -v s="$scaled" 'BEGIN { exit !((n == "inf" || n >= 50) && s < n - 10) }' ||
  fail "the picture is not the one drawn at 1440x1080 (PSNR $native dB, scaled $scaled dB)"
escape_and_check_exit "$win"
exit 0
