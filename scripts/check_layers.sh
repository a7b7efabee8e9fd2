#!/usr/bin/env bash
# Prints the include graph between the source folders ("from -> to  count")
# and fails when a folder includes one of a higher layer, or when a layer
# below preview/ includes a header of QtWidgets, QtPrintSupport or QtSql.
# Layers, lowest first: platform, expr, report, engine, addins, preview, app;
# tests, bench, fuzz and samples sit above them all.
# Usage: scripts/check_layers.sh [source root]   (default: this checkout)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

declare -A rank=([platform]=0 [expr]=1 [report]=2 [engine]=3 [addins]=4 [preview]=5 [app]=6
                 [tests]=7 [bench]=7 [fuzz]=7 [samples]=7)
# Qt modules only platform/, preview/ and app/ (and the tests above them) use.
gui_modules='QtWidgets|QtPrintSupport|QtSql|QApplication|QWidget|QDialog|QMainWindow|QMessageBox|QPrinter|QPrinterInfo|QPrintDialog|QSql[A-Za-z]*'

# One line per include: "<from folder> <to folder> <file>".
edges=$(for folder in "${!rank[@]}"; do
  [ -d "$folder" ] || continue
  grep -rHoE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"/]+/' "$folder" |
    sed -E 's|^([^:]+):.*"([^"/]+)/$|\2 \1|' |
    while read -r to file; do echo "$folder $to $file"; done
done)

echo "include graph between folders (from -> to: includes)"
echo "$edges" | awk 'NF == 3 && $1 != $2 && $2 !~ /^[.]/ { n[$1 " -> " $2]++ } END { for (e in n) print "  " e ": " n[e] }' | sort

status=0
while read -r from to file; do
  [ -n "${from:-}" ] || continue
  [ -n "${rank[$to]+x}" ] || continue # a system or third-party folder
  if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
    echo "upward include: $file ($from) includes $to/" >&2
    status=1
  fi
done <<<"$edges"

for folder in expr report engine addins; do
  [ -d "$folder" ] || continue
  if hits=$(grep -rnE --include='*.cpp' --include='*.h' "^[[:space:]]*#[[:space:]]*include[[:space:]]+<($gui_modules)[>/]" "$folder"); then
    echo "$hits" | sed 's/^/widget, printing or SQL header below preview\/: /' >&2
    status=1
  fi
done

if [ "$status" -eq 0 ]; then
  echo "no upward include"
fi
exit "$status"
