#!/usr/bin/env bash
# Times the whole `vxtool prepare --pdf` process on the list report of the
# engine's benchmark (bench/list_report.cpp): an SQLite table of ROWS rows, a
# two-pass template with title, page header "Pagina N di T", a data band of
# six formatted fields, a summary with SUM and COUNT and a page footer.
# Prints the elapsed time and the peak memory of each of RUNS runs.
# Usage: scripts/bench_prepare.sh [BUILD_DIR] [ROWS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
rows=${2:-10000}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/vx_bench" --write-list-report "$work" "$rows"
for _ in $(seq "$runs"); do
  /usr/bin/time -f "$rows righe: %e s, picco %M KiB" \
    "$build/app/vxtool" prepare "$work/lista.vxf" --db "$work/lista.sqlite" \
    -o "$work/lista.vxp" --pdf "$work/lista.pdf" >/dev/null
done
ls -l "$work/lista.vxp" "$work/lista.pdf" | awk '{print $5, $9}'
