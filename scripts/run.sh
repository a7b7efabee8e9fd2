#!/usr/bin/env bash
# Sets everything up, builds the viewer and runs it on the bundled sample report.
# With a display (DISPLAY set) the viewer opens in a window; without one it runs
# on a virtual X display (Xvfb) and leaves a screenshot of its window.
# Usage: scripts/run.sh [FILE.vxp]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target dizeridiv vxtool

sample=${1:-samples/fattura.vxp}
if [ -n "${DISPLAY:-}" ]; then
  exec build/release/app/dizeridiv "$sample"
fi
echo "No display: running the viewer under Xvfb."
bash scripts/screenshot.sh build/release build/screenshot.png
echo "The viewer's window is in build/screenshot.png"
