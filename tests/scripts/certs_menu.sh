#!/usr/bin/env bash
# End to end: the certificates of the real program in tmux at 80x25 on a generated
# installation. Item 2, "Mindkettő": the selection dialog at its places with the
# help box of the XML question, the preview in the viewer, a search for a person's
# name, Esc back to the main menu. Item 3: the shorter dialog and the EKHO preview.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
dbftool="$bin/xbase/tools/dbftool"
for f in "$launcher" "$gen" "$dbftool"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_certs_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  tm capture-pane -p -t s 2>/dev/null || true
  exit 1
}
pane() { tm capture-pane -p -t s; }
wait_for() {
  local i
  for i in $(seq 200); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
# The text at row R, column C (from 0) of the pane, as long as the text expected.
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
wait_at() {  # wait_at ROW COL TEXT
  local i
  for i in $(seq 200); do
    [ "$(at "$1" "$2" "$3")" == "$3" ] && return 0
    sleep 0.1
  done
  fail "row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
keys() { tm send-keys -t s "$@"; sleep 0.3; }
type_text() { tm send-keys -t s -l "$1"; sleep 0.3; }

"$gen" "$drive" --persons 40 --companies 3 >/dev/null
touch "$inst/elsoind.jel"
codes="$("$dbftool" dump "$inst/vallal.dbf" | cut -d, -f2 | sort)"
lowest="$(head -1 <<<"$codes")"
highest="$(tail -1 <<<"$codes")"

tm new-session -d -s s -x 80 -y 25 \
  "export VIRDA_DRIVE='$drive'; '$launcher' '$inst' x; echo PROGRAM-ENDED; sleep 60"
wait_for "A feldolgozás dátuma:"
keys Enter
wait_for "Kilépés a programból"

# Item 2: the certificate types, then the selection dialog.
keys 2
wait_for "M30 jövedelemigazolás"
keys Down Down Enter
wait_at 6 15 "╔"
wait_at 19 65 "╝"
wait_at 8 26 "Jövedelemigazolás nyomtatása:"
wait_at 10 30 "Cég:"
wait_at 10 35 "$lowest"
wait_at 10 44 "$highest"
wait_at 15 30 "Kezdő oldal:"
wait_at 17 19 "ÁNYK 23M30 XML fájlok létrehozása [I/N]:"
wait_at 17 60 "N"
pane | sed -n '22,24p' | grep -q "Nem kötelező" && fail "the help box before the XML question"
keys Enter Enter Enter Enter
wait_at 21 8 "Nem kötelező az M30 igazolást az ÁNYK nyomtatvánnyal kinyomtatni."
wait_at 22 13 "A program által kinyomtatott nyomtatvány is megfelelő."
keys Enter
wait_for "Nyomtatás"
keys Enter

# The viewer.
wait_for "TXT fájlba-T"
wait_at 1 0 "Sorszám:    1"
wait_at 3 50 "23M30"
lines="$(grep -c $'\r$' "$inst/jovedig.prn" || true)"
[ "$lines" -gt 100 ] || fail "jovedig.prn has $lines lines"
status="$(pane | sed -n 25p)"
grep -q "Sor:" <<<"$status" || fail "status line: $status"
grep -q "/$((lines + 1))" <<<"$status" || grep -q "/$lines" <<<"$status" || fail "line count in: $status"
wait_at 24 79 "→"
# "K": the second certificate's person is found.
name="$(iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -a "^Magánszemély családi neve:" | sed -n 3p | cut -c32-56 | sed 's/ *$//')"
[ -n "$name" ] || fail "no person's name in jovedig.prn"
pane | grep -qF "$name" && fail "$name on the first screen already"
keys k
wait_for "Keresendő:"
type_text "$name"
keys Enter
wait_for "$name"
keys Escape
wait_for "Kilépés a programból"

# Item 3: the EKHO certificate.
keys 3
wait_for "Ekho igazolás"
keys Down Down Enter
wait_at 10 15 "╔"
wait_at 12 28 "Ekho igazolás nyomtatása:"
pane | grep -q "Kezdő oldal" && fail "a start number in the EKHO dialog"
pane | grep -q "XML" && fail "the XML question in the EKHO dialog"
keys Enter Enter Enter
wait_for "Nyomtatás"
keys Enter
wait_for "TXT fájlba-T"
wait_at 2 62 "Igazolás*"
keys Escape
wait_for "Kilépés a programból"
keys Escape
wait_for PROGRAM-ENDED
echo "ok"
