#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the show and the data generator in
# Release, generates data/ when needed, then runs the show from the repository's root.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh show make-data
exec build/show
