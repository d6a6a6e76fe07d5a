#!/usr/bin/env bash
# The page's speed beside the program's: every scene's whole frame in the page (WebAssembly in
# headless Chromium, index.html?bench) and natively on the same shader path (es3 on llvmpipe,
# bench_paths), from the same run, at 1024x768; the page twice, its WebGL2 through ANGLE on
# SwiftShader (as the browser tests) and on llvmpipe (the native figures' rasteriser, so that
# the ratio is the browser's and WebAssembly's own cost); the time from the click that
# answers the start question to the first frame; and whether the targets are met: no scene in
# the page over 2 x its native figure, the first frame within 2 s.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh
[ -f dist/web/index.html ] || scripts/build-web.sh
(cd tests/web && npm ci --silent --no-audit --no-fund)
out=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$out"' EXIT

SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy build/bench/paths/bench_paths --benchmark_format=csv \
  2>/dev/null > "$out/paths.csv" || true

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory dist/web "$port" >/dev/null 2>&1 &
server=$!
node bench/web/page_bench.js "http://127.0.0.1:$port/index.html" swiftshader > "$out/swiftshader.csv"
node bench/web/page_bench.js "http://127.0.0.1:$port/index.html" llvmpipe > "$out/llvmpipe.csv"

awk -F, '
  FILENAME ~ /paths.csv$/ {
    if ($1 == "name") { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i }; next }
    gsub(/"/, ""); split($1, part, "/");
    if (part[1] == "BM_PathFrame") native[part[2] + 0] = $col["es3_ms"];
    next }
  { which = FILENAME ~ /swiftshader.csv$/ ? "swiftshader" : "llvmpipe" }
  $1 == "scene" { page[which, $2 + 0] = $3; next }
  $1 == "click_to_first_frame" { first[which] = $3 }
  function ratio(w, s) { return native[s] > 0 && page[w, s] != "" ? page[w, s] / native[s] : "" }
  function fmt(v, f) { return v == "" ? "n/a" : sprintf(f, v) }
  function verdict(w,   s, r, worst, worstScene, over, missing) {
    worst = 0;
    for (s = 1; s <= 10; ++s) {
      r = ratio(w, s);
      if (r == "") { missing = missing " " s; continue }
      if (r > worst) { worst = r; worstScene = s }
      if (r > 2) over = over " " s }
    printf "target page on %s within 2 x native in every scene: %s", w, over == "" && missing == "" ? "met" : "missed";
    if (worstScene != "") printf " (largest scene %d, %.2f x)", worstScene, worst;
    if (over != "") printf "; over: scene%s", over;
    if (missing != "") printf "; no figures: scene%s", missing;
    printf "\n" }
  END {
    printf "Whole frame at 1024x768, es3 (ms, the median frame); the page WebGL2 through ANGLE\n";
    printf "%-9s %9s %13s %7s %13s %7s\n", "", "native", "page swiftsh.", "ratio", "page llvmpipe", "ratio";
    for (s = 1; s <= 10; ++s)
      printf "%-9s %9s %13s %7s %13s %7s\n", "scene " s, fmt(native[s], "%.1f"),
        fmt(page["swiftshader", s], "%.1f"), fmt(ratio("swiftshader", s), "%.2f"),
        fmt(page["llvmpipe", s], "%.1f"), fmt(ratio("llvmpipe", s), "%.2f");
    printf "\n";
    for (w in first) printf "click to first frame, page on %s: %.0f ms (target 2000 ms: %s)\n", w, first[w],
      first[w] <= 2000 ? "met" : "missed";
    verdict("swiftshader");
    verdict("llvmpipe") }' "$out/paths.csv" "$out/swiftshader.csv" "$out/llvmpipe.csv"
