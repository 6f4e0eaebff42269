#!/usr/bin/env bash
# End to end: two workstations on one person table in the real program. Both open one
# person and store one after the other: the second one's values are stored. One
# deletes the person the other has open: the other's "Tárolás" asks what to do. Both
# add 001 / 8414091237 / "M": the second is told "Ez már volt..." and stores "K".
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_persons2
count() { "$dbftool" dump "$inst/virda23.dbf" | grep -c "$1" || true; }
to_page6_and_store() {
  local p
  for p in 2 3 4 5 6; do keys K PageDown; done
  wait_at 24 0 "Javít   Előző kép   Tárolás"
  keys T
}
new_person() {  # page 1 of 001 / 8414091237 / "M", up to its menu
  keys F
  wait_at 0 31 "Felvitel"
  type_text "0018414091237"
  wait_for "Ha a mezőbe elkezd adatot"
  keys Enter
  type_text "MEN"
  keys Enter
  type_text "1"
  keys PageDown
  wait_at 24 0 "Javít   Következő kép"
}

installation 30 2
station a
to_persons
station b
to_persons

# One person, corrected on both; a stores first, then b: b's values stay.
for s in a b; do
  w=$s
  keys M K J
  wait_at 1 78 "02"
  if [ $s == a ]; then type_text "11111111"; else type_text "22222222"; fi
  keys PageDown
  wait_at 24 0 "Javít   Következő kép   Előző kép   Tárolás"
done
w=a; keys T; wait_at 1 29 "SZJA adatszolgáltatás"
w=b; keys T; wait_at 1 29 "SZJA adatszolgáltatás"
[ "$(count ',22222222,')" == 1 ] || fail "the second store is not there"
[ "$(count ',11111111,')" == 0 ] || fail "the first store outlived the second"

# b deletes the person a has open.
w=a; keys M; wait_at 1 78 "01"
w=b; keys T; wait_for "törlése ?"; keys I; wait_for "Biztos ?"; keys I
wait_gone "Biztos ?"
wait_at 1 29 "SZJA adatszolgáltatás"
w=a; keys T
wait_for "A tételt közben egy másik munkaállomás törölte."
wait_for "Újként tárolja"
keys E                     # "Elveti"
wait_at 1 29 "SZJA adatszolgáltatás"
[ "$(count '^\*.*,22222222,')" == 1 ] || fail "the deleted person came back"

# Both add the same certificate; b stores it as "K" after the message.
w=a; new_person
w=b; new_person
w=a; to_page6_and_store; wait_at 1 29 "SZJA adatszolgáltatás"
w=b; to_page6_and_store
wait_for "Ez már volt. Nem lehet újra felvinni !"
keys Enter
wait_at 1 78 "01"
keys Down Down Down
type_text "K"
keys PageDown
wait_at 24 0 "Javít   Következő kép"
to_page6_and_store
wait_at 1 29 "SZJA adatszolgáltatás"
[ "$(count ',001,8414091237,M,')" == 1 ] || fail "not one M certificate"
[ "$(count ',001,8414091237,K,')" == 1 ] || fail "not one K certificate"

for s in a b; do
  w=$s
  keys Escape
  wait_for "Kilépés a programból"
  quit_program
done
echo "ok"
