#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/), seeds their corpora from data/ and
# fuzz/examples/, and runs each target, two at a time; fails on any finding.
#
#   scripts/fuzz-long.sh [SECONDS_PER_TARGET (default 1800)] [TARGET...]
#   scripts/fuzz-long.sh --fixed [TARGET...]
#
# Targets: bof baf texture shader bass. By hand, each target fuzzes at random for the time
# given, and the corpora grow in build-fuzz/corpus/<target>/ and are kept between runs.
# --fixed (what scripts/hardening.sh runs) is the same on every run: each target starts from
# a fresh copy of the seed corpus (build-fuzz/fixed-corpus/) with a fixed seed and a fixed
# number of inputs, so a commit passes or fails the same way every time.
# An input that breaks a target is saved in build-fuzz/findings/<target>/: fix the reader,
# then copy the input into tests/regress/inputs/<target>/ so the regression tests replay it.
# Environment: FUZZ_BUILD (build folder), DATA (data set), FUZZ_SEED (--fixed's seed).
set -uo pipefail
cd "$(dirname "$0")/.."
fixed=0
seconds=1800
if [ "${1:-}" = --fixed ]; then
  fixed=1
  shift
elif [ "$#" -gt 0 ]; then
  seconds=$1
  shift
fi
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(bof baf texture shader bass)
build=${FUZZ_BUILD:-build-fuzz}
data=${DATA:-data}
seed=${FUZZ_SEED:-15}

read -r cc cxx < <(scripts/find-clang.sh) ||
  { echo "no clang with its libFuzzer runtime: run scripts/deps.sh" >&2; exit 1; }
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_CXX_COMPILER="$cxx" -DSHOW_FUZZ=ON -DSHOW_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >"$build/fuzz-build.log" 2>&1 ||
  { tail -n 30 "$build/fuzz-build.log" >&2; exit 1; }
if [ "$fixed" = 1 ]; then
  corpus=$build/fixed-corpus
  rm -rf "$corpus"
else
  corpus=$build/corpus
fi
fuzz/seed-corpus.sh "$data" "$corpus"

max_len() {
  case "$1" in
    texture) echo 8192 ;;
    bass) echo 9000 ;;
    *) echo 16384 ;;
  esac
}

# Inputs per target for --fixed: under a minute each, two targets at a time, on a 2-core
# machine shared with other work (the shader and envelope checks do much more per input,
# hence their far lower counts).
fixed_runs() {
  case "$1" in
    bof) echo 200000 ;;
    baf) echo 350000 ;;
    texture) echo 1000000 ;;
    shader) echo 20000 ;;
    bass) echo 3000 ;;
  esac
}

# run_one TARGET: fuzzes for $seconds, or with --fixed its fixed runs; 0 when nothing was found.
run_one() {
  local t=$1 log="$build/fuzz-$1.log" limit
  mkdir -p "$build/findings/$t"
  if [ "$fixed" = 1 ]; then
    # -reload=0: rereading the corpus folder on a timer would make the run depend on timing.
    limit=(-seed="$seed" -runs="$(fixed_runs "$t")" -reload=0)
  else
    limit=(-max_total_time="$seconds")
  fi
  local begin=$SECONDS
  "$build/fuzz/fuzz_$t" "${limit[@]}" -max_len="$(max_len "$t")" -timeout=10 \
    -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t/" "$corpus/$t" >"$log" 2>&1
  local rc=$?
  local runs
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$')
  if [ "$rc" -ne 0 ]; then
    echo "fuzz_$t: FINDING (exit code $rc); input saved in $build/findings/$t/" >&2
    grep -E -A 25 'ERROR:|FUZZ FINDING|runtime error|deadly signal|timeout' "$log" | head -n 60 >&2
    return 1
  fi
  echo "fuzz_$t: ${runs:-?} inputs in $((SECONDS - begin)) s, no finding" >&2
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
