#!/usr/bin/env bash
# The generator's installation passes the table tool's checks on every table and
# index file, in the program directory and in its template directory.
set -euo pipefail
bin="$MVIRDA_BINARY_DIR"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

MVIRDA_BINARY_DIR="$bin" "$MVIRDA_SOURCE_DIR/tools/gen-installation" "$work" --persons 500 --seed 3
dir="$work/VIRDA23"
dbftool="$bin/src/xbase/tools/dbftool"
for t in "$dir"/*.dbf "$dir"/xxx/*.dbf; do
  "$dbftool" check "$t" | grep -qx 'rendben: [0-9]* rekord' || { "$dbftool" check "$t"; exit 1; }
done
# A damaged copy: the check's finding in the program's words, exit 1.
cp "$dir/vallal.dbf" "$work/rossz.dbf"
printf '\007' | dd of="$work/rossz.dbf" conv=notrunc status=none
if got="$("$dbftool" check "$work/rossz.dbf")"; then echo "a damaged table passed"; exit 1; fi
[ "$got" = "nem dBASE tábla" ] || { echo "dbftool check: $got"; exit 1; }
for n in vallal eltar23 virda23 virda232; do
  test -s "$dir/$n.ntx" || { echo "missing $n.ntx"; exit 1; }
done
usage="$("$dbftool" 2>&1 || true)"
if [[ "$usage" == *check-index* ]]; then
  "$dbftool" check-index "$dir/vallal.dbf" "$dir/vallal.ntx"
  "$dbftool" check-index "$dir/eltar23.dbf" "$dir/eltar23.ntx"
  "$dbftool" check-index "$dir/virda23.dbf" "$dir/virda23.ntx"
  "$dbftool" check-index "$dir/virda23.dbf" "$dir/virda232.ntx"
fi
ls "$dir/xxx" | sort | tr '\n' ' ' | grep -qx 'eltar23.dbf konstans.dbf kozter.dbf seg23m30.dbf vallal.dbf virda23.dbf '
echo ok
