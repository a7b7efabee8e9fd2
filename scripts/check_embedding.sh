#!/usr/bin/env bash
# Installs the built tree into a temporary prefix, builds the example host
# program (examples/host) against the installed CMake package, runs it and
# checks its PDF: the expected pages and texts.
# Usage: scripts/check_embedding.sh [BUILD_DIR]   (default build/release)
# Exits 77 (a skipped test for ctest) without pdfinfo and pdftotext.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

for tool in pdfinfo pdftotext; do
  if ! command -v "$tool" >/dev/null; then
    echo "embedding: $tool not installed, skipped" >&2
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
cmake -S examples/host -B "$work/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/configure.log"
cmake --build "$work/host" -j2 >"$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$work/host/vxhost" "$work/movimenti.pdf" 2>/dev/null

# 120 movements of 20 pixels: three A4 pages, the total at the end.
status=0
pages=$(pdfinfo "$work/movimenti.pdf" | awk '/^Pages:/ { print $2 }')
if [ "$pages" != 3 ]; then
  echo "embedding: $pages pages, expected 3" >&2
  status=1
fi
text=$(pdftotext -layout "$work/movimenti.pdf" -)
for expected in "Movimenti - pagina 1 di 3" "Movimento n. 120" "Totale: 90750"; do
  if ! grep -qF "$expected" <<<"$text"; then
    echo "embedding: \"$expected\" not in the PDF" >&2
    status=1
  fi
done
exit $status
