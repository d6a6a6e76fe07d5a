#!/usr/bin/env bash
# make-data into a folder where files cannot be written: it exits non-zero and the data set
# gets no finished mark, so the next build generates it again. One file is blocked by a
# folder of its name (the open fails, even for root), another points at /dev/full (the
# open succeeds, the write fails); then, unblocked, the same run succeeds and marks it.
set -uo pipefail
build="$1"
generator="$build/tools/make-data/make-data"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; cat "$tmp/log" 2>/dev/null; exit 1; }

for part in shaders meshes; do
  out="$tmp/$part"
  mkdir -p "$out"
  case $part in
    shaders) mkdir "$out/aniso_light.frag"; ln -s /dev/full "$out/aniso_light.vert" ;;
    meshes) mkdir "$out/furball.baf"; ln -s /dev/full "$out/tapis.bof" ;;
  esac
  if "$generator" --only "$part" --out "$out" >"$tmp/log" 2>&1; then fail "$part: make-data exited 0"; fi
  grep -q "cannot write '$out/" "$tmp/log" || fail "$part: no message naming the file"
  if scripts/generate-data.sh "$generator" "$out" --only "$part" >"$tmp/log" 2>&1; then
    fail "$part: generate-data.sh exited 0"
  fi
  [ ! -e "$out/.generated" ] || fail "$part: a failed run left the finished mark"
  rm -rf "$out/aniso_light.frag" "$out/aniso_light.vert" "$out/furball.baf" "$out/tapis.bof"
  scripts/generate-data.sh "$generator" "$out" --only "$part" >"$tmp/log" 2>&1 || fail "$part: unblocked run failed"
  [ -f "$out/.generated" ] || fail "$part: a good run left no finished mark"
done
echo ok
