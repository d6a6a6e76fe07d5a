#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/), seeds their corpora from data/ and
# fuzz/examples/, and runs each target for a while, two at a time; fails on any finding.
#
#   scripts/fuzz-long.sh [SECONDS_PER_TARGET (default 1800)] [TARGET...]
#
# Targets: bof baf texture shader bass. The corpora grow in build-fuzz/corpus/<target>/ and
# are kept between runs. An input that breaks a target is saved in build-fuzz/findings/
# <target>/: fix the reader, then copy the input into tests/regress/inputs/<target>/ so the
# regression tests replay it. Environment: FUZZ_BUILD (build folder), DATA (data set).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(bof baf texture shader bass)
build=${FUZZ_BUILD:-build-fuzz}
data=${DATA:-data}

mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DSHOW_FUZZ=ON -DSHOW_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >"$build/fuzz-build.log" 2>&1 ||
  { tail -n 30 "$build/fuzz-build.log" >&2; exit 1; }
fuzz/seed-corpus.sh "$data" "$build/corpus"

max_len() {
  case "$1" in
    texture) echo 8192 ;;
    bass) echo 9000 ;;
    *) echo 16384 ;;
  esac
}

# run_one TARGET: fuzzes for $seconds; 0 when nothing was found.
run_one() {
  local t=$1 log="$build/fuzz-$1.log"
  mkdir -p "$build/findings/$t"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=10 \
    -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t/" "$build/corpus/$t" >"$log" 2>&1
  local rc=$?
  local runs
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$')
  if [ "$rc" -ne 0 ]; then
    echo "fuzz_$t: FINDING (exit code $rc); input saved in $build/findings/$t/" >&2
    grep -E -A 25 'ERROR:|FUZZ FINDING|runtime error|deadly signal|timeout' "$log" | head -n 60 >&2
    return 1
  fi
  echo "fuzz_$t: ${runs:-?} inputs in ${seconds} s, no finding" >&2
}

status=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  if [ "${#pids[@]}" -ge 2 ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit $status
