#!/usr/bin/env bash
# Tests the web page in headless Chromium (tests/web/web.test.js): the stills against the
# Linux capture's es3 ones, the sound's level against the Linux decode, the page's controls
# and messages, the bytes of a first load. Uses the Linux build and data/ that ./test.sh
# made; builds dist/web/ with scripts/build-web.sh when it is missing. The page is served
# from 127.0.0.1 (python3 -m http.server): dist/web/, a copy of it with one data file
# removed, and the unzipped dist/show-web.zip when there is one.
# One line per test; the exit status is non-zero when any fails, 128 + N when stopped by
# signal N.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CAPTURE=$ROOT/build/tools/capture/capture
STILLS=(15000 41000 90000 150000)

say() { echo "test-web: $*" >&2; }
# The Debian packages of the commands it runs, installed when a command is missing (a node
# and npm of another origin are taken as they are).
source "$ROOT/scripts/lib/debian-sources.bash"
PACKAGES=()
for pair in node:nodejs npm:npm chromium:chromium ffmpeg:ffmpeg python3:python3 unzip:unzip; do
  command -v "${pair%%:*}" >/dev/null || PACKAGES+=("${pair#*:}")
done
if [ "${#PACKAGES[@]}" -gt 0 ]; then
  install_packages >&2 || { say "cannot install ${PACKAGES[*]}"; exit 1; }
fi
[ -x "$CAPTURE" ] && [ -d data ] || { say "no Linux build or data/: run ./test.sh first"; exit 1; }

WORK=$(mktemp -d /tmp/show-web-tests.XXXXXX)
SERVER="" RUNNER=""
cleanup() {
  if [ -n "$RUNNER" ]; then kill -TERM "$RUNNER" 2>/dev/null || true; wait "$RUNNER" 2>/dev/null || true; fi
  # Chromium leads a process group of its own: whatever of it is left goes with it, and is
  # waited for (a few seconds at most) so that nothing of it outlives this script.
  if [ -s "$WORK/browser.pid" ]; then
    local group
    group=$(cat "$WORK/browser.pid")
    kill -KILL -- "-$group" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 -- "-$group" 2>/dev/null || break; sleep 0.1; done
  fi
  if [ -n "$SERVER" ]; then kill "$SERVER" 2>/dev/null || true; wait "$SERVER" 2>/dev/null || true; fi
  rm -rf "$WORK"
  RUNNER="" SERVER=""
}
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 143' TERM
trap cleanup EXIT

# npm's packages as the lock file pins them, installed again only when it changes.
LOCK_SUM=$(sha256sum tests/web/package-lock.json | cut -d' ' -f1)
if [ "$(cat tests/web/node_modules/.lock-sum 2>/dev/null)" != "$LOCK_SUM" ]; then
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  echo "$LOCK_SUM" >tests/web/node_modules/.lock-sum
fi

if [ ! -f dist/web/index.html ] || [ ! -f dist/web/show.wasm ]; then
  scripts/build-web.sh
fi

# The reference stills: the Linux capture through its shader path.
mkdir -p "$WORK/stills" "$WORK/site"
AT=()
for ms in "${STILLS[@]}"; do AT+=(--at "$ms"); done
"$CAPTURE" --renderer es3 "${AT[@]}" --png "$WORK/stills" >/dev/null 2>"$WORK/capture.log" ||
  { cat "$WORK/capture.log" >&2; say "the capture of the reference stills failed"; exit 1; }

# What is served: the page, a copy with the data file of H_bout.baf gone, the release.
ln -s "$ROOT/dist/web" "$WORK/site/web"
cp -as "$ROOT/dist/web" "$WORK/site/missing"
removed=$(find "$WORK/site/missing/data" -name 'H_bout.baf*' -print -delete)
[ -n "$removed" ] || { say "dist/web/data has no file for H_bout.baf"; exit 1; }
RELEASE=""
if [ -f dist/show-web.zip ]; then
  unzip -q dist/show-web.zip -d "$WORK/release"
  [ -f "$WORK/release/show-web/index.html" ] || { say "dist/show-web.zip has no show-web/index.html"; exit 1; }
  ln -s "$WORK/release/show-web" "$WORK/site/release"
  RELEASE=yes
fi

# The server takes a free port of its own and says which.
python3 -u -m http.server --bind 127.0.0.1 0 --directory "$WORK/site" >"$WORK/server.log" 2>&1 &
SERVER=$!
PORT=""
for _ in $(seq 100); do
  PORT=$(sed -n 's/.* port \([0-9][0-9]*\).*/\1/p' "$WORK/server.log" | head -n1)
  [ -n "$PORT" ] && break
  kill -0 "$SERVER" 2>/dev/null || break
  sleep 0.1
done
[ -n "$PORT" ] || { cat "$WORK/server.log" >&2; say "the page's server did not start"; exit 1; }
URL=http://127.0.0.1:$PORT

SHOW_WEB_URL=$URL/web/ SHOW_WEB_MISSING=$URL/missing/ SHOW_WEB_RELEASE=${RELEASE:+$URL/release/} \
SHOW_WEB_STILLS=$WORK/stills SHOW_WEB_MP3=$ROOT/data/maronekt-mix6.mp3 \
SHOW_WEB_BROWSER_PID=$WORK/browser.pid \
  node tests/web/web.test.js &
RUNNER=$!
status=0
wait "$RUNNER" || status=$?
RUNNER=""
exit "$status"
