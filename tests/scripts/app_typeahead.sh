#!/usr/bin/env bash
# End to end: keys typed ahead never answer what the user has not seen yet. Enter and
# "4" sent together at the processing date: the main menu waits; "4o" sent at once at
# the main menu: the notice stays until a later key; "82": the submenu opens and
# reindexing does not run.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_typeahead

# Still (or never) on the screen after a second: the program had time to act.
stays() { sleep 1; pane | grep -qF -- "$1" || fail "$2"; }
stays_away() { sleep 1; ! pane | grep -qF -- "$1" || fail "$2"; }
stamps() { stat -c %i:%y "$inst"/*.ntx; }

installation 20 2
open_window "'$launcher' '$inst' x"

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
wait_for "Adatállomány mentése?"
tm send-keys -t t n
wait_for PROGRAM-ENDED
echo "ok"
