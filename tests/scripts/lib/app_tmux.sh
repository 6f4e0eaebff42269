# What the end-to-end scripts of the program share (sourced, not run): the binaries of
# the build, and the program in an 80x25 tmux window on a tmux server of its own for
# every start (sockets "$base.1", "$base.2", ...), read back as text.
#
# The script sets `drive` (the scratch drive root) and `base` (a socket name unique to
# it) before calling open_window, and calls kill_windows when it ends.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
program="$bin/mvirda23"
gen="$bin/store/tools/gen-installation"
dbftool="$bin/xbase/tools/dbftool"
n=0
sock="${base:-mvirda_$$}.0"

need() {  # need FILE...: each must be an executable of the build
  local f
  for f in "$@"; do
    [ -x "$f" ] || { echo "missing $f"; exit 1; }
  done
}
tm() { tmux -L "$sock" "$@"; }
pane() { tm capture-pane -p -t t; }
fail() { echo "FAIL: $*"; echo "--- pane ---"; tm capture-pane -p -t t 2>/dev/null || true; exit 1; }
wait_for() {
  local i
  for i in $(seq 150); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
# The text at row R (from 0), column C (from 0) of the pane.
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
expect_at() { [ "$(at "$1" "$2" "$3")" == "$3" ] || fail "row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"; }
open_window() {  # open_window COMMAND...: a fresh 80x25 window running the command
  tm kill-server 2>/dev/null || true
  n=$((n + 1))
  sock="$base.$n"
  tm new-session -d -s t -x 80 -y 25 "export VIRDA_DRIVE='$drive'; $*; echo PROGRAM-ENDED; sleep 60"
}
ended() {
  local i
  for i in $(seq 150); do
    if pane | grep -qF PROGRAM-ENDED; then return 0; fi
    sleep 0.1
  done
  fail "the program did not end"
}
# Esc in the main menu, "Nem" to the backup question, the end.
leave() {
  tm send-keys -t t Escape
  wait_for "Adatállomány mentése?"
  tm send-keys -t t n
  ended
}
kill_windows() {
  local i
  for i in $(seq 0 "$n"); do tmux -L "$base.$i" kill-server 2>/dev/null || true; done
}
