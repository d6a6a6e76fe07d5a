#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: install what is missing, build in Release into
# build/ (the targets given, or everything), and (re)generate data/ when it is missing,
# unfinished or older than its generator (scripts/generate-data.sh).
#
# Each step prints one line; what the steps themselves print goes to build/build.log, and
# when a step fails its last lines are shown and the script exits with the step's status.
set -euo pipefail
cd "$(dirname "$0")/.."

mkdir -p build
log=build/build.log
: >"$log"

step() { echo "$1" >&2; }
logged() {
  local status=0
  "$@" >>"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "failed (exit code $status): $*; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit "$status"
  fi
}

missing=$(./scripts/deps.sh --missing)
if [ -n "$missing" ]; then
  step "Installing Debian packages: $missing (a few minutes) ..."
  logged ./scripts/deps.sh
fi

step "Building in Release into build/ (the build's output is in $log) ..."
logged cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
targets=()
for t in "$@"; do targets+=(--target "$t"); done
logged cmake --build build -j"$(nproc)" "${targets[@]}"

generator=build/tools/make-data/make-data
if [ -x "$generator" ] && ./scripts/generate-data.sh --needed "$generator" data; then
  step "Generating the data set into data/ (about a minute) ..."
  logged ./scripts/generate-data.sh "$generator" data
fi
