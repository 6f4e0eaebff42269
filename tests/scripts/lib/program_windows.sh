# The real program in tmux windows of 80x25 over a scratch installation, and reading
# its screens: sourced by the end-to-end scripts (NAME is the tmux server's name).
#
#   . lib/program_windows.sh NAME
#   station a            a workstation in window "a", at its main menu
#   start_station a      a workstation started in window "a", not waited for
#   w=a                  the window the helpers below look at
#   wait_for TEXT        waits until the window shows TEXT (up to 20 s)
#   at R C TEXT          the text at row R, column C (from 0) as long as TEXT
#   wait_at R C TEXT     waits until TEXT stands there
#   keys K…              tmux key names, one by one (Esc and a letter sent together
#                        would arrive as Alt+letter: send Esc alone)
#   type_text TEXT       TEXT as typed
#   installation P C     a generated installation, P persons of C companies, started before
#   to_persons           main-menu item 1: the person browse
#   quit_program         from the main menu: Esc, no backup, until the program ends
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
dbftool="$bin/xbase/tools/dbftool"
for f in "$launcher" "$gen" "$dbftool"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="$1_$$"
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
  for x in $(tm list-windows -F '#W' 2>/dev/null); do
    echo "--- $x ---"
    tm capture-pane -p -t "$x" 2>/dev/null || true
  done
  exit 1
}
pane() { tm capture-pane -p -t "$w"; }
wait_for() {
  local i
  for i in $(seq 200); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "$w waited for: $1"
}
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
wait_at() {
  local i
  for i in $(seq 200); do
    [ "$(at "$1" "$2" "$3")" == "$3" ] && return 0
    sleep 0.1
  done
  fail "$w row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
keys() {
  local k
  for k in "$@"; do
    tm send-keys -t "$w" "$k"
    sleep 0.3
  done
}
type_text() { tm send-keys -t "$w" -l "$1"; sleep 0.3; }
start_station() {
  local cmd="export VIRDA_DRIVE='$drive'; '$launcher' '$inst' x; echo PROGRAM-ENDED; sleep 60"
  if tm has-session -t s 2>/dev/null; then
    tm new-window -t s -n "$1" "$cmd"
  else
    tm new-session -d -s s -n "$1" -x 80 -y 25 "$cmd"
  fi
  w="$1"
}
station() {
  start_station "$1"
  wait_for "A feldolgozás dátuma:"
  keys Enter
  wait_for "Kilépés a programból"
}
installation() {
  "$gen" "$drive" --persons "$1" --companies "$2" >/dev/null
  touch "$inst/elsoind.jel"
}
to_persons() {
  keys 1
  wait_at 1 29 "SZJA adatszolgáltatás"
}
quit_program() {
  keys Escape
  wait_for "Adatállomány mentése?"
  keys n
  wait_for PROGRAM-ENDED
}
