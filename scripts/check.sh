#!/usr/bin/env bash
# The checks that need no test run: the layer check, clang-format on every
# tracked source file, and clang-tidy (.clang-tidy) on the changed product
# .cpp files.
# Usage: scripts/check.sh [format|layers|tidy]...   (default: all three)
#   scripts/check.sh tidy --all   checks every product .cpp file instead.
#   Tidy needs build/release built (its compile_commands.json and generated
#   files). Changed files: see change_base; at most VX_TIDY_MAX_FILES (60).
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

# The commit the changed files are counted from: VX_CHECK_BASE when set; on a
# branch, where it left main; otherwise (a commit of main, as CI checks out)
# the commit recorded in scripts/tidy_base, from which on every changed file
# has been checked. A shallow clone fetches the history it lacks; where that
# fails the last commit's changes are checked, and with no history at all
# there is no base (every file is checked).
change_base() {
  if [ -n "${VX_CHECK_BASE:-}" ]; then
    echo "$VX_CHECK_BASE"
    return
  fi
  local head fork recorded
  head=$(git rev-parse HEAD)
  if git rev-parse -q --verify main >/dev/null; then
    fork=$(git merge-base HEAD main)
    if [ "$fork" != "$head" ]; then
      echo "$fork" # a branch: everything it has that main has not
      return
    fi
  fi
  recorded=$(grep -sE "^[0-9a-f]{40}$" scripts/tidy_base | head -1 || true)
  if ! git merge-base --is-ancestor "$recorded" HEAD 2>/dev/null &&
    [ "$(git rev-parse --is-shallow-repository)" = true ]; then
    git fetch -q --unshallow 2>/dev/null || true
  fi
  if git merge-base --is-ancestor "$recorded" HEAD 2>/dev/null; then
    echo "$recorded"
    return
  fi
  echo "no history back to scripts/tidy_base: checking the last commit's changes" >&2
  git rev-parse -q --verify HEAD~1 || true
}

product='^(platform|expr|report|engine|addins|preview|app)/'

# The product .cpp files to check, the most recently changed first: each
# changed .cpp, and for a changed header the .cpp of the same name or else the
# first that includes it (clang-tidy reports a header's findings through a
# file that includes it).
changed_sources() {
  local base
  base=$(change_base)
  if [ -z "$base" ]; then
    git ls-files '*.cpp' | grep -E "$product" || true
    return
  fi
  {
    git log --format= --name-only "$base..HEAD" -- '*.cpp' '*.h'
    git diff --name-only "$base" HEAD -- '*.cpp' '*.h'
  } | grep -E "$product" | awk 'NF && !seen[$0]++' | while read -r file; do
    [ -f "$file" ] || continue # removed since
    case $file in
      *.cpp) echo "$file" ;;
      *.h)
        if [ -f "${file%.h}.cpp" ]; then
          echo "${file%.h}.cpp"
        else
          git grep -l -F "#include \"$file\"" -- '*.cpp' | grep -E "$product" | head -1 || true
        fi
        ;;
    esac
  done | awk '!seen[$0]++'
}

# clang-tidy on FILES (stdin, one a line), $jobs at a time; fails on a finding.
run_tidy() {
  local db=build/release
  [ -f "$db/compile_commands.json" ] || cmake --preset release >/dev/null
  local out
  out=$(mktemp)
  # .clang-tidy makes every finding an error; -quiet keeps the output to them.
  if xargs -r -P "$jobs" -n 1 clang-tidy -p "$db" -quiet >"$out" 2>/dev/null; then
    rm -f "$out"
    return 0
  fi
  cat "$out"
  grep -c ': error: ' "$out" | xargs echo "clang-tidy findings:" >&2
  rm -f "$out"
  return 1
}

check_tidy() {
  local files
  if [ "${1:-}" = all ]; then
    echo "-- clang-tidy on every product file"
    files=$(git ls-files '*.cpp' | grep -E "$product" || true)
  else
    echo "-- clang-tidy on the changed product files"
    files=$(changed_sources)
    # At most this many, the most recently changed, so that a large change
    # keeps the run to minutes; --all checks the rest.
    files=$(echo "$files" | head -n "${VX_TIDY_MAX_FILES:-60}")
  fi
  if [ -z "$files" ]; then
    echo "no changed source file"
    return 0
  fi
  echo "$files" | wc -l | xargs echo "files:"
  echo "$files" | run_tidy
}

steps=()
tidy_scope=changed
for arg in "$@"; do
  if [ "$arg" = --all ]; then tidy_scope=all; else steps+=("$arg"); fi
done
[ ${#steps[@]} -gt 0 ] || steps=(format layers tidy)
for step in "${steps[@]}"; do
  case $step in
    format) check_format ;;
    layers) check_layers ;;
    tidy) check_tidy "$tidy_scope" ;;
    *) echo "unknown check: $step" >&2; exit 2 ;;
  esac
done
echo "checks passed"
