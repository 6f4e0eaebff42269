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
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
payroll="$bin/takeover/tools/gen-payroll"
for f in "$launcher" "$gen" "$payroll"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_i17_takeover_$$"
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
  for w in one two; do echo "--- $w ---"; tm capture-pane -p -t "$w" 2>/dev/null || true; done
  exit 1
}
pane() { tm capture-pane -p -t "$1"; }
wait_for() {  # wait_for WINDOW TEXT
  local i
  for i in $(seq 300); do
    if pane "$1" | grep -qF -- "$2"; then return 0; fi
    sleep 0.1
  done
  fail "$1 waited for: $2"
}
# The text at row R (from 0), column C (from 0) of a window.
at() {
  local line
  line="$(pane "$1" | sed -n "$(($2 + 1))p")"
  printf '%s' "${line:$3:${#4}}"
}
expect_at() { [ "$(at "$@")" == "$4" ] || fail "$1 row $2 column $3: expected '$4', got '$(at "$@")'"; }
run_in() {  # run_in WINDOW: a workstation in a new 80x25 window
  local cmd="export VIRDA_DRIVE='$drive'; '$launcher' '$inst' x; echo PROGRAM-ENDED; sleep 60"
  if tm has-session -t s 2>/dev/null; then
    tm new-window -t s -n "$1" "$cmd"
  else
    tm new-session -d -s s -n "$1" -x 80 -y 25 "$cmd"
  fi
}

"$gen" "$drive" --persons 30 --companies 3 >/dev/null
"$payroll" "$drive/KVAD" --companies 1 --persons 10 >/dev/null
touch "$inst/elsoind.jel"

run_in one
wait_for one "A feldolgozás dátuma:"
tm send-keys -t one Enter
wait_for one "Kilépés a programból"
tm send-keys -t one 7
wait_for one "alkönyvtára:"
expect_at one 0 34 "Adatátvétel"
expect_at one 9 2 "2023. évi bérprogram alkönyvtára:"
expect_at one 9 36 "$drive/KVAD"
# The directory typed, in its Linux form.
tm send-keys -t one -l "$drive/KVAD"
tm send-keys -t one Enter
wait_for one "Ügyfél kiválasztás"
tm send-keys -t one M
tm send-keys -t one K
wait_for one "Már vannak a 001. cégnek adatai"
wait_for one "Felülírhatók"

# A second workstation starting meanwhile waits for the run.
run_in two
wait_for two "Várakozás állományra..."

tm send-keys -t one F
wait_for one "Túl nagy szám: 001"
expect_at one 13 2 "Kész:"
tm send-keys -t one Enter
wait_for one "SZDIJ"
tm send-keys -t one Enter
wait_for one "Már vannak a 002. cégnek adatai"
tm send-keys -t one N
wait_for one "Már vannak a 003. cégnek adatai"
tm send-keys -t one N
wait_for one "Sor:"
pane one | grep -qF "állampolgárság 777 nincs az országtáblában" || fail "the report"
tm send-keys -t one Escape
wait_for one "Az átvétel kész"
tm send-keys -t one Enter
wait_for one "Kilépés a programból"
[ "$(cat "$inst/kvaddir.txt")" == "$drive/KVAD" ] || fail "kvaddir.txt: $(cat "$inst/kvaddir.txt")"

# The second workstation reaches its main menu.
wait_for two "A feldolgozás dátuma:"
tm send-keys -t two Enter
wait_for two "Kilépés a programból"

# Item 7 while the second one is at its menu: the tables are busy.
tm send-keys -t one 7
wait_for one "Az állomány foglalt"
tm send-keys -t two Escape
wait_for two "Adatállomány mentése?"
tm send-keys -t two n
wait_for two PROGRAM-ENDED
tm send-keys -t one V
wait_for one "alkönyvtára:"

# The remembered directory again; every overwrite declined, the last company (010,
# taken above) included: no closing message.
tm send-keys -t one Enter
wait_for one "Ügyfél kiválasztás"
tm send-keys -t one M
tm send-keys -t one K
for c in 001 002 003 010; do
  wait_for one "Már vannak a $c. cégnek adatai"
  tm send-keys -t one N
done
for i in $(seq 100); do
  pane one | grep -qF "Az átvétel kész" && fail "closing message after a declined last company"
  pane one | grep -qF "Kilépés a programból" && break
  sleep 0.1
done
wait_for one "Kilépés a programból"
tm send-keys -t one Escape
wait_for one "Adatállomány mentése?"
tm send-keys -t one n
wait_for one PROGRAM-ENDED
echo "ok"
