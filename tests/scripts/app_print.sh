#!/usr/bin/env bash
# End to end: printing from the viewer in tmux on a generated installation. F2 sets
# the PDF route; "P" on the start-up change note opens the PDF dialog (rows 8 to 16,
# its fields at columns 18 and 28); Enter saves a PDF with one page per form feed.
# Then F2 sets LPT1, which this workstation's VIRDA_LPT1 points at a file, and "P"
# on the note in the submenu's list writes its lines with CR LF.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" i14_print
command -v pdfinfo >/dev/null || { echo "missing pdfinfo (poppler-utils)"; exit 1; }
lpt="$drive/lpt1.out"

"$gen" "$drive" --persons 10 --companies 2 >/dev/null
: >"$lpt"
# A change note of 100 lines: two printed pages of 63 rows at most.
for i in $(seq 1 100); do printf 'SOR %03d\r\n' "$i"; done >"$inst/valt0001.txt"

w=t
tm new-session -d -s s -n t -x 80 -y 25 \
  "export VIRDA_DRIVE='$drive' VIRDA_LPT1='$lpt' TEMP='$drive'; '$launcher'; echo PROGRAM-ENDED; sleep 60"
wait_for "A indítás után F2-vel lehet a nyomtatót beállítani."
keys Enter
wait_for "A feldolgozás dátuma:"

# F2: EPSON, the other settings as they are, port PDF (the seventh item).
keys F2
wait_for "Nyomtató és egyéb beállítások"
keys Up Enter Enter Enter Down Down Down Down Down Down Enter Enter
wait_gone "Nyomtató és egyéb beállítások"

# The processing date, then the note in the viewer; "P" makes the PDF and asks.
keys Enter
wait_for "/100"
keys P
wait_for "Mentés PDF fájlba"
wait_at 8 3 "╔"
wait_at 16 76 "╝"
wait_at 10 6 "Alkönyvtár: $inst"
wait_at 12 6 "Fájl név  : valt0001"
wait_at 14 6 "PDF megtekintése [X]:  "
keys Enter Enter Enter
wait_file "$inst/valt0001.pdf" "%%EOF"
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
wait_gone "Nyomtató és egyéb beállítások"
keys 8
wait_at 3 33 "Egyéb funkciók"
keys 3
wait_for "valt0001.txt"
keys Enter
wait_for "/100"
keys P
wait_file "$lpt" "SOR 100"
for _ in $(seq 100); do [ "$(tr -cd '\f' <"$lpt" | wc -c)" == "2" ] && break; sleep 0.1; done
printf '\r\nSOR 001' | cmp -s - <(head -c 9 "$lpt") || fail "the printer file does not begin with CR LF and the first line"
grep -c $'\r$' "$lpt" | grep -q . || fail "no CR LF line ends"
[ "$(tr -cd '\f' <"$lpt" | wc -c)" == "2" ] || fail "not two form feeds"
grep -q "SOR 100" "$lpt" || fail "the last line is not printed"
echo "ok"
