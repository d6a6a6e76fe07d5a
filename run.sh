#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the show, the data generator and the
# capture tool in Release, generates data/ when needed, then runs the show from the
# repository's root. Without a display (or when no window can be opened) it renders the
# whole show to show.mp4 at 30 frames per second instead.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh show make-data capture

render_video() {
  echo "No display to play on: rendering the show to show.mp4 at 30 fps (this takes a while) ..." >&2
  build/tools/capture/capture --fps 30 --video show.mp4
  echo "The show is in $(pwd)/show.mp4" >&2
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  render_video
  exit 0
fi
status=0
build/show || status=$?
# Exit status 1 means the window or its GL context could not be made.
if [ "$status" -eq 1 ]; then
  render_video
  exit 0
fi
exit "$status"
