#!/usr/bin/env bash
# Plays the show: installs what is missing, builds, generates data/, then runs it from the
# repository's root.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
exec build/show "$@"
