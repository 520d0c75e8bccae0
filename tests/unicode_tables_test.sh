#!/usr/bin/env bash
# Checks that the tree's src/unicode_tables.cpp is what scripts/unicode-tables
# writes from the Unicode data of the version the file names, found in DATA
# (by default Debian's unicode-data, /usr/share/unicode). Where DATA holds
# another version there is nothing to compare it with: skipped (exit 77).
# Usage: tests/unicode_tables_test.sh TREE [DATA]
set -euo pipefail

tree=$1 data=${2:-/usr/share/unicode}
tables=$tree/src/unicode_tables.cpp
wanted=$(sed -n 's/.*Unicode Character Database, version \([0-9.]*\),.*/\1/p' "$tables")
have=$(sed -n '1s/^# DerivedCoreProperties-\(.*\)\.txt$/\1/p' "$data/DerivedCoreProperties.txt" 2>/dev/null || true)
if [ "$have" != "$wanted" ]; then
  echo "unicode tables: skipped: they are from Unicode $wanted, and $data holds ${have:+Unicode }${have:-no Unicode data};" \
    "configure with -DUNICODE_DATA=DIR for a directory of Unicode $wanted's files to check them"
  exit 77
fi
"$tree/scripts/unicode-tables" "$data" | diff -u "$tables" -
