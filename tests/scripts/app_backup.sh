#!/usr/bin/env bash
# End to end: backup at the exit and restore from the submenu in tmux, 80x25, on a
# generated installation (VIRDA_DRIVE at a scratch directory), with 7-Zip. The
# dialogs at their rows and columns; a typed path full of shell syntax that is one
# argument; the archive's names; the round trip after a lost and a changed table;
# a table held by another workstation (Esc gives up, the archive stays); a
# workstation that starts during a restore waits for it; the version box and the
# calculator over the date field and the main menu.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_backup
command -v 7zz >/dev/null || { echo "missing 7zz (Debian package 7zip)"; exit 1; }
holder=""
at_exit '[ -z "$holder" ] || kill "$holder" 2>/dev/null'
start() {  # the program up to the processing date
  open_window "'$launcher' '$inst' x"
  wait_for "A feldolgozás dátuma:"
}
to_menu() { w=t; keys Enter; wait_for "Kilépés a programból"; }
dumps() {  # every table's records, as dbftool dumps them
  local t
  for t in vallal virda23 eltar23 konstans kozter; do "$dbftool" dump "$inst/$t.dbf"; done
}
sound() {  # every table passes the check, every index its check
  local t
  for t in vallal virda23 eltar23 konstans kozter; do
    "$dbftool" check "$inst/$t.dbf" >/dev/null || fail "$t.dbf does not pass the check"
  done
  for t in virda23:virda23 virda23:virda232 eltar23:eltar23 vallal:vallal; do
    "$dbftool" check-index "$inst/${t%%:*}.dbf" "$inst/${t##*:}.ntx" >/dev/null || fail "index ${t##*:}"
  done
}

"$gen" "$drive" --persons 40 --companies 3 >/dev/null
touch "$inst/elsoind.jel"
printf '%%PDF-1.4 igazolas\n' >"$inst/Igazolas.pdf"
printf 'log\r\n' >"$inst/hibauzen.dbh"

# --- The version box and the calculator over the date field and the main menu.
start
before="$(pane)"
keys M-v
wait_for "Tovább..."
expect_at 7 21 "┌─────"
expect_at 18 21 "└─────"
expect_at 9 24 "Könyvtár : "
expect_at 11 24 "Verzió   : 2023.01"
expect_at 13 24 "Exe dátum: "
expect_at 15 24 "Fordító  : "
expect_at 17 35 "Tovább..."
keys x
wait_screen "$before" "the screen after the version box over the date field"
to_menu
before="$(pane)"
keys M-v
wait_for "Tovább..."
keys Space
wait_screen "$before" "the screen after the version box over the main menu"
keys M-s
wait_at 5 2 "7  8  9  /"
expect_at 11 2 "0  .  =  +"
keys 7 + 5 =
wait_at 2 2 "        12"
keys Enter
wait_screen "$before" "the main menu after the calculator"

# --- The backup at the exit, into a new directory with shell syntax in its name.
keys Escape
wait_for "Adatállomány mentése?"
expect_at 17 51 "Adatállomány mentése?"
expect_at 19 51 "Igen"
expect_at 20 51 "Nem"
keys i
wait_for "Mentés helye"
expect_at 9 20 "┌─────────────Mentés helye──────────────┐"
expect_at 15 20 "└"
expect_at 11 24 "Elérési út (pl. D:\\MENTES):"
expect_at 12 24 "$(printf '%35s' '')"
target='ment és;$(touch pwned)'
type_text "$target"
keys Enter
wait_for "Létrehozás?"
expect_at 16 40 "A megadott könyvtár nem létezik."
expect_at 17 40 "Létrehozás?"
dumps >"$drive/before.csv"
keys i
wait_for "A mentés elkészült:"
keys Enter
ended
archive="$inst/$target/virda23#.zip"
[ -f "$archive" ] || fail "no archive in '$inst/$target'"
listed="$(7zz l -slt "$archive" | sed -n 's/^Path = //p' | tail -n +2 | sort)"
wanted="$(cd "$inst" && find . -maxdepth 1 -type f \( -iname '*.db?' -o -iname '*.pdf' \) -printf '%f\n' | sort)"
[ "$listed" == "$wanted" ] || fail "archived: $listed; wanted: $wanted"
! grep -q / <<<"$listed" || fail "a directory in the archive"
! grep -qi '\.ntx$' <<<"$listed" || fail "an index file in the archive"
[ -z "$(find "$drive" -name pwned)" ] || fail "the typed path ran a command"
[ "$(iconv -f CP852 -t UTF-8 "$inst/masdrv.txt")" == "$target" ] || fail "masdrv.txt: $(cat "$inst/masdrv.txt")"
[ -z "$(find "$inst" -maxdepth 1 -name 'mentes.*')" ] || fail "a work directory was left"

