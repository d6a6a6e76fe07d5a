#!/usr/bin/env bash
# Installs the Debian packages the build, the show, the tools and the tests need.
# Run as root (or with sudo available); otherwise it names what is missing and stops.
# `deps.sh --missing` only prints the missing packages, one line, empty when none.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libx11-dev libasound2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
  libmpg123-dev libfftw3-dev libmp3lame-dev lame
  libfreetype-dev fonts-dejavu-core libpng-dev
  libgtest-dev libbenchmark-dev libglm-dev
  ffmpeg xvfb xdotool x11-utils xfonts-base
)
# The fuzz build takes any installed clang that has its runtime libraries (libFuzzer, the
# sanitizers); only when there is none, Debian's default clang and its runtimes.
if ! "$(dirname "$0")/find-clang.sh" >/dev/null; then
  PACKAGES+=(clang libclang-rt-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "${1:-}" = --missing ]; then
  echo "${missing[*]}"
  exit 0
fi
[ "${#missing[@]}" -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO="sudo"
else
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
