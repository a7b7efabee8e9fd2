#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 30) on its
# seed corpus in fuzz/corpus/<target>, with the random seed SEED (default 1):
# a run with the same seed repeats the same inputs, so a failure can be
# reproduced; CI keeps the fixed default.
# Usage: scripts/fuzz.sh [SECONDS] [SEED] [TARGET...]   (targets: emf, expr, ...)
#   SECONDS "ci" runs each target for the fixed number of executions listed in
#   fuzz/ci_runs.txt instead of for a time: the same inputs on every machine,
#   however fast, so a run that passes here passes in CI (the test command).
#   VX_FUZZ_JOBS=N runs N targets at a time (default 1); a long campaign on two
#   cores: VX_FUZZ_JOBS=2 scripts/fuzz.sh 1800 4242
#   VX_FUZZ_RUNS=N runs each target for N executions instead of for a time (a
#   campaign toward a count: VX_FUZZ_RUNS=10000000 scripts/fuzz.sh 0 4242 emf).
# LeakSanitizer is on (tests/lsan.supp names the only allocations it
# forgives); VX_DETECT_LEAKS=0 leaves it out.
# An input that crashes, times out or runs out of memory is copied into the
# target's corpus as fuzz/corpus/<target>/regression-<hash>: commit it, the
# suite replays every corpus file (fuzz_replay_<target>) from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
seed=${2:-1}
shift $(($# < 2 ? $# : 2))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    targets+=("${name#fuzz_}")
  done
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# Runs one target; prints its last line (the execution count) or, on a
# finding, the end of its log, and keeps the input that caused it.
run_target() {
  local target=$1 seeds=fuzz/corpus/$1 work
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
  mkdir -p "$work.found"
  local limit="-max_total_time=$seconds" what="${seconds}s"
  if [ "$seconds" = ci ]; then
    local runs
    runs=$(awk -v t="$target" '$1 == t { print $2 }' fuzz/ci_runs.txt)
    limit="-runs=${runs:?no count for $target in fuzz/ci_runs.txt}"
    what="$runs executions"
  elif [ -n "${VX_FUZZ_RUNS:-}" ]; then
    limit="-runs=$VX_FUZZ_RUNS"
    what="$VX_FUZZ_RUNS executions"
  fi
  echo "fuzzing $target for $what with seed $seed"
  # A fixed hash seed keeps Qt's hash tables (and so the paths taken) the same
  # from run to run.
  if QT_HASH_SEED=0 ASAN_OPTIONS=detect_leaks=${VX_DETECT_LEAKS:-1} \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    QT_QPA_PLATFORM=offscreen \
    build/fuzz/fuzz/fuzz_"$target" -seed="$seed" "$limit" -rss_limit_mb=4096 \
    -max_len=1048576 -artifact_prefix="$work.found/" "$work" >"$logs/$target.log" 2>&1; then
    echo "$target: $(tail -1 "$logs/$target.log")"
    rm -rf "$work" "$work.found"
    return 0
  fi
  tail -50 "$logs/$target.log"
  mkdir -p "$seeds"
  for found in "$work.found"/*; do
    [ -f "$found" ] || continue
    cp "$found" "$seeds/regression-$(sha1sum "$found" | cut -c1-16)"
    echo "$target: kept $(basename "$found") as a regression input in $seeds" >&2
  done
  rm -rf "$work" "$work.found"
  return 1
}
export -f run_target
export seconds seed logs VX_DETECT_LEAKS VX_FUZZ_RUNS

printf '%s\n' "${targets[@]}" | xargs -P "${VX_FUZZ_JOBS:-1}" -I{} bash -c 'run_target "$1"' _ {}
