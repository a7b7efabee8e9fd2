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
# Formatting and layers first: they need no build and fail fast.
bash scripts/check.sh format layers
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"
# clang-tidy on the product files the latest commits changed (scripts/check.sh).
bash scripts/check.sh tidy

# Our users run Italian desktops: the whole suite again under the real
# it_IT.UTF-8 system locale (every Qt program takes the C library's locale
# from the environment; numbers, dates and texts must come out the same).
echo "-- the suite under LC_ALL=it_IT.UTF-8"
LC_ALL=it_IT.UTF-8 LANG=it_IT.UTF-8 ctest --preset release -j "$jobs"
# The expression, formatting and function tests (and the report's resolver,
# which calls the functions) also under the other locales setup.sh generates.
# The release binaries run directly, selected by name: seconds, not a rebuild.
# (The vxtool tests already run vxtool under each of these locales.)
for loc in C.UTF-8 de_CH.UTF-8; do
  echo "-- tests under LC_ALL=$loc"
  LC_ALL=$loc LANG=$loc QT_QPA_PLATFORM=offscreen build/release/tests/test_expr --gtest_brief=1
  LC_ALL=$loc LANG=$loc QT_QPA_PLATFORM=offscreen build/release/tests/test_report \
    --gtest_brief=1 --gtest_filter='ResolverTest.*'
done

if [ "${1:-}" != "--quick" ]; then
  # The same suite under AddressSanitizer, UndefinedBehaviorSanitizer and
  # LeakSanitizer (tests/lsan.supp names the only allocations it forgives;
  # VX_DETECT_LEAKS=0 leaves leaks out while you work).
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=${VX_DETECT_LEAKS:-1} \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    ctest --preset asan -j "$jobs"
  # Each fuzz target for a short while, with its seed corpus.
  if [ -n "$(ls fuzz/fuzz_*.cpp 2>/dev/null)" ]; then
    bash scripts/fuzz.sh ci
  fi
fi
echo "all tests passed"
