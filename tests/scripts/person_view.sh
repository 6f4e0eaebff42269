#!/usr/bin/env bash
# End to end: an existing person viewed page by page in the real program; page 2
# corrected after "Javít"; Esc in the menu asks before the correction is thrown away
# ("Nem" goes back to the menu); stored from page 6; the same person opened again and
# left unchanged with Esc, without a question.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_view
count() { "$dbftool" dump "$inst/virda23.dbf" | grep -c "$1" || true; }

installation 40 2

station a
to_persons
keys M
wait_at 0 30 "Módosítás"
wait_at 1 78 "01"
wait_at 24 0 "Javít   Következő kép   Tárolás"
keys K
wait_at 1 78 "02"
wait_at 24 0 "Javít   Következő kép   Előző kép   Tárolás"
keys J                       # page 2 read: row 18's revenue
type_text "99999999"
keys PageDown
wait_at 4 51 " 99999999"
wait_at 24 0 "Javít   Következő kép   Előző kép   Tárolás"
keys Escape
wait_for "Kilépés tárolás nélkül?"
keys N
wait_at 24 0 "Javít   Következő kép   Előző kép   Tárolás"
keys K K K K
wait_at 1 78 "06"
wait_at 24 0 "Javít   Előző kép   Tárolás"
keys T
wait_at 1 29 "SZJA adatszolgáltatás"
[ "$(count ',99999999,')" == 1 ] || fail "the correction was not stored once"

# Unchanged: Esc leaves at once.
keys M
wait_at 1 78 "01"
keys K
wait_at 1 78 "02"
keys Escape
wait_at 1 29 "SZJA adatszolgáltatás"
pane | grep -qF "Kilépés tárolás nélkül?" && fail "an unchanged person asked before leaving"
keys Escape
wait_for "Kilépés a programból"
quit_program
echo "ok"
