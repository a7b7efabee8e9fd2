#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite.
# Usage: scripts/test.sh [--quick]   (--quick: the release pass only)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# Services some tests use (PostgreSQL, a CUPS PDF printer): each script in
# scripts/services starts its service for this run and prints the variables
# the tests read; a service that cannot start makes its tests skip.
for service in scripts/services/*.sh; do
  [ -e "$service" ] || continue
  eval "$(bash "$service" start)"
done

jobs=$(nproc)
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"

if [ "${1:-}" != "--quick" ]; then
  # The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0 ctest --preset asan -j "$jobs"
  # Each fuzz target for a short while, with its seed corpus.
  if [ -n "$(ls fuzz/fuzz_*.cpp 2>/dev/null)" ]; then
    bash scripts/fuzz.sh 30
  fi
fi
echo "all tests passed"
