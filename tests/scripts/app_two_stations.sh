#!/usr/bin/env bash
# End to end: two workstations in one installation, each in its own tmux window. The
# second starts while the first is at the main menu: it neither rebuilds the indexes
# nor touches "gond.baj"; the first leaves and "gond.baj" stays; the last one out
# removes it.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
for f in "$launcher" "$gen"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_two_$$"
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
wait_for() {  # wait_for WINDOW TEXT
  local i
  for i in $(seq 200); do
    if tm capture-pane -p -t "$1" | grep -qF -- "$2"; then return 0; fi
    sleep 0.1
  done
  fail "$1 waited for: $2"
}
run_in() {  # run_in WINDOW: a workstation in a new 80x25 window
  local cmd="export VIRDA_DRIVE='$drive'; '$launcher' '$inst' x; echo PROGRAM-ENDED; sleep 60"
  if tm has-session -t s 2>/dev/null; then
    tm new-window -t s -n "$1" "$cmd"
  else
    tm new-session -d -s s -n "$1" -x 80 -y 25 "$cmd"
  fi
}
stamp() { stat -c %i:%y "$inst/virda23.ntx"; }

"$gen" "$drive" --persons 30 --companies 2 >/dev/null
touch "$inst/elsoind.jel"

run_in one
wait_for one "A feldolgozás dátuma:"
tm send-keys -t one Enter
wait_for one "Kilépés a programból"
[ -f "$inst/gond.baj" ] || fail "the first workstation made no gond.baj"
before="$(stamp)"

rm "$inst/gond.baj"  # so that a second workstation making one would show
run_in two
wait_for two "A feldolgozás dátuma:"
tm send-keys -t two Enter
wait_for two "Kilépés a programból"
[ ! -f "$inst/gond.baj" ] || fail "the second workstation made gond.baj"
[ "$(stamp)" == "$before" ] || fail "the second workstation rebuilt the indexes"
touch "$inst/gond.baj"

tm send-keys -t one Escape
wait_for one "Adatállomány mentése?"
tm send-keys -t one n
wait_for one PROGRAM-ENDED
[ -f "$inst/gond.baj" ] || fail "gond.baj removed while the second one still runs"
tm send-keys -t two Escape
wait_for two "Adatállomány mentése?"
tm send-keys -t two n
wait_for two PROGRAM-ENDED
[ ! -f "$inst/gond.baj" ] || fail "gond.baj left after the last workstation"
echo "ok"
