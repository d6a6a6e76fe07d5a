#!/usr/bin/env bash
# Runs a program of the Windows build (scripts/build-windows.sh) under Debian's 64-bit Wine,
# to try it on Linux:
#   scripts/run-windows.sh [--exe PATH.exe] [the program's arguments...]
# PATH.exe defaults to build-windows/show.exe. The program's exit status is this script's.
#
# The Wine prefix is made once per machine and Wine version, beside the library cache:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/show-windows/wine-<version>/
# (made in a temporary folder and renamed when complete). WINEPREFIX, when set, is used
# instead, as it is. Wine's own messages are off unless WINEDEBUG says otherwise.
# A window needs an X display: run it inside xvfb-run where there is none.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

exe=$ROOT/build-windows/show.exe
if [ "${1:-}" = "--exe" ]; then
  [ "$#" -ge 2 ] || { echo "run-windows: --exe needs a path" >&2; exit 2; }
  exe=$2
  shift 2
fi
[ -f "$exe" ] || { echo "run-windows: no $exe (build it with scripts/build-windows.sh)" >&2; exit 1; }

# The 64-bit loader lives in Wine's library folder, off PATH; the "wine" wrapper on PATH
# wants the 32-bit one.
WINE=$(dpkg -L wine64 2>/dev/null | grep -m 1 '/wine64$' || true)
[ -n "$WINE" ] && [ -x "$WINE" ] || { echo "run-windows: no wine64 (apt-get install wine64)" >&2; exit 1; }
WINESERVER=$(dirname "$WINE")/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: the prefix is made without asking to download them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ -z "${WINEPREFIX:-}" ]; then
  version=$("$WINE" --version | sed 's/[^A-Za-z0-9.+_-]\{1,\}/_/g; s/_$//')
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/show-windows
  prefix=$cache/$version
  if [ ! -d "$prefix" ]; then
    mkdir -p "$cache"
    work=$(mktemp -d "$cache/.wine-prefix.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    echo "run-windows: preparing a Wine prefix (once, about 20 s)" >&2
    # wineboot -i fills the prefix; the server's exit writes the registry out.
    if ! WINEPREFIX=$work/prefix "$WINE" wineboot -i >"$work/wineboot.log" 2>&1 ||
       ! WINEPREFIX=$work/prefix "$WINESERVER" -w; then
      echo "run-windows: wineboot failed: $(tail -n 1 "$work/wineboot.log")" >&2
      exit 1
    fi
    mv -T "$work/prefix" "$prefix" 2>/dev/null || true  # another run may have been quicker
    rm -rf "$work"
    trap - EXIT INT TERM
  fi
  export WINEPREFIX=$prefix
fi

exec "$WINE" "$exe" "$@"
