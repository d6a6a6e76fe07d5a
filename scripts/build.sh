#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, build in Release into
# build/, and (re)generate data/ when it is missing or older than the generator.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"

stamp=data/.generated
if [ ! -f "$stamp" ] || [ build/tools/make-data/make-data -nt "$stamp" ]; then
  echo "Generating the data set into data/ ..." >&2
  build/tools/make-data/make-data --out data
  touch "$stamp"
fi