# The next exit shows the path; Esc there cancels the backup.
start
to_menu
keys Escape
wait_for "Adatállomány mentése?"
keys Enter
wait_for "Mentés helye"
expect_at 12 24 "$target"
stamp="$(stat -c %Y.%s "$archive")"
keys Escape
ended
[ "$(stat -c %Y.%s "$archive")" == "$stamp" ] || fail "Esc in the path dialog made a backup"

# --- A table held exclusively by another workstation: Esc gives up, the archive stays.
sum="$(md5sum <"$archive")"
start
to_menu
"$dbftool" hold "$inst/virda23.dbf" exclusive 60 >"$drive/hold.log" &
holder=$!
for i in $(seq 50); do grep -q holding "$drive/hold.log" && break; sleep 0.1; done
keys Escape
wait_for "Adatállomány mentése?"
keys i
wait_for "Mentés helye"
keys Enter
wait_for "Várakozás állományra..."
expect_at 12 25 "│   Várakozás állományra...   │"
keys Escape
wait_for "másik munkaállomás használja"
keys Enter
ended
kill "$holder"
wait "$holder" 2>/dev/null || true
holder=""
[ "$(md5sum <"$archive")" == "$sum" ] || fail "the archive changed after the lock was given up"

# --- The restore: "Nem", Esc in the path dialog, a missing directory.
start
to_menu
keys 8
wait_for "Mentés visszatöltése"
rm -f "$inst/virda232.ntx"
keys 1
wait_for "Adatállomány visszatöltése?"
expect_at 17 45 "Adatállomány visszatöltése?"
keys n
wait_gone "Adatállomány visszatöltése?"
wait_file "$inst/virda232.ntx"  # the indexes rebuilt after Nem
wait_for "Mentés visszatöltése"
[ ! -s "$inst/gond.baj" ] || fail "Nem wrote the restore's marker"
[ -z "$(find "$inst" -maxdepth 1 -name 'visszatoltes*')" ] || fail "Nem extracted something"
keys 1
wait_for "Adatállomány visszatöltése?"
keys i
wait_for "Mentés helye"
keys C-y
type_text "$drive/nincs ilyen"
keys Enter
wait_for "A megadott könyvtár nem létezik!"
expect_at 18 40 "A megadott könyvtár nem létezik!"
keys Enter
wait_gone "A megadott könyvtár nem létezik!"
expect_at 11 24 "Elérési út (pl. D:\\MENTES):"
keys Escape
wait_gone "Mentés helye"
wait_for "Mentés visszatöltése"
[ -z "$(find "$inst" -maxdepth 1 -name 'visszatoltes*')" ] || fail "Esc restored something"
keys Escape
wait_for "Kilépés a programból"
quit_program

# --- The round trip: with the program down the year table is lost and a company
# added; the start puts an empty year table in its place; the restore brings the
# backup's back while a second workstation, started meanwhile, waits.
rm "$inst/virda23.dbf"
"$dbftool" dump "$inst/vallal.dbf" | head -1 | sed 's/^,[0-9]*/,999/' | "$dbftool" append "$inst/vallal.dbf" 2>/dev/null
cmp -s <(dumps) "$drive/before.csv" && fail "nothing changed before the restore"
mkdir -p "$drive/util"
printf '#!/bin/sh\n[ "$1" = e ] && sleep 3\nexec 7zz "$@"\n' >"$drive/util/7za"
chmod +x "$drive/util/7za"
start
to_menu
keys 8
wait_for "Mentés visszatöltése"
keys 1
wait_for "Adatállomány visszatöltése?"
keys i
wait_for "Mentés helye"
expect_at 12 24 "$target"
keys Enter
wait_for "Visszatöltés folyamatban..."
# The second workstation starts now and waits for the start-up guard.
start_station two
wait_for "Várakozás állományra..."
w=t
wait_for "A visszatöltés kész."
keys Enter
wait_gone "A visszatöltés kész."
wait_for "Mentés visszatöltése"
# The submenu holds the working set to itself; the second workstation goes on once it
# is left.
keys Escape
wait_for "Kilépés a programból"
w=two
wait_for "A feldolgozás dátuma:"
keys Enter
wait_for "Kilépés a programból"
quit_program
w=t
quit_program
cmp -s <(dumps) "$drive/before.csv" || { diff <(dumps) "$drive/before.csv" | head -5; fail "the tables differ from the backup"; }
sound
[ -z "$(find "$inst" -maxdepth 1 -name 'visszatoltes*')" ] || fail "the restore left its directories"
echo "ok"
