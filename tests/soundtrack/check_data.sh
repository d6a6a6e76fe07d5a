#!/usr/bin/env bash
# The generated soundtrack drives the scenes: make-data's check mode decodes data/'s MP3,
# measures both band levels at 60 frames per second and the bass envelope, and fails on a miss.
set -euo pipefail
build="${1:?usage: check_data.sh BUILD_DIR}"
exec "$build/tools/make-data/make-data" --check-soundtrack --out data
