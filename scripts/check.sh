#!/usr/bin/env bash
# The checks that need no test run: the layer check, clang-format on every
# tracked source file, and clang-tidy (.clang-tidy) on the changed .cpp files.
# Usage: scripts/check.sh [format|layers|tidy]...   (default: all three)
#   Tidy needs build/release/compile_commands.json (cmake --preset release).
#   Changed files are those since VX_CHECK_BASE when it is set; otherwise, on a
#   branch, since it left main; on a commit of main, those the landing that
#   made it brought (since main's value before it).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

check_format() {
  echo "-- clang-format"
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

check_layers() {
  echo "-- layers"
  bash scripts/check_layers.sh .
}

# The commit the changed files are counted from.
change_base() {
  if [ -n "${VX_CHECK_BASE:-}" ]; then
    echo "$VX_CHECK_BASE"
    return
  fi
  local head fork
  head=$(git rev-parse HEAD)
  if git rev-parse -q --verify main >/dev/null; then
    fork=$(git merge-base HEAD main)
    if [ "$fork" != "$head" ]; then
      echo "$fork" # a branch: everything it has that main has not
      return
    fi
    # A commit of main: what the landing that made it brought, from main's
    # own log of its moves (the value before this one).
    local previous
    previous=$(git reflog show --format=%H main 2>/dev/null | awk -v h="$head" 'found { print; exit } $0 == h { found = 1 }')
    if [ -n "$previous" ]; then
      echo "$previous"
      return
    fi
  fi
  # No log: the last commit's own changes (a merge: since the main it joined).
  git rev-parse -q --verify HEAD^2 || git rev-parse -q --verify HEAD~1 || git hash-object -t tree /dev/null
}

changed_sources() {
  git diff --name-only --diff-filter=d "$(change_base)" -- '*.cpp' |
    grep -E '^(platform|expr|report|engine|addins|preview|app)/' || true
}

check_tidy() {
  echo "-- clang-tidy on the changed files"
  local db=build/release
  [ -f "$db/compile_commands.json" ] || cmake --preset release >/dev/null
  local files
  files=$(changed_sources)
  if [ -z "$files" ]; then
    echo "no changed source file"
    return 0
  fi
  echo "$files" | wc -l | xargs echo "files:"
  # .clang-tidy makes every finding an error; -quiet keeps the output to them.
  echo "$files" | xargs -P "$jobs" -n 4 clang-tidy -p "$db" -quiet 2>/dev/null
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(format layers tidy)
for step in "${steps[@]}"; do
  case $step in
    format) check_format ;;
    layers) check_layers ;;
    tidy) check_tidy ;;
    *) echo "unknown check: $step" >&2; exit 2 ;;
  esac
done
echo "checks passed"
