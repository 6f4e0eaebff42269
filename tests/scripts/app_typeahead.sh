#!/usr/bin/env bash
# End to end: keys typed ahead never answer what the user has not seen yet. Enter and
# "4" sent together at the processing date: the main menu waits; "4o" sent at once at
# the main menu: the notice stays until a later key; "82": the submenu opens and
# reindexing does not run.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
for f in "$launcher" "$gen"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_typeahead_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
pane() { tm capture-pane -p -t t; }
fail() { echo "FAIL: $*"; echo "--- pane ---"; pane 2>/dev/null || true; exit 1; }
wait_for() {
  local i
  for i in $(seq 150); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
wait_gone() {
  local i
  for i in $(seq 150); do
    if ! pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "still shown: $1"
}
# Still on the screen after a second (the program had time to act on what it read).
stays() { sleep 1; pane | grep -qF -- "$1" || fail "$2"; }
stays_away() { sleep 1; ! pane | grep -qF -- "$1" || fail "$2"; }
stamps() { stat -c %i:%y "$inst"/*.ntx; }

"$gen" "$drive" --persons 20 --companies 2 >/dev/null
touch "$inst/elsoind.jel"
tm new-session -d -s t -x 80 -y 25 \
  "export VIRDA_DRIVE='$drive'; '$bin/virda23' '$inst' x; echo PROGRAM-ENDED; sleep 60"

# Enter and 4 in one go at the processing date: the 4 does not choose item 4.
wait_for "A feldolgozás dátuma:"
tm send-keys -t t Enter 4
wait_for "Kilépés a programból"
stays_away "Még nem jelentek meg" "the 4 typed with the Enter chose item 4"

# 4 and o in one go: the notice of item 4 waits for a key typed after it is shown.
tm send-keys -t t 4o
wait_for "Még nem jelentek meg a nyomtatványok!"
stays "Még nem jelentek meg a nyomtatványok!" "the o typed ahead answered the notice"
tm send-keys -t t o
wait_gone "Még nem jelentek meg a nyomtatványok!"
wait_for "Kilépés a programból"

# 8 and 2 in one go: the submenu, and no reindexing.
before="$(stamps)"
tm send-keys -t t 82
wait_for "Újraindexelés"
stays_away "Indexelés kész" "the 2 typed ahead ran the reindexing"
[ "$(stamps)" == "$before" ] || fail "index files were rebuilt"
tm send-keys -t t Escape
wait_for "Kilépés a programból"
tm send-keys -t t Escape
wait_for PROGRAM-ENDED
echo "ok"
