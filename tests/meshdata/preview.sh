#!/usr/bin/env bash
# preview-mesh on freshly generated meshes: one PNG strip per file (a panel per keyframe),
# and a usage error for a missing file argument.
set -euo pipefail
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
"$build/tools/make-data/make-data" --only meshes --out "$tmp" 2>/dev/null
export SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1
for f in furball.baf bubl.bof tele_noiz.baf; do
  "$build/tools/preview-mesh/preview-mesh" "$tmp/$f" --out "$tmp/$f.png" 2>"$tmp/log" || { cat "$tmp/log"; exit 1; }
  [ "$(head -c 4 "$tmp/$f.png" | tail -c 3)" = "PNG" ] || { echo "$f: no PNG written"; exit 1; }
done
# Width of the strip: 256 pixels per keyframe (11 for the screen).
width=$(od -An -j16 -N4 -tu1 "$tmp/tele_noiz.baf.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
[ "$width" -eq $((256 * 11)) ] || { echo "strip is $width wide"; exit 1; }
if "$build/tools/preview-mesh/preview-mesh" --out "$tmp/x.png" 2>/dev/null; then echo "accepted no file"; exit 1; fi
echo ok
