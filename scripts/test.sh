#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite.
# Usage: scripts/test.sh [--quick]   (--quick: the release pass only)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--with-services" ]; then
  bash scripts/setup.sh
  # The run gets its own PostgreSQL server and CUPS scheduler with a PDF
  # printer, in a folder of its own, ended by a trap when the run ends, fails
  # or is interrupted; a service that cannot start makes its tests skip.
  exec bash scripts/services/with_services.sh bash scripts/test.sh --with-services "$@"
fi
shift

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
