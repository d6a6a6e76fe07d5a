# Without a display the show does not start: it asks nothing, does not fall back on SDL's
# invisible offscreen driver, says on one line what DISPLAY is (unset, or naming no server)
# and where a video comes from, and exits 1. Started where there is no data/ (and with an
# argument it does not know) it says both, on a line each, and exits 3 before anything else,
# unless data/ lies beside the program.
# Its command line is checked before either: --help prints the usage, a known flag with a
# bad value, or a switch given one, one line and the usage, exit code 2. Without a sound
# device the show plays silent and says so on one line.
BUILD_DIR=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
err=$(mktemp)
empty=$(mktemp -d)
trap 'rm -rf "$err" "$empty"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$err" >&2; exit 1; }
# No X server, no Wayland compositor to be found, no video driver asked for.
no_display() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
    timeout 60 "$@"
}

# A display number no server answers at.
free=7391
while [ -e "/tmp/.X11-unix/X$free" ]; do free=$((free + 1)); done
for display in "" ":$free"; do
  named="DISPLAY is unset"
  [ -n "$display" ] && named="DISPLAY=$display"
  no_display ${display:+env DISPLAY="$display"} "$BUILD_DIR/show" >/dev/null 2>"$err"
  rc=$?
  cat "$err" >&2
  [ "$rc" -eq 1 ] || fail "${named}: exit code $rc, expected 1"
  [ "$(wc -l <"$err")" -eq 1 ] || fail "${named}: expected one line on stderr"
  grep -q "^show: no display .*$named.*\./run\.sh" "$err" || fail "${named}: the line names neither it nor ./run.sh"
done

# Asked for in SDL_VIDEODRIVER, the offscreen driver does play the show (here its last half
# second). Without a sound device it plays silent and says so on one line, with SDL's reason,
# and nothing of the sound library's own: with a driver that does not exist, and with SDL's
# own choice, which on a machine without a sound card ends in ALSA's complaints.
for audio in no-such-driver ""; do
  sound=(-u SDL_AUDIODRIVER)
  [ -n "$audio" ] && sound=(SDL_AUDIODRIVER="$audio")
  no_display env "${sound[@]}" SDL_VIDEODRIVER=offscreen "$BUILD_DIR/show" --window --from 183500 \
    >/dev/null 2>"$err"
  rc=$?
  cat "$err" >&2
  [ "$rc" -eq 0 ] || fail "offscreen, audio '$audio': exit code $rc, expected 0"
  [ -z "$audio" ] && [ ! -s "$err" ] && continue   # a sound device after all
  [ "$(wc -l <"$err")" -eq 1 ] || fail "offscreen, audio '$audio': expected one line on stderr"
  grep -q '^show: no sound device (.\+): playing silent$' "$err" || fail "offscreen, audio '$audio': no 'no sound device' line"
done

(cd "$empty" && no_display "$BUILD_DIR/show" --no-such-flag >/dev/null 2>"$err")
rc=$?
[ "$rc" -eq 3 ] || fail "from an empty folder: exit code $rc, expected 3"
[ "$(wc -l <"$err")" -eq 2 ] || fail "from an empty folder: expected two lines on stderr"
sed -n 1p "$err" | grep -q "^show: ignoring unknown argument '--no-such-flag'" || fail "no warning first"
sed -n 2p "$err" | grep -qF "$(cd "$empty" && pwd -P)/data" || fail "the folder looked in is not named"
sed -n 2p "$err" | grep -q -- "--data" || fail "--data is not named"

# Where the working directory has no data/, the one beside the program is read (a copy: the
# program's folder is found with symbolic links resolved); --data still wins over it.
mkdir "$empty/bin" && cp "$BUILD_DIR/show" "$empty/bin/show" && ln -s "$PWD/data" "$empty/bin/data"
(cd "$empty" && no_display bin/show --window >/dev/null 2>"$err")
rc=$?
[ "$rc" -eq 1 ] || fail "data/ beside the program: exit code $rc, expected 1 (no display)"
grep -q "^show: no display" "$err" || fail "data/ beside the program is not read"
(cd "$empty" && no_display bin/show --data nowhere >/dev/null 2>"$err")
rc=$?
[ "$rc" -eq 3 ] || fail "--data nowhere beside data/: exit code $rc, expected 3"

out=$(no_display "$BUILD_DIR/show" --help 2>"$err")
rc=$?
[ "$rc" -eq 0 ] && [ ! -s "$err" ] || fail "--help: exit code $rc"
case "$out" in "usage: show "*) ;; *) fail "--help printed: $out" ;; esac
for bad in "--size 0x0" "--size abc" "--size 800x" "--data" "--fullscreen --size" \
  "--resolution 319x240" "--resolution 1920x" "--resolution Auto" "--resolution=" "--resolution" \
  "--fullscreen=x" "--loop=0" "--controls=off" "--window=" "--exact=1" "--help=x"; do
  # shellcheck disable=SC2086
  no_display "$BUILD_DIR/show" $bad >/dev/null 2>"$err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "show $bad: exit code $rc, expected 2"
  sed -n 1p "$err" | grep -q '^show: --' || fail "show $bad: no one-line reason first"
  sed -n 2p "$err" | grep -q '^usage: show' || fail "show $bad: no usage after the reason"
done
exit 0
