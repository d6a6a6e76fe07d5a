#!/usr/bin/env bash
# Builds in Release and runs every benchmark, then the capture throughput; prints one table,
# then the figures taken at 640x480, 1024x768, 1440x1080 and 2048x1536 (whole frames, the
# frame tail, the capture) side by side with their growth over 1024x768, and whether the
# 2048x1536 target is met. Where a figure has a plain and a fast version, both are measured
# in the same run, side by side. Last, every scene's whole frame on the two picture paths, gl1
# and es3, in wall and process CPU time, and whether es3 stays within 1.2 x gl1's CPU time.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# bench_show and bench_render draw their frames and tails at four picture sizes, set one
# after the other inside the one process (setScreenSize).
for b in build/bench/*/bench_*; do
  [ -x "$b" ] || continue
  [ "$(basename "$b")" = bench_paths ] && continue   # its own table, at the end
  "$b" --benchmark_format=csv 2>/dev/null | grep -v '^name,' | sed "s|^|$(basename "$b"),|" >> "$out/all.csv" || true
done

# Each scene's whole frame on gl1 and on es3, the two contexts taking turns in one process
# (build/bench/paths); its CSV is read by the header's column names.
build/bench/paths/bench_paths --benchmark_format=csv 2>/dev/null > "$out/paths.csv" || true

# Capture throughput at 30 fps, 121 frames: the first 4 s of the show (to PNG and to video)
# and 20 to 24 s (scene 4, the busiest geometry; the frames before are computed through a
# one-pixel scissor), each with the fast path and with --exact, one after the other, at each
# picture size (--resolution; a 4:3 frame is the picture itself).
sizes="640x480 1024x768 1440x1080 2048x1536"
capture_rate() {
  local start end
  start=$(date +%s.%N)
  build/tools/capture/capture --fps 30 "$@" >/dev/null 2>&1 || return 0
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", 121 / (e - s) }'
}
capture_row() {   # label, size, then the capture flags
  local label=$1 size=$2 plain fast
  shift 2
  fast=$(capture_rate --resolution "$size" "$@")
  plain=$(capture_rate --exact --resolution "$size" "$@")
  echo "capture,${size%x*},$label,${fast:-},${plain:-}" >> "$out/sized.csv"
}
for size in $sizes; do
  capture_row "png 0-4 s" "$size" --to 4000 --png "$out/png"
  command -v ffmpeg >/dev/null && capture_row "video 0-4 s" "$size" --to 4000 --video "$out/v.mp4"
  capture_row "png 20-24 s" "$size" --from 20000 --to 24000 --png "$out/png4"
  rm -rf "$out/png" "$out/png4" "$out/v.mp4"
done

# The figures measured at every picture size (whole frames, the frame tail) go to the side-by-
# side table below: kind, picture width, scene (0 for the tail), fast and plain ms.
awk -F, '{ gsub(/"/, ""); split($2, part, "/");
  if (part[1] == "BM_SceneFrameGl" || part[1] == "BM_FrameTail") {
    ok = $10 != "true" && $12 != "";
    print (part[1] == "BM_FrameTail" ? "tail" : "frame") "," part[2] "," (part[1] == "BM_FrameTail" ? 0 : part[3]) \
      "," (ok ? $12 : "") "," (ok ? $13 : "") } }' "$out/all.csv" >> "$out/sized.csv"

printf '\n%-32s %-22s %14s\n' "benchmark" "case" "time"
printf '%-32s %-22s %14s\n' "---------" "----" "----"
# Rows with both figures (columns fast_ms, plain_ms) print the fast one, then the plain one.
# The figures taken at every picture size are in the side-by-side table instead.
awk -F, '{ gsub(/"/, ""); split($2, part, "/");
  if (part[1] == "BM_SceneFrameGl" || part[1] == "BM_FrameTail") next;
  if ($12 != "" && $13 != "")
    printf "%-32s %-22s %11.3f %s  (plain %.3f %s, fast/plain %.2f)\n", $2, $9, $12, $6, $13, $6, $12 / $13;
  else
    printf "%-32s %-22s %11.3f %s\n", $2, $9, $4, $6 }' "$out/all.csv"
awk -F, '$1 == "capture" && $2 == 1024 {
  printf "%-32s %-22s %11s fps  (plain %s fps)\n", "capture", $3, $4 == "" ? "n/a" : $4, $5 == "" ? "n/a" : $5 }' "$out/sized.csv"
echo "(fast path by default, plain: --exact; capture figures include loading the data set; at 1024x768)"

# One row a figure, one column a picture size; then each figure over its 1024x768 one next to
# the pixel count's ratio (for the capture, the time a frame: 1 / frames a second); then the
# target: at 2048x1536 each scene's fast frame and the fast tail within 4.5 x 1024x768.
awk -F, -v sizes="$sizes" '
  function fmt(v) { return v == "" ? "n/a" : sprintf("%.1f", v) }
  function ratio(v, base, inverse) {
    if (v == "" || base == "" || v + 0 <= 0 || base + 0 <= 0) return "";
    return inverse ? base / v : v / base }
  function row(name, unit, key, inverse,   i, line, r) {
    line = sprintf("%-34s", name " (" unit ")");
    for (i = 1; i <= n; ++i) line = line sprintf(" %10s", fmt(value[key, width[i]]));
    table = table line "\n";
    line = sprintf("%-34s", name);
    for (i = 1; i <= n; ++i) {
      r = ratio(value[key, width[i]], value[key, 1024], inverse);
      line = line sprintf(" %10s", r == "" ? "n/a" : sprintf("%.2f", r)) }
    growth = growth line "\n" }
  function check(name, key,   r) {
    r = ratio(value[key, 2048], value[key, 1024], 0);
    if (r == "") { missing = missing " " name; return }
    if (r > worst) { worst = r; worstName = name }
    if (r > 4.5) over = over " " name }
  { if ($1 == "capture") {
      value["capture " $3 " fast", $2] = $4; value["capture " $3 " plain", $2] = $5;
      if (!(("capture " $3) in seen)) { seen["capture " $3] = 1; captures[++nc] = $3 }
    } else {
      value[$1 " " $3 " fast", $2] = $4; value[$1 " " $3 " plain", $2] = $5 } }
  END {
    n = split(sizes, label, " ");
    for (i = 1; i <= n; ++i) { split(label[i], wh, "x"); width[i] = wh[1]; pixels[i] = wh[1] * wh[2] }
    head = sprintf("%-34s", "");
    for (i = 1; i <= n; ++i) head = head sprintf(" %10s", label[i]);
    for (s = 1; s <= 10; ++s) {
      row("scene " s " frame, fast", "ms", "frame " s " fast", 0);
      row("scene " s " frame, plain", "ms", "frame " s " plain", 0) }
    row("frame tail, fast", "ms", "tail 0 fast", 0);
    row("frame tail, plain", "ms", "tail 0 plain", 0);
    for (c = 1; c <= nc; ++c) {
      row("capture " captures[c] ", fast", "fps", "capture " captures[c] " fast", 1);
      row("capture " captures[c] ", plain", "fps", "capture " captures[c] " plain", 1) }
    printf "\nBy picture size, on llvmpipe (ms a frame; capture at 30 fps in frames a second)\n%s\n%s", head, table;
    line = sprintf("%-34s", "pixels over 1024x768");
    for (i = 1; i <= n; ++i) line = line sprintf(" %10.2f", pixels[i] / (1024 * 768));
    printf "\nCost over the 1024x768 figure (capture: the time a frame)\n%s\n%s\n%s", head, line, growth;
    worst = 0;
    for (s = 1; s <= 10; ++s) check("scene " s, "frame " s " fast");
    check("frame tail", "tail 0 fast");
    verdict = over == "" && missing == "" ? "met" : "missed";
    printf "\ntarget 2048x1536 within 4.5 x 1024x768 (every scene'"'"'s fast frame, the fast tail): %s", verdict;
    if (worstName != "") printf " (largest %s, %.2f x)", worstName, worst;
    if (over != "") printf "; over:%s", over;
    if (missing != "") printf "; no figures:%s", missing;
    printf "\n" }' "$out/sized.csv"

# The picture paths: per scene gl1 and es3 in wall time and in the CPU time of the whole process
# (llvmpipe's own threads included), es3 over gl1 for each; then the target: no scene's es3
# CPU time over 1.2 x its gl1 figure.
awk -F, '
  function fmt(v) { return v == "" ? "n/a" : sprintf("%.1f", v) }
  function ratio(a, b) { return a == "" || b == "" || b + 0 <= 0 ? "" : a / b }
  function fmtRatio(r) { return r == "" ? "n/a" : sprintf("%.2f", r) }
  NR == 1 && $1 == "name" { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i }; next }
  { gsub(/"/, ""); split($1, part, "/");
    if (part[1] != "BM_PathFrame") next;
    s = part[2] + 0;
    if ($col["error_occurred"] == "true") { error[s] = $col["error_message"]; next }
    for (k in col) if (k ~ /^(gl1|es3)/) value[s, k] = $col[k] }
  END {
    printf "\nPicture paths at 1024x768 on llvmpipe, fast tail (ms, the median frame; CPU: the whole process)\n";
    printf "%-9s %9s %9s %8s %9s %9s %8s\n", "", "gl1 wall", "es3 wall", "es3/gl1", "gl1 CPU", "es3 CPU", "es3/gl1";
    worst = 0;
    for (s = 1; s <= 10; ++s) {
      w = ratio(value[s, "es3_ms"], value[s, "gl1_ms"]);
      c = ratio(value[s, "es3_cpu_ms"], value[s, "gl1_cpu_ms"]);
      printf "%-9s %9s %9s %8s %9s %9s %8s%s\n", "scene " s, fmt(value[s, "gl1_ms"]), fmt(value[s, "es3_ms"]),
        fmtRatio(w), fmt(value[s, "gl1_cpu_ms"]), fmt(value[s, "es3_cpu_ms"]), fmtRatio(c),
        s in error ? "  (" error[s] ")" : "";
      if (c == "") { missing = missing " " s; continue }
      if (c > worst) { worst = c; worstScene = s }
      if (c > 1.2) over = over " " s }
    verdict = over == "" && missing == "" ? "met" : "missed";
    printf "\ntarget es3 CPU time within 1.2 x gl1 in every scene: %s", verdict;
    if (worstScene != "") printf " (largest scene %d, %.2f x)", worstScene, worst;
    if (over != "") printf "; over: scene%s", over;
    if (missing != "") printf "; no figures: scene%s", missing;
    printf "\n" }' "$out/paths.csv"
