#!/usr/bin/env bash
# End to end: the launcher in tmux on a generated installation (VIRDA_DRIVE at a
# scratch directory). The start messages without an argument and outside VIRDA23;
# the first-start box, the change note and its renaming; the title screen and the
# main menu at their rows and columns; F2 changing the printer; the submenu's
# reindexing; Esc out through the exit sequence ("gond.baj" removed); and a SIGKILL
# at the main menu, after which the next start rebuilds every index file.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_app
need "$program"
start() { open_window "$@"; }  # start COMMAND...: a fresh window running the command

"$gen" "$drive" --persons 40 --companies 3 >/dev/null

# No argument: only the start message; a key ends it.
start "cd '$inst' && '$program'"
wait_for "A program indítása: VIRDA23.BAT-tal, ne az EXE-t indítsa !"
keys Enter
ended

# Outside VIRDA23 without "bg": refused.
mkdir -p "$drive/other"
start "cd '$drive/other' && '$program' x"
wait_for "A program nem a $drive/VIRDA23 könyvtárban van, nem indítható !"
ended

# A change note of three lines.
printf 'ELSO SOR\r\nADATOK\r\nHARMADIK\r\n' >"$inst/valt0001.txt"

start "'$launcher'"
wait_for "A indítás után F2-vel lehet a nyomtatót beállítani."
keys Enter
wait_for "A feldolgozás dátuma:"
[ -f "$inst/elsoind.jel" ] || fail "no elsoind.jel"
[ -f "$inst/gond.baj" ] || fail "no gond.baj on the first workstation"
expect_at 8 36 "VIRDA23"
expect_at 11 27 "SZJA ADATSZOLGÁLTATÁS 2023."
expect_at 14 27 "Verzió: 2023.01 (32 bites)"
expect_at 6 17 "╔═════"
expect_at 17 19 "▒▒▒▒▒"
expect_at 24 0 "A feldolgozás dátuma:  $(date +%Y.%m.%d)"
expect_at 24 46 "Nyomtató és egyéb beállítás: F2"

# F2: EPSON, then Enter through the other menus.
keys F2
wait_for "Nyomtató és egyéb beállítások"
expect_at 15 6 "EPSON"
keys Up Enter Enter Enter Enter Enter  # HP questions skipped for EPSON
wait_gone "Nyomtató és egyéb beállítások"
"$dbftool" dump "$inst/konstans.dbf" | grep -q "^,1," || { "$dbftool" dump "$inst/konstans.dbf"; fail "NYOMTIP is not 1 (EPSON)"; }

# The processing date, then the change note in the viewer.
keys Enter
wait_for "/3"
keys Escape
wait_for "A következő indításkor is láthatók legyenek a fájlok?"
keys Down Enter
wait_for "A fájlokat az egyéb funkciók menüben lehet elolvasni"
keys Enter
[ -f "$inst/palt0001.txt" ] && [ ! -f "$inst/valt0001.txt" ] || fail "the note was not renamed"

# The main menu.
wait_for "Kilépés a programból"
expect_at 3 1 "$(printf '%24s%s%24s' '' 'SZJA ADATSZOLGÁLTATÁS v2023.01' '')"
expect_at 4 0 "╠══════"
expect_at 2 68 "$(date +%Y.%m.%d)"
expect_at 8 24 " 1  Adatbevitel, módosítás      "
expect_at 9 24 " 2  23M30 jövedelemigazolás     "
expect_at 13 24 " 6  ÁNYK import fájlok készítése"
expect_at 16 24 " 0  Kilépés a programból        "
expect_at 22 3 "F1 - segítség"
expect_at 22 60 "F2 - beállítások"
expect_at 24 16 "Magánszemélynek kifizetett összegek módosítása"

# The submenu: the note is listed as read; reindexing rebuilds a deleted index.
keys 8
wait_for "Mentés visszatöltése"
expect_at 3 33 "Egyéb funkciók"
expect_at 11 28 " 2  Újraindexelés        "
keys 3
wait_for "Valt0001.txt     olvasott"
keys Escape
wait_gone "Valt0001.txt     olvasott"
rm -f "$inst/virda232.ntx"
keys 2
wait_for "Indexelés kész"
[ -f "$inst/virda232.ntx" ] || fail "reindexing did not build virda232.ntx"
keys Enter
wait_gone "Indexelés kész"
keys Escape
wait_for "Kilépés a programból"
# The submenu holds the tables to itself; back at the main menu they can be read.
"$dbftool" check-index "$inst/virda23.dbf" "$inst/virda232.ntx" >/dev/null || fail "index check"
quit_program
[ ! -f "$inst/gond.baj" ] || fail "gond.baj left after the last workstation"

# SIGKILL at the main menu: the next start finds gond.baj and rebuilds the indexes.
start "'$launcher' '$inst' x"
wait_for "A feldolgozás dátuma:"
keys Enter
wait_for "Kilépés a programból"
[ -f "$inst/gond.baj" ] || fail "no gond.baj while running"
before="$(stat -c %i:%Y "$inst/virda23.ntx")"
shell_pid="$(tm display-message -p -t t '#{pane_pid}')"
program_pid="$(pgrep -P "$shell_pid" | head -1)"
[ -n "$program_pid" ] || fail "no program to kill"
kill -KILL "$program_pid"
ended
sleep 1  # the rebuilt index's time must differ by a second
start "'$launcher' '$inst' x"
wait_for "A feldolgozás dátuma:"
after="$(stat -c %i:%Y "$inst/virda23.ntx")"
[ "$before" != "$after" ] || fail "virda23.ntx was not rebuilt after the kill"
for t in virda23:virda23 virda23:virda232 eltar23:eltar23 vallal:vallal; do
  "$dbftool" check-index "$inst/${t%%:*}.dbf" "$inst/${t##*:}.ntx" >/dev/null || fail "index ${t##*:} after restart"
done
keys Enter
wait_for "Kilépés a programból"

# The terminal hangs up at the main menu: the program closes its tables and ends.
shell_pid="$(tm display-message -p -t t '#{pane_pid}')"
program_pid="$(pgrep -P "$shell_pid" | head -1)"
[ -n "$program_pid" ] || fail "no program to hang up"
kill -HUP "$program_pid"
for i in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$program_pid" 2>/dev/null || fail "the program did not end on SIGHUP"
"$dbftool" check-index "$inst/virda23.dbf" "$inst/virda23.ntx" >/dev/null || fail "index after SIGHUP"
echo "ok"
