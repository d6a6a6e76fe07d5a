#!/usr/bin/env bash
# Installs what is missing, builds, generates data/, then runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)"
