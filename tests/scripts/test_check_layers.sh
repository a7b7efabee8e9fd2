#!/usr/bin/env bash
# The layer check passes a tree whose includes point downwards and fails one
# with an upward include or a window, printing or SQL header below preview/.
#   bash tests/scripts/test_check_layers.sh   (exit 0 passed, 1 failed)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/vx-layers-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

# Each case: expected exit status, file, its one include line.
cases=(
  "0|report/a.cpp|#include \"expr/b.h\""
  "0|app/a.cpp|#include \"preview/b.h\""
  "0|tests/report/a.cpp|#include \"app/b.h\""
  "0|preview/a.cpp|#include <QWidget>"
  "0|expr/a.cpp|#include <QString>"
  "1|platform/a.h|#include \"report/b.h\""
  "1|engine/a.cpp|#include \"addins/b.h\""
  "1|addins/x/a.cpp|  #  include \"preview/b.h\""
  "1|report/a.cpp|#include \"tests/support/b.h\""
  "1|report/a.cpp|#include <QApplication>"
  "1|engine/a.h|#include <QtSql/QSqlQuery>"
)
for c in "${cases[@]}"; do
  IFS='|' read -r expected file line <<<"$c"
  tree=$work/tree
  rm -rf "$tree"
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "$line" >"$tree/$file"
  bash "$root/scripts/check_layers.sh" "$tree" >"$work/out" 2>&1
  status=$?
  if [ "$status" != "$expected" ]; then
    echo "FAIL: $file with '$line': exit $status, expected $expected"
    cat "$work/out"
    failures=$((failures + 1))
  fi
done

# The graph counts includes between folders.
tree=$work/graph
mkdir -p "$tree/report" "$tree/expr"
printf '#include "expr/a.h"\n#include "expr/b.h"\n#include "report/c.h"\n' >"$tree/report/r.cpp"
out=$(bash "$root/scripts/check_layers.sh" "$tree")
if ! grep -qx '  report -> expr: 2' <<<"$out" || grep -q 'report -> report' <<<"$out"; then
  echo "FAIL: graph output:"
  echo "$out"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "passed" && exit 0
exit 1
