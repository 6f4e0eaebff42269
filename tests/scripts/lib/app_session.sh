# Sourced by the end-to-end scripts: the program on a generated installation in one
# 80x25 tmux window of a tmux server of its own, and the waits on its screen.
#   app_session_start NAME [ARGS...]   generates the installation, starts the launcher
# Afterwards: $inst, pane, fail, wait_for, wait_gone; everything is removed on exit.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
for f in "$launcher" "$gen"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
sock=""
tm() { tmux -L "$sock" "$@"; }
app_session_cleanup() {
  [ -z "$sock" ] || tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap app_session_cleanup EXIT
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
app_session_start() {
  local name="$1"
  shift
  sock="mvirda_${name}_$$"
  "$gen" "$drive" --persons 20 --companies 2 >/dev/null
  touch "$inst/elsoind.jel"
  tm new-session -d -s t -x 80 -y 25 \
    "export VIRDA_DRIVE='$drive'; '$launcher' '$inst' $*; echo PROGRAM-ENDED; sleep 60"
}
