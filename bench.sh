#!/usr/bin/env bash
# Builds in Release and runs every benchmark, then the capture throughput; prints one table.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
for b in build/bench/*/bench_*; do
  [ -x "$b" ] || continue
  "$b" --benchmark_format=csv 2>/dev/null | grep -v '^name,' | sed "s|^|$(basename "$b"),|" >> "$out/all.csv" || true
done

# Capture throughput: the first 4 s of the show at 30 fps (121 frames), to PNG and to video.
capture_rate() {
  local start end
  start=$(date +%s.%N)
  build/tools/capture/capture --fps 30 --to 4000 "$@" >/dev/null 2>&1 || return 0
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", 121 / (e - s) }'
}
png_rate=$(capture_rate --png "$out/png")
video_rate=""
command -v ffmpeg >/dev/null && video_rate=$(capture_rate --video "$out/v.mp4")

printf '\n%-28s %-22s %14s\n' "benchmark" "case" "time"
printf '%-28s %-22s %14s\n' "---------" "----" "----"
awk -F, '{ gsub(/"/, ""); printf "%-28s %-22s %11.3f %s\n", $2, $9, $4, $6 }' "$out/all.csv"
printf '%-28s %-22s %11s fps\n' "capture" "png, 30 fps" "${png_rate:-n/a}"
printf '%-28s %-22s %11s fps\n' "capture" "video, 30 fps" "${video_rate:-n/a}"
echo "(capture figures include loading the data set)"
