# Without any display the show cannot ask or open a window: the question goes to stderr
# on one line (answered No), then one line says why it stops, and the exit code is 1.
BUILD_DIR=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  timeout 60 "$BUILD_DIR/show" >/dev/null 2>"$err"
rc=$?
cat "$err" >&2
[ "$rc" -eq 1 ] || { echo "FAIL: exit code $rc, expected 1" >&2; exit 1; }
[ "$(wc -l <"$err")" -eq 2 ] || { echo "FAIL: expected two lines on stderr" >&2; exit 1; }
[ "$(sed -n 1p "$err")" = "Fullscreen?" ] || { echo "FAIL: first line is not the question" >&2; exit 1; }
grep -q '^show: ' "$err" || { echo "FAIL: no 'show: ' line" >&2; exit 1; }
exit 0
