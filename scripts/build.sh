#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, build in Release into
# build/ (the targets given, or everything), and (re)generate data/ when it is missing or
# older than its generator.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "$#" -gt 0 ]; then
  targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build build -j"$(nproc)" "${targets[@]}"
else
  cmake --build build -j"$(nproc)"
fi

generator=build/tools/make-data/make-data
stamp=data/.generated
if [ -x "$generator" ] && { [ ! -f "$stamp" ] || [ "$generator" -nt "$stamp" ]; }; then
  echo "Generating the data set into data/ ..." >&2
  rm -f "$stamp"
  "$generator" --out data
  touch "$stamp"
fi
