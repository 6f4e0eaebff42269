# Shared by the end-to-end scripts: workstations of the real program in tmux windows
# of 80x25 over one generated installation, and the helpers that look at them.
# Source it after `set -euo pipefail`; it sets bin, launcher, gen, dbftool, drive and
# inst, and removes the tmux server and the installation when the script ends.
#   w       the window the helpers look at
#   station NAME          a workstation in a new window, at its main menu
#   wait_for TEXT         until the pane shows TEXT
#   wait_at ROW COL TEXT  until TEXT stands at ROW, COL (both from 0)
#   keys KEY...           tmux keys; type_text TEXT: literal text
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
dbftool="$bin/xbase/tools/dbftool"
for f in "$launcher" "$gen" "$dbftool"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_$(basename "$0" .sh)_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
w=a
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  local x
  for x in $(tm list-windows -a -F '#W' 2>/dev/null); do
    echo "--- $x ---"
    tm capture-pane -p -t "$x" 2>/dev/null || true
  done
  exit 1
}
pane() { tm capture-pane -p -t "$w"; }
wait_for() {
  local i
  for i in $(seq 300); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "$w waited for: $1"
}
# The text at row R, column C (from 0) of the pane, as long as the text expected.
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
wait_at() {
  local i
  for i in $(seq 300); do
    [ "$(at "$1" "$2" "$3")" == "$3" ] && return 0
    sleep 0.1
  done
  fail "$w row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
keys() { tm send-keys -t "$w" "$@"; sleep 0.3; }
type_text() { tm send-keys -t "$w" -l "$1"; sleep 0.3; }
station() {
  local cmd="export VIRDA_DRIVE='$drive'; '$launcher' '$inst' x; echo PROGRAM-ENDED; sleep 60"
  if tm has-session -t s 2>/dev/null; then
    tm new-window -t s -n "$1" "$cmd"
  else
    tm new-session -d -s s -n "$1" -x 80 -y 25 "$cmd"
  fi
  w="$1"
  wait_for "A feldolgozás dátuma:"
  keys Enter
  wait_for "Kilépés a programból"
}
