#!/usr/bin/env bash
# Sets everything up, builds the viewer, writes the samples (the demo database
# and the templates over it, build/samples), prepares the sample invoice from
# the demo database and shows it in the viewer.
# With a display (DISPLAY set) the viewer opens in a window; without one it runs
# on a virtual X display (Xvfb) and leaves a screenshot of its window.
# Usage: scripts/run.sh [FILE.vxp]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target dizeridiv vxtool

sample=${1:-}
if [ -z "$sample" ]; then
  build/release/app/vxtool samples -o build/samples >/dev/null
  build/release/app/vxtool prepare build/samples/fattura.vxf --db build/samples/demo.sqlite \
    -o build/samples/fattura.vxp
  sample=build/samples/fattura.vxp
fi
if [ -n "${DISPLAY:-}" ]; then
  exec build/release/app/dizeridiv "$sample"
fi
echo "No display: running the viewer under Xvfb."
bash scripts/screenshot.sh build/release build/screenshot.png "$sample"
echo "The viewer's window is in build/screenshot.png"
