#!/usr/bin/env bash
# Builds in Release and runs every benchmark, then the capture throughput; prints one table.
# Where a figure has a plain and a fast version (whole frames, the frame tail, the closing
# sequence, the capture), both are measured in the same run, side by side.
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

# Capture throughput at 30 fps, 121 frames: the first 4 s of the show (to PNG and to video)
# and 20 to 24 s (scene 4, the busiest geometry; the frames before are computed through a
# one-pixel scissor), each with the fast path and with --exact, one after the other.
capture_rate() {
  local start end
  start=$(date +%s.%N)
  build/tools/capture/capture --fps 30 "$@" >/dev/null 2>&1 || return 0
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", 121 / (e - s) }'
}
capture_row() {   # label, then the capture flags
  local label=$1 plain fast
  shift
  fast=$(capture_rate "$@")
  plain=$(capture_rate --exact "$@")
  printf '%-32s %-22s %11s fps  (plain %s fps)\n' "capture" "$label" "${fast:-n/a}" "${plain:-n/a}" >> "$out/capture.txt"
}
: > "$out/capture.txt"
capture_row "png, 0-4 s" --to 4000 --png "$out/png"
command -v ffmpeg >/dev/null && capture_row "video, 0-4 s" --to 4000 --video "$out/v.mp4"
capture_row "png, 20-24 s" --from 20000 --to 24000 --png "$out/png4"

printf '\n%-32s %-22s %14s\n' "benchmark" "case" "time"
printf '%-32s %-22s %14s\n' "---------" "----" "----"
# Rows with both figures (columns fast_ms, plain_ms) print the fast one, then the plain one.
awk -F, '{ gsub(/"/, "");
  if ($12 != "" && $13 != "")
    printf "%-32s %-22s %11.3f %s  (plain %.3f %s, fast/plain %.2f)\n", $2, $9, $12, $6, $13, $6, $12 / $13;
  else
    printf "%-32s %-22s %11.3f %s\n", $2, $9, $4, $6 }' "$out/all.csv"
cat "$out/capture.txt"
echo "(fast path by default, plain: --exact; capture figures include loading the data set)"
