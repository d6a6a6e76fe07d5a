#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the show, the data generator and the
# capture tool in Release, generates data/ when needed, then runs the show from the
# repository's root with the arguments given. Where the show finds no display to open a
# window on (its exit code 1, and only that), it renders the whole show to show.mp4 at
# 30 frames per second instead. Every other failure is reported and its exit code passed on.
set -euo pipefail
cd "$(dirname "$0")"

case "${1:-}" in
  -h | --help)
    cat <<'USAGE'
usage: ./run.sh [show flags]
Installs what is missing, builds, generates data/, then plays the show with the flags given,
for example ./run.sh --window --controls. Where no window can be opened (no display), it
renders the whole show to show.mp4 instead (about 4 1/2 minutes on 2 cores without a GPU).
The show's flags:
USAGE
    if [ -x build/show ]; then
      build/show --help
    else
      echo "  --fullscreen | --window, --size WxH, --data DIR, --from MS | --scene N, --controls,"
      echo "  --loop, --exact, --renderer gl1|es3|core, --help (build/show --help says more once it is built)"
    fi
    exit 0
    ;;
esac

./scripts/build.sh show make-data capture

render_video() {
  echo "No window to play in: rendering the whole show to show.mp4 at 30 fps instead" \
       "(about 4 1/2 minutes on 2 cores without a GPU; Ctrl-C keeps what is done) ..." >&2
  local status=0
  build/tools/capture/capture --fps 30 --video show.mp4 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "run.sh: the render stopped (exit code $status)" >&2
    exit "$status"
  fi
  echo "The show is in $(pwd)/show.mp4" >&2
}

echo "Playing the show (Escape ends it) ..." >&2
status=0
build/show "$@" || status=$?
# 1 means the show could open no window (no display, or no GL context): nothing else.
if [ "$status" -eq 1 ]; then
  render_video
  exit 0
fi
if [ "$status" -ne 0 ]; then
  echo "run.sh: the show ended with exit code $status" >&2
fi
exit "$status"
