#!/usr/bin/env bash
# Interop of our NTX files with an independent reader, Perl's XBase module (Debian
# libdbd-xbase-perl): its index_dump walks the index dbftool builds and must list our
# keys in our order (Hungarian collation, negative numbers) with the right record numbers.
# Also dbftool's own check-index and seek on the same files.
set -euo pipefail
tool="${MVIRDA_BINARY_DIR:?}/src/xbase/tools/dbftool"
command -v index_dump >/dev/null || { echo "index_dump (libdbd-xbase-perl) missing"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Names in Hungarian order after upper-casing: accents after their letter, no digraphs.
sorted=(ABA ÁBEL ÄBEL BAK CSÓKA CZAKÓ DÉNES EDE ÉDES FÜLÖP IBOLYA ÍJÁSZ OLÁH ÓVÁRI ÖRDÖG
        ŐRI SZABÓ SZŰCS UDVARI ÚJVÁRI ÜVEGES ŰRSZÉKI ZSOLT)
lower=(aba ábel äbel bak csóka czakó dénes ede édes fülöp ibolya íjász oláh óvári ördög
       őri szabó szűcs udvari újvári üveges űrszéki zsolt)
companies=60
names=${#sorted[@]}
n=$((companies * names))
step=541  # record number of sorted position i: (i * step) mod n, a permutation of 0..n-1

# Rows in sorted order, then written out in record-number order.
declare -a rows expect
for ((c = 0; c < companies; c++)); do
  for ((j = 0; j < names; j++)); do
    i=$((c * names + j))
    r=$(((i * step) % n))
    if ((c % 2)); then nev=${lower[j]}; else nev=${sorted[j]}; fi
    amount=$(( (i * 7919) % 2001 - 1000 ))
    rows[r]="$(printf '%03d' $((c + 1))),$nev,$amount.25"
    expect[i]=$((r + 1))
  done
done
"$tool" create t.dbf VKOD:C:3,NEV:C:30,OSSZEG:N:9:2 >/dev/null
for ((r = 0; r < n; r++)); do echo "${rows[r]}"; done > rows.csv
"$tool" append t.dbf < rows.csv

# 1. Character key with the collation function. (index_dump needs a tag argument, which
# NTX files ignore; without one it only lists the tags of multi-tag formats.)
"$tool" index t.dbf "vkod+HUNGORD(nev)" t.ntx
index_dump --type char t.ntx ntx 2>/dev/null | awk '{print $NF}' > perl_order.txt
printf '%s\n' "${expect[@]}" > want_order.txt
if ! cmp -s perl_order.txt want_order.txt; then
  echo "index_dump order differs from the Hungarian order:"
  diff want_order.txt perl_order.txt | head -20
  exit 1
fi
[ "$(wc -l < perl_order.txt)" -eq "$n" ]

# 2. Numeric key: Perl decodes our negative keys and must see them ascending.
"$tool" index t.dbf "osszeg" n.ntx
index_dump --type num n.ntx ntx 2>/dev/null > perl_num.txt
[ "$(wc -l < perl_num.txt)" -eq "$n" ]
awk 'NR > 1 && $1 < prev { print "numeric keys out of order at line " NR ": " prev " > " $1; bad = 1 }
     { prev = $1 } END { exit bad }' perl_num.txt
awk '{print $2}' perl_num.txt | sort -n | uniq | wc -l | grep -qx "$n"
# Every key is its record's amount.
awk 'NR == FNR { split($0, f, ","); amount[NR] = f[3] + 0; next }
         { if (amount[$2] != $1 + 0) { print "record " $2 ": key " $1 ", amount " amount[$2]; bad = 1 } }
         END { exit bad }' rows.csv perl_num.txt

# 3. Our own check and seek on the same files.
"$tool" check-index t.dbf t.ntx >/dev/null
"$tool" check-index t.dbf n.ntx >/dev/null
pos=$(( (5 - 1) * names + 15 ))  # company 005, ŐRI
got=$("$tool" seek t.dbf t.ntx "005ŐR")
[ "$got" = "${expect[pos]}" ] || { echo "seek 005ŐR gave $got, want ${expect[pos]}"; exit 1; }
got=$("$tool" seek t.dbf t.ntx "999" || true)
[ "$got" = "not found" ] || { echo "seek 999 gave $got"; exit 1; }
got=$("$tool" seek t.dbf n.ntx "-1000.25" || true)
grep -qx '[0-9][0-9]*' <<<"$got" || { echo "numeric seek gave $got"; exit 1; }

# 4. Records added behind the index's back: check-index must say so.
echo "061,UJ,1.00" | "$tool" append t.dbf
if "$tool" check-index t.dbf t.ntx > faults.txt; then
  echo "check-index passed an index that lacks a record"; exit 1
fi
grep -qx "$((n + 1)). rekord: hiányzik az indexből" faults.txt
echo "ntx interop: $n keys read by index_dump in our order"
