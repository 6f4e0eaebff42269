#!/usr/bin/env bash
# End to end: menu item 7 of the real program in tmux at 80x25, over an installation
# from tools/gen-installation and a payroll installation from tools/gen-payroll in
# "KVAD" under the same drive root. The "Adatátvétel" screen and its field at their
# rows and columns, the payroll directory typed, the pick list, the overwrite
# question, the progress line, the report, "Az átvétel kész", the main menu and
# "kvaddir.txt". A second workstation started during the run waits and then reaches
# its main menu; item 7 while it is at its menu finds the tables busy. A run that
# declines the overwrite for the last company ends without "Az átvétel kész".
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_takeover
payroll="$bin/takeover/tools/gen-payroll"
[ -x "$payroll" ] || { echo "missing $payroll"; exit 1; }

"$gen" "$drive" --persons 30 --companies 3 >/dev/null
"$payroll" "$drive/KVAD" --companies 1 --persons 10 >/dev/null
touch "$inst/elsoind.jel"

station one
keys 7
wait_for "alkönyvtára:"
wait_at 0 34 "Adatátvétel"
wait_at 9 2 "2023. évi bérprogram alkönyvtára:"
wait_at 9 36 "$drive/KVAD"
type_text "$drive/KVAD"  # the directory typed, in its Linux form
keys Enter
wait_for "Ügyfél kiválasztás"
keys M K
wait_for "Már vannak a 001. cégnek adatai"
wait_for "Felülírhatók"

# A second workstation starting meanwhile waits for the run.
start_station two
wait_for "Várakozás állományra..."

w=one
keys F
wait_for "Túl nagy szám: 001"
wait_at 13 2 "Kész:"
keys Enter
wait_for "SZDIJ"
keys Enter
wait_for "Már vannak a 002. cégnek adatai"
keys N
wait_for "Már vannak a 003. cégnek adatai"
keys N
wait_for "Sor:"
pane | grep -qF "állampolgárság 777 nincs az országtáblában" || fail "the report"
keys Escape
wait_for "Az átvétel kész"
keys Enter
wait_for "Kilépés a programból"
[ "$(cat "$inst/kvaddir.txt")" == "$drive/KVAD" ] || fail "kvaddir.txt: $(cat "$inst/kvaddir.txt")"

# The second workstation reaches its main menu.
w=two
wait_for "A feldolgozás dátuma:"
keys Enter
wait_for "Kilépés a programból"

# Item 7 while the second one is at its menu: the tables are busy.
w=one
keys 7
wait_for "Az állomány foglalt"
w=two
quit_program
w=one
keys V
wait_for "alkönyvtára:"

# The remembered directory again; every overwrite declined, the last company (010,
# taken above) included: no closing message.
keys Enter
wait_for "Ügyfél kiválasztás"
keys M K
for c in 001 002 003 010; do
  wait_for "Már vannak a $c. cégnek adatai"
  keys N
done
for i in $(seq 100); do
  pane | grep -qF "Az átvétel kész" && fail "closing message after a declined last company"
  pane | grep -qF "Kilépés a programból" && break
  sleep 0.1
done
wait_for "Kilépés a programból"
quit_program
echo "ok"
