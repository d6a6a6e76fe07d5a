#!/usr/bin/env bash
# Installs what is missing, builds everything in Release, generates data/ when needed,
# then runs every test; the exit status is non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
ctest --test-dir build --output-on-failure --no-tests=error -j"$(nproc)"
# The hardening checks (sanitizer build of the whole suite, fuzzing, the bad-data suite,
# leak checks) take long on two cores and are not yet measured against CI's time limit:
# run them with SHOW_HARDENING=1.
if [ "${SHOW_HARDENING:-0}" = 1 ]; then
  ./scripts/hardening.sh
fi
