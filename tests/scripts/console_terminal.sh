#!/usr/bin/env bash
# End to end on a real terminal: console_demo in tmux at 80x25 and larger. Box lines,
# "▒" and the Hungarian letters appear as themselves; Esc answers 0; Ctrl+C is a key
# (it moves like PgDn), not a signal; the terminal is given back after SIGINT and
# SIGTERM from outside and after a crash.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
demo="${MVIRDA_BINARY_DIR:?}/src/console/demo/console_demo"
[ -x "$demo" ] || { echo "missing $demo"; exit 1; }
base="mvirda_console_$$"
n=0
sock="$base.$n"
work="$(mktemp -d)"
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  local i
  for i in $(seq 0 "$n"); do tmux -L "$base.$i" kill-server 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- pane ---"; tm capture-pane -p -t t || true; exit 1; }

# Waits until the pane shows a text (up to 15 s).
wait_for() {
  local i
  for i in $(seq 150); do
    if tm capture-pane -p -t t | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
# Waits until a pane line is exactly the text.
wait_for_line() {
  local i
  for i in $(seq 150); do
    if tm capture-pane -p -t t | grep -qxF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for the line: $1"
}
# One pane line (0-based row), as characters.
row() { tm capture-pane -p -t t | sed -n "$(($1 + 1))p"; }
# Starts a shell at the given size and runs the demo in it.
start() {
  # Each run gets its own tmux server: a server just told to exit may still hold
  # the old socket.
  tm kill-server 2>/dev/null || true
  n=$((n + 1))
  sock="$base.$n"
  tm -f /dev/null new-session -d -s t -x "$1" -y "$2" "env PS1='$ ' bash --norc --noprofile"
  tm set -g window-size manual >/dev/null
  # A non-interactive runner, so that a demo killed by SIGINT still gets its rc line.
  printf '%s\n' "bash -c 'echo \$\$ > $work/pid; exec $demo $3'" 'echo rc=$?' > "$work/run.sh"
  tm send-keys -t t "bash $work/run.sh" Enter
}
# The question box of the demo, at its fixed place from the top-left corner.
check_box() {
  wait_for "Folytatja?"
  local line
  line="$(row 15)"
  [ "${line:54:1}" = "┌" ] || fail "top-left corner not at row 15, column 54"
  [ "${line:76:1}" = "┐" ] || fail "top-right corner not at row 15, column 76"
  line="$(row 16)"
  [ "${line:56:16}" = "Próba: őűŐŰ áé ▒" ] || fail "text line not at row 16, column 56"
  line="$(row 21)"
  [ "${line:54:1}" = "└" ] || fail "bottom frame not at row 21"
  line="$(row 19)"
  [ "${line:56:4}" = "Igen" ] || fail "first button not at row 19, column 56"
  row 11 | grep -qF "Árvíztűrő tükörfúrógép: őűŐŰáé" || fail "accented letters"
  row 17 | grep -qF "▒▒▒" || fail "shadow block"
  row 6 | grep -qF "╔═══" || fail "double frame"
}
# The terminal is cooked again: canonical input, echo and signals on.
check_restored() {
  tm send-keys -t t "stty -a | tr ' ;' '\n\n' | grep -cxE 'icanon|echo|isig|icrnl' | sed 's/^/cooked=/'" Enter
  wait_for_line "cooked=4"
  if tm capture-pane -p -t t | grep -qF "Folytatja?"; then fail "the program's screen was left behind"; fi
}

# 80x25: Esc answers 0.
start 80 25 ""
check_box
tm send-keys -t t Escape
wait_for "answer=0"
wait_for "rc=0"

# Larger terminal: the same place; too small: a notice; back: repainted. Ctrl+C is
# a key (PgDn: the last button), so Enter then answers 2.
start 100 30 ""
check_box
tm resize-window -t t -x 60 -y 20
wait_for "túl kicsi"
tm resize-window -t t -x 120 -y 40
check_box
tm send-keys -t t C-c
sleep 0.3
tm send-keys -t t Enter
wait_for "answer=2"
wait_for "rc=0"

# Signals from outside.
for sig in INT TERM; do
  start 80 25 ""
  check_box
  kill -s "$sig" "$(cat "$work/pid")"
  code=$((128 + $(kill -l "$sig")))
  wait_for "rc=$code"
  check_restored
done

# A crash.
start 80 25 "--crash"
wait_for "Alt+V"
tm send-keys -t t x
wait_for "rc=139"
check_restored
echo "console terminal tests passed"
