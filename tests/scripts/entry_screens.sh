#!/usr/bin/env bash
# End to end: the data entry of the real program in tmux on a generated installation.
# F1 at the main menu; the company browse (item 5): adding 007, modifying it, a taken
# code typed over after its refusal (008), a search
# by name, a quick search by code, a search form filled from the F1 pick list; two
# workstations, where B sees the name A has just stored; deleting a company with its
# persons (deleted in the file, their dependants kept); the person browse (item 1):
# quick search, "T" answered "Nem", "F" left with Esc adding nothing.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_entry
leave_form() {  # Esc in a form, "Igen" to the exit question (Esc and a letter sent
  keys Escape  # together would arrive as Alt+letter)
  wait_for "Kilépés tárolás nélkül?"
  keys I
}
count() { "$dbftool" dump "$inst/$1.dbf" | grep -c "$2" || true; }

installation 40 3

station a
# F1 at the main menu: the key help, any key returns.
keys F1
wait_at 2 13 "Adatfelvitelnél és kereséskor használható billentyűk"
keys x
wait_for "Kilépés a programból"

# Item 5: the company browse.
keys 5
wait_at 1 33 "Vállalkozások"
wait_at 22 14 "Felvitel  - F      Módosítás - M      Kilépés - ESC"
wait_at 5 1 "Kód"
wait_at 7 1 "001"

# Adding 007: the code zero filled, the seat kind and the tax number asked for.
keys F
wait_at 0 31 "Felvitel"
keys 7 Enter
company_rest "Hetes Próba Kft."
wait_at 10 1 "007 │ Hetes Próba Kft."

# Modifying it: the code shown, not edited.
keys M
wait_at 0 30 "Módosítás"
wait_at 3 8 "007"
wait_at 3 46 "Hetes Próba Kft."
leave_form
wait_at 1 33 "Vállalkozások"

# A code that is taken, then typed over: "1" is refused as 001; after the message the
# first digit clears the field, so "8" gives 008 (not 801).
keys F
wait_at 0 31 "Felvitel"
keys 1 Enter
wait_at 18 34 "Ez már volt. Nem lehet újra felvinni !"
keys Enter
wait_gone "Nem lehet újra felvinni !"
wait_at 3 8 "001"
keys 8
wait_at 3 8 "8  "
keys Enter
wait_at 3 8 "008"
company_rest "Nyolcas Próba Kft."
wait_at 11 1 "008 │ Nyolcas Próba Kft."
[ "$(count vallal '^,008,')" == 1 ] || fail "008 was not stored"
[ "$(count vallal '^,801,')" == 0 ] || fail "801 was stored"

# A search by name from the top lands on 007.
keys C-PageUp K Enter
type_text "hetes"
keys PageDown
keys M
wait_at 3 8 "007"
leave_form
wait_at 1 33 "Vállalkozások"

# A quick search by code.
keys g
wait_at 23 20 "Keresendő:"
type_text "002"
wait_at 23 31 "002_"
keys Enter M
wait_at 3 8 "002"
leave_form
wait_at 1 33 "Vállalkozások"

# The search form's code from the F1 pick list: from 002 one down is 003.
keys K F1
wait_at 3 2 "Kód"
keys Down Enter
wait_at 3 8 "003"
keys PageDown M
wait_at 0 30 "Módosítás"
wait_at 3 8 "003"
leave_form
wait_at 1 33 "Vállalkozások"

# Two workstations: B browses the companies, A renames 001, B's "M" shows the name.
station b
keys 5
wait_at 7 1 "001"
w=a
keys C-PageUp M
wait_at 3 8 "001"
type_text "Átnevezett Kft."
keys C-y PageDown
wait_at 7 1 "001 │ Átnevezett Kft."
w=b
keys M
wait_at 3 46 "Átnevezett Kft."
leave_form
wait_at 1 33 "Vállalkozások"
keys Escape
wait_for "Kilépés a programból"
quit_program

# Deleting 001 with its persons; their dependants stay.
w=a
persons_001="$(count virda23 '^,001,')"
dependants_001="$(count eltar23 '^,001,')"
[ "$persons_001" -gt 0 ] || fail "no persons of 001 to delete"
keys T
wait_for "001 Átnevezett Kft. törlése a dolgozók adataival együtt ?"
keys I
wait_for "Biztos ?"
keys I
wait_at 7 1 "002"
[ "$(count vallal '^\*,001,')" == 1 ] || fail "the company was not deleted"
[ "$(count virda23 '^\*,001,')" == "$persons_001" ] || fail "its persons were not deleted"
[ "$(count virda23 '^,001,')" == 0 ] || fail "a person of 001 was left"
[ "$(count eltar23 '^,001,')" == "$dependants_001" ] || fail "dependants were deleted"
keys Escape
wait_for "Kilépés a programból"

# Item 1: the person browse without 001.
to_persons
wait_at 22 78 "→"
wait_at 6 4 "002"
keys g
wait_at 22 11 "Gyorskeresés (cég száma+dolgozó neve, keresés vége: ENTER)"
type_text "003"
wait_at 23 31 "003_"
keys Enter
wait_at 22 14 "Felvitel"
before="$(count virda23 '^,')"
keys T
wait_for "törlése ?"
keys N
wait_gone "törlése ?"
wait_at 22 14 "Felvitel"
keys F
wait_at 0 31 "Felvitel"
wait_at 1 78 "01"
leave_form
wait_at 1 29 "SZJA adatszolgáltatás"
[ "$(count virda23 '^,')" == "$before" ] || fail "the person browse changed the year table"
keys Escape
wait_for "Kilépés a programból"
quit_program
echo "ok"
