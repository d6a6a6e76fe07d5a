#!/usr/bin/env bash
# Seeds the fuzz corpora from a data set and fuzz/examples/:
#   fuzz/seed-corpus.sh DATA_DIR CORPUS_DIR
# CORPUS_DIR/<target>/ gets the data set's files of that kind (meshes and shaders whole when
# small, else their first 16 KiB; pictures as "name\n" plus their first 4 KiB; the envelope
# whole and cut short) and the example files. Existing corpus files are kept, so inputs the
# fuzzers found earlier stay.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
data=${1:?usage: seed-corpus.sh DATA_DIR CORPUS_DIR}
corpus=${2:?usage: seed-corpus.sh DATA_DIR CORPUS_DIR}
mkdir -p "$corpus"/{bof,baf,texture,shader,bass}

shopt -s nullglob
for f in "$data"/*.bof "$here"/examples/*.bof; do head -c 16384 "$f" >"$corpus/bof/seed-$(basename "$f")"; done
for f in "$data"/*.baf "$here"/examples/*.baf; do head -c 16384 "$f" >"$corpus/baf/seed-$(basename "$f")"; done
for f in "$data"/*.raw; do
  [ "$(basename "$f")" = bassloop_low.raw ] && continue
  { printf 'data/%s\n' "$(basename "$f")"; head -c 4096 "$f"; } >"$corpus/texture/seed-$(basename "$f")"
done
for f in "$here"/examples/*.texture; do cp "$f" "$corpus/texture/seed-$(basename "$f")"; done
for f in "$data"/aniso_light.* "$here"/examples/*.vert; do head -c 16384 "$f" >"$corpus/shader/seed-$(basename "$f")"; done
if [ -f "$data/bassloop_low.raw" ]; then
  cp "$data/bassloop_low.raw" "$corpus/bass/seed-full"
  head -c 8018 "$data/bassloop_low.raw" >"$corpus/bass/seed-one-short"
fi
for f in "$here"/examples/*.bass; do cp "$f" "$corpus/bass/seed-$(basename "$f")"; done
