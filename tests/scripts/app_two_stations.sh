#!/usr/bin/env bash
# End to end: two workstations in one installation, each in its own tmux window. The
# second starts while the first is at the main menu: it neither rebuilds the indexes
# nor touches "gond.baj"; the first leaves and "gond.baj" stays; the last one out
# removes it.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_two
stamp() { stat -c %i:%y "$inst/virda23.ntx"; }

"$gen" "$drive" --persons 30 --companies 2 >/dev/null
touch "$inst/elsoind.jel"

station one
[ -f "$inst/gond.baj" ] || fail "the first workstation made no gond.baj"
before="$(stamp)"

rm "$inst/gond.baj"  # so that a second workstation making one would show
station two
[ ! -f "$inst/gond.baj" ] || fail "the second workstation made gond.baj"
[ "$(stamp)" == "$before" ] || fail "the second workstation rebuilt the indexes"
touch "$inst/gond.baj"

w=one
leave_program
[ -f "$inst/gond.baj" ] || fail "gond.baj removed while the second one still runs"
w=two
leave_program
[ ! -f "$inst/gond.baj" ] || fail "gond.baj left after the last workstation"
echo "ok"
