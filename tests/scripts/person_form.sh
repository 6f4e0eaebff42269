#!/usr/bin/env bash
# End to end: a new person over the six pages of the person form in the real program
# (80x25, a generated installation with two companies): each page's labels, values
# and columns; the dependants button and a new dependant; both stored, as the table
# dump shows.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_person
dump() { "$dbftool" dump "$inst/$1.dbf" | grep -F "$2" || true; }

installation 40 2

station a
to_persons
keys F
wait_at 0 31 "Felvitel"

# Page 1.
wait_at 1 78 "01"
wait_at 2 40 "Adóazonosító:"
wait_at 3 40 "Igazolás:       Jellege:    Hozott:"
type_text "0018414091237"
wait_for "Ha a mezőbe elkezd adatot"
type_text "Teszt"        # the first letter opens the name window
wait_for "Dolgozó neve"
keys Enter
type_text "Elek"
keys Enter Enter         # no title
wait_at 3 7 "Teszt Elek"
type_text "MEN"
keys Enter               # the birth name: left empty
type_text "119840506"    # sex, birth date
type_text "Győr"
keys Enter
type_text "9021Győr"
keys Enter
type_text "F"            # the street line's window
wait_for "Cím részletezése"
type_text "ő"
keys Enter
type_text "utca"
keys Enter
type_text "1"
keys Enter Enter Enter Enter Enter
wait_at 7 37 "Fő utca 1"
type_text "magyar"
keys Enter
type_text "HU"
wait_at 8 36 "HU"
keys PageDown            # the rest of the page: the menu
wait_at 24 0 "Javít   Következő kép"
keys J                   # the income rows
wait_gone "Javít   Következő kép"
wait_at 2 7 "001"
for i in $(seq 19); do keys Down; done
type_text "5400000"
keys Enter
type_text "120000"
keys Enter
type_text "20000"
keys Enter
wait_at 12 61 "   20000   100000"
wait_at 11 69 "  5400000"
keys PageDown K

# Page 2: the header.
wait_at 1 78 "02"
wait_at 2 2 "Cég: 001"
wait_at 2 15 "Név: Teszt Elek"
wait_at 2 52 "Adóazonosító: 8414091237"
wait_at 4 2 "18. Egyéb jogcímen kapott jövedelem:"
type_text "250000"
keys Enter
type_text "50000"
keys Enter
wait_at 4 60 "    50000   200000"
keys PageDown K

# Page 3.
wait_at 1 78 "03"
wait_at 4 42 "Összeg      Alap     Adó    Levont"
keys PageDown K

# Page 4: the button, the months of the first-marriage allowance.
wait_at 1 78 "04"
wait_at 4 2 "Eltartottak adatai Enter"
wait_at 13 2 " 56. 2023-ban felvett osztalékelőleg, levont adó:"
wait_at 22 11 "01:"
wait_at 22 66 "12:"
keys Enter
wait_at 1 34 "Eltartottak"
wait_for "Eltartó: Teszt Elek"
keys F
wait_at 2 2 "Eltartó neve : Teszt Elek"
wait_at 21 2 "01:"
wait_at 21 68 "12:"
type_text "1Kis"
keys Enter
type_text "Anna"
keys Enter
type_text "Mária"
keys Enter
type_text "8541164578123456788"
keys Enter Enter         # birth place; the birth date from the tax identifier
wait_at 9 19 "2015.03.02"
keys PageDown            # stops at January: blank
wait_at 11 16 "┌"
type_text "111111111111"
wait_for "Kis Anna"
keys Escape
wait_at 1 78 "04"
wait_at 4 2 "Eltartottak adatai      "
wait_at 2 15 "Név: Teszt Elek"
keys PageDown K

# Page 5.
wait_at 1 78 "05"
wait_at 9 2 " 1. Január"
wait_at 20 2 "12. December"
type_text "300000"
keys Enter
type_text "55500"
keys Enter
keys PageDown K

# Page 6: the EKHO heading; store.
wait_at 1 78 "06"
wait_at 9 21 "   Bev15%   Adó15%  Bev9.5%  Adó9.5%  Bev EGT  Adó EGT"
wait_at 21 3 "1. "   # the field covers the colon
wait_at 21 48 "4. "
keys PageDown
wait_at 24 0 "Javít   Előző kép   Tárolás"
keys T
wait_at 1 29 "SZJA adatszolgáltatás"
wait_for "Teszt Elek"

row="$(dump virda23 8414091237)"
for v in ",001,8414091237,M,E,N,Teszt Elek," ",Teszt,Elek," ",1,19840506,Győr,9021,Győr,Fő utca 1," \
         ",magyar,HU," ",5400000,120000,20000," ",250000,50000," ",300000,0,0,0,0,0,0,0,0,0,0,0,55500,"; do
  [[ "$row" == *"$v"* ]] || fail "year table: '$v' not in: $row"
done
row="$(dump eltar23 8541164578)"
for v in ",001,8414091237,1,,Kis Anna Mária,Kis,Anna,Mária,8541164578,123456788,,20150302," \
         ",1,1,1,1,1,1,1,1,1,1,1,1"; do
  [[ "$row" == *"$v"* ]] || fail "dependants: '$v' not in: $row"
done
keys Escape
wait_for "Kilépés a programból"
quit_program
echo "ok"
