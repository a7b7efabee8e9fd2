#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 30) on its
# seed corpus in fuzz/corpus/<target>, with the random seed SEED (default 1):
# a run with the same seed repeats the same inputs, so a failure can be
# reproduced; CI keeps the fixed default.
# Usage: scripts/fuzz.sh [SECONDS] [SEED] [TARGET...]   (targets: emf, expr, ...)
#   VX_FUZZ_JOBS=N runs N targets at a time (default 1); a long campaign on two
#   cores: VX_FUZZ_JOBS=2 scripts/fuzz.sh 1800 4242
# VX_DETECT_LEAKS=1 adds LeakSanitizer (tests/lsan.supp names the only
# allocations it forgives).
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
  echo "fuzzing $target for ${seconds}s with seed $seed"
  if ASAN_OPTIONS=detect_leaks=${VX_DETECT_LEAKS:-0} \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    QT_QPA_PLATFORM=offscreen \
    build/fuzz/fuzz/fuzz_"$target" -seed="$seed" -max_total_time="$seconds" -rss_limit_mb=4096 \
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
export seconds seed logs VX_DETECT_LEAKS

printf '%s\n' "${targets[@]}" | xargs -P "${VX_FUZZ_JOBS:-1}" -I{} bash -c 'run_target "$1"' _ {}
