#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, build in Release into
# build/ (the targets given, or everything), and (re)generate data/ when it is missing,
# unfinished or older than its generator (scripts/generate-data.sh).
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
if [ -x "$generator" ]; then
  ./scripts/generate-data.sh "$generator" data
fi
