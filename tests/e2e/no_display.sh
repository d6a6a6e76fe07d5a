# Without any display the show cannot ask or open a window: the question goes to stderr
# on one line (answered No), then one line says why it stops, and the exit code is 1.
# Started where there is no data/ and with an argument it does not know, it says both
# first. Its command line is checked before any display is needed: --help prints the usage,
# a known flag with a bad value one line and the usage, exit code 2.
BUILD_DIR=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
err=$(mktemp)
empty=$(mktemp -d)
trap 'rm -rf "$err" "$empty"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$err" >&2; exit 1; }
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 60 "$@"; }

no_display "$BUILD_DIR/show" >/dev/null 2>"$err"
rc=$?
cat "$err" >&2
[ "$rc" -eq 1 ] || fail "exit code $rc, expected 1"
[ "$(wc -l <"$err")" -eq 2 ] || fail "expected two lines on stderr"
[ "$(sed -n 1p "$err")" = "Fullscreen?" ] || fail "first line is not the question"
grep -q '^show: ' "$err" || fail "no 'show: ' line"

(cd "$empty" && no_display "$BUILD_DIR/show" --no-such-flag >/dev/null 2>"$err")
rc=$?
[ "$rc" -eq 1 ] || fail "from an empty folder: exit code $rc, expected 1"
[ "$(wc -l <"$err")" -eq 4 ] || fail "from an empty folder: expected four lines on stderr"
sed -n 1p "$err" | grep -q "^show: ignoring unknown argument '--no-such-flag'" || fail "no warning first"
sed -n 2p "$err" | grep -qF "$(cd "$empty" && pwd -P)/data" || fail "the folder looked in is not named"
sed -n 2p "$err" | grep -q -- "--data" || fail "--data is not named"
[ "$(sed -n 3p "$err")" = "Fullscreen?" ] || fail "the question does not follow"

out=$(no_display "$BUILD_DIR/show" --help 2>"$err")
rc=$?
[ "$rc" -eq 0 ] && [ ! -s "$err" ] || fail "--help: exit code $rc"
case "$out" in "usage: show "*) ;; *) fail "--help printed: $out" ;; esac
for bad in "--size 0x0" "--size abc" "--size 800x" "--data" "--fullscreen --size"; do
  # shellcheck disable=SC2086
  no_display "$BUILD_DIR/show" $bad >/dev/null 2>"$err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "show $bad: exit code $rc, expected 2"
  sed -n 1p "$err" | grep -q '^show: --' || fail "show $bad: no one-line reason first"
  sed -n 2p "$err" | grep -q '^usage: show' || fail "show $bad: no usage after the reason"
done
exit 0
