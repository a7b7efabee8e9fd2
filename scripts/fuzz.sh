#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for N seconds (default 30) on
# its seed corpus in fuzz/corpus/<target>. The random seed is fixed (set
# VX_FUZZ_SEED to change it), so that a CI run repeats the same inputs and a
# failure can be reproduced; longer fuzzing runs the targets by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for src in fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  seeds=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
    build/fuzz/fuzz/"$name" -seed="${VX_FUZZ_SEED:-1}" -max_total_time="$seconds" -rss_limit_mb=4096 -max_len=1048576 "$work" \
    >"$work.log" 2>&1 || { tail -50 "$work.log"; exit 1; }
  tail -1 "$work.log"
  rm -rf "$work" "$work.log"
done
