#!/usr/bin/env bash
# End to end: printing from the viewer in tmux on a generated installation. F2 sets
# the PDF route; "P" on the start-up change note opens the PDF dialog (rows 8 to 16,
# its fields at columns 18 and 28); Enter saves a PDF with one page per form feed.
# Then F2 sets LPT1, which this workstation's VIRDA_LPT1 points at a file, and "P"
# on the note in the submenu's list writes its lines with CR LF.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
for f in "$launcher" "$gen"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
command -v pdfinfo >/dev/null || { echo "missing pdfinfo (poppler-utils)"; exit 1; }
sock="i14_print_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
lpt="$drive/lpt1.out"
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- pane ---"; tm capture-pane -p -t t 2>/dev/null || true; exit 1; }
pane() { tm capture-pane -p -t t; }
wait_for() {
  local i
  for i in $(seq 150); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
expect_at() { [ "$(at "$1" "$2" "$3")" == "$3" ] || fail "row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"; }
keys() {  # one key at a time, as a user types
  local k
  for k in "$@"; do tm send-keys -t t "$k"; sleep 0.2; done
}

"$gen" "$drive" --persons 10 --companies 2 >/dev/null
: >"$lpt"
# A change note of 100 lines: two printed pages of 63 rows at most.
for i in $(seq 1 100); do printf 'SOR %03d\r\n' "$i"; done >"$inst/valt0001.txt"

tm new-session -d -s t -x 80 -y 25 \
  "export VIRDA_DRIVE='$drive' VIRDA_LPT1='$lpt' TEMP='$drive'; '$launcher'; echo PROGRAM-ENDED; sleep 60"
wait_for "A indítás után F2-vel lehet a nyomtatót beállítani."
keys Enter
wait_for "A feldolgozás dátuma:"

# F2: EPSON, the other settings as they are, port PDF (the seventh item).
keys F2
wait_for "Nyomtató és egyéb beállítások"
keys Up Enter Enter Enter Down Down Down Down Down Down Enter Enter
sleep 0.3

# The processing date, then the note in the viewer; "P" makes the PDF and asks.
keys Enter
wait_for "/100"
keys P
wait_for "Mentés PDF fájlba"
expect_at 8 3 "╔"
expect_at 16 76 "╝"
expect_at 10 6 "Alkönyvtár: $inst"
expect_at 12 6 "Fájl név  : valt0001"
expect_at 14 6 "PDF megtekintése [X]:  "
keys Enter Enter Enter
sleep 0.5
[ -f "$inst/valt0001.pdf" ] || fail "no PDF saved"
pdfinfo "$inst/valt0001.pdf" | grep -q "^Pages: *2$" || { pdfinfo "$inst/valt0001.pdf"; fail "the PDF has not two pages"; }
pdftotext -raw "$inst/valt0001.pdf" - | grep -q "SOR 100" || fail "the last line is not in the PDF"
[ "$(head -c 56 "$inst/pdfek.alk" | sed 's/ *$//')" == "$inst" ] || fail "pdfek.alk"

# Leave the viewer keeping the note; the main menu.
keys Escape
wait_for "A következő indításkor is láthatók legyenek a fájlok?"
keys Enter
wait_for "Kilépés a programból"

# F2: port LPT1, then the note from the submenu's list, "P".
keys F2
wait_for "Nyomtató és egyéb beállítások"
keys Enter Enter Enter Up Up Up Up Up Up Enter Enter
sleep 0.3
keys 8
wait_for "Egyéb funkciók"
keys 3
wait_for "valt0001.txt"
keys Enter
wait_for "/100"
keys P
sleep 1
printf '\r\nSOR 001' | cmp -s - <(head -c 9 "$lpt") || fail "the printer file does not begin with CR LF and the first line"
grep -c $'\r$' "$lpt" | grep -q . || fail "no CR LF line ends"
[ "$(tr -cd '\f' <"$lpt" | wc -c)" == "2" ] || fail "not two form feeds"
grep -q "SOR 100" "$lpt" || fail "the last line is not printed"
echo "ok"
