# The real program in tmux windows of 80x25 over a scratch drive, and reading its
# screens: sourced by every end-to-end script (NAME names the script's tmux server).
#
#   . lib/program_windows.sh NAME
# Binaries of the build: $program, $launcher, $gen, $payroll, $dbftool; `need F…`
# stops the script unless each is an executable. The scratch drive $drive (with the
# installation's place $inst = $drive/VIRDA23) and the tmux server are removed when
# the script ends, after the commands given to `at_exit`.
#
#   installation P C     a generated installation, P persons of C companies, started before
#   station a            a workstation in window "a" (the launcher on $inst), at its main menu
#   start_station a      the same, not waited for
#   open_window CMD…     window "t" (replacing an earlier "t") running the shell command
#   w=a                  the window the helpers below look at ("t" after open_window)
#   wait_for TEXT        waits until the window shows TEXT (up to 20 s)
#   wait_gone TEXT       waits until the window no longer shows TEXT
#   at R C TEXT          the text at row R, column C (from 0) as long as TEXT
#   wait_at R C TEXT     waits until TEXT stands there
#   expect_at R C TEXT   fails unless TEXT stands there now
#   wait_file F [TEXT]   waits until the file F exists (and holds TEXT)
#   wait_screen S MSG    waits until the window shows exactly the screen S (a pane
#                        taken before), else fails with MSG
#   keys K…              tmux key names, one by one (Esc and a letter sent together
#                        would arrive as Alt+letter: send Esc alone)
#   type_text TEXT       TEXT as typed
#   to_persons           main-menu item 1: the person browse
#   company_rest NAME    in a new company's form after its code: NAME, the seat kind
#                        "utca", the tax number refused until one is typed, stored
#   kinds_box m30|ekho   after main-menu item 2 or 3: waits for the question of the
#                        certificate kinds (its title, then its last button, drawn after
#                        the box has emptied the keyboard)
#   ended                waits until the window's program has ended
#   quit_program         from the main menu: Esc, no backup, until the program ends
#   kill_windows         ends every window (and the program in it)
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
program="$bin/mvirda23"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
payroll="$bin/takeover/tools/gen-payroll"
dbftool="$bin/xbase/tools/dbftool"
need() {
  local f
  for f in "$@"; do
    [ -x "$f" ] || { echo "missing $f"; exit 1; }
  done
}
need "$launcher" "$gen" "$dbftool"
sock="${1:?}_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
w=a
tm() { tmux -L "$sock" "$@"; }
exit_steps=()
at_exit() { exit_steps+=("$*"); }
cleanup() {
  local s
  for s in "${exit_steps[@]}"; do eval "$s" || true; done
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $* (${BASH_SOURCE[-1]##*/} line ${BASH_LINENO[-2]})"
  local x
  for x in $(tm list-windows -F '#W' 2>/dev/null); do
    echo "--- $x ---"
    tm capture-pane -p -t "$x" 2>/dev/null || true
  done
  exit 1
}
pane() { tm capture-pane -p -t "$w"; }
# Each window's screen as it was just before the last keys were sent to it. A wait
# that this screen already satisfies proves nothing about the screen the keys lead
# to: the keys that follow could arrive before it is drawn. Such a wait fails. Once
# a wait has seen the new screen, the waits after it read that screen.
declare -A before_keys=()
note_screen() { before_keys[$w]="$(pane 2>/dev/null || true)"; }
seen() { unset 'before_keys[$w]'; }
stale() {  # stale CHECK ARGS…: CHECK holds on the screen before the last keys
  [ -n "${before_keys[$w]+set}" ] && SCREEN="${before_keys[$w]}" "$@"
}
shows() { grep -qF -- "$1" <<<"${SCREEN:-$(pane)}"; }
at() {
  local line
  line="$(sed -n "$(($1 + 1))p" <<<"${SCREEN:-$(pane)}")"
  printf '%s' "${line:$2:${#3}}"
}
stands() { [ "$(at "$1" "$2" "$3")" == "$3" ]; }
absent() { ! shows "$1"; }
wait_for() {
  local i
  stale shows "$1" && fail "$w waits for '$1', which it showed before the last keys"
  for i in $(seq 200); do
    if shows "$1"; then seen; return 0; fi
    sleep 0.1
  done
  fail "$w waited for: $1"
}
wait_gone() {
  local i
  stale absent "$1" && fail "$w waits for '$1' to go, which it did not show before the last keys"
  for i in $(seq 200); do
    if absent "$1"; then seen; return 0; fi
    sleep 0.1
  done
  fail "$w still shows: $1"
}
wait_at() {
  local i
  stale stands "$@" && fail "$w waits at row $1 column $2 for '$3', which stood there before the last keys"
  for i in $(seq 200); do
    stands "$@" && { seen; return 0; }
    sleep 0.1
  done
  fail "$w row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
wait_file() {
  local i
  for i in $(seq 200); do
    if [ -f "$1" ] && { [ -z "${2:-}" ] || grep -qaF -- "$2" "$1"; }; then return 0; fi
    sleep 0.1
  done
  fail "waited for the file $1${2:+ holding '$2'}"
}
wait_screen() {
  local i
  for i in $(seq 200); do
    [ "$(pane)" == "$1" ] && { seen; return 0; }
    sleep 0.1
  done
  fail "$2"
}
expect_at() {
  stands "$@" || fail "$w row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
keys() {
  local k
  note_screen
  for k in "$@"; do
    tm send-keys -t "$w" "$k"
    sleep 0.3
  done
}
type_text() { note_screen; tm send-keys -t "$w" -l "$1"; sleep 0.3; }
# window NAME CMD: a window of the server's one session running CMD, then "PROGRAM-ENDED".
window() {
  unset 'before_keys[$1]'
  local cmd="export VIRDA_DRIVE='$drive'; $2; echo PROGRAM-ENDED; sleep 60"
  if tm has-session -t s 2>/dev/null; then
    tm new-window -t s -n "$1" "$cmd"
  else
    tm new-session -d -s s -n "$1" -x 80 -y 25 "$cmd"
  fi
  w="$1"
}
open_window() {
  tm kill-window -t s:t 2>/dev/null || true
  window t "$*"
}
start_station() { window "$1" "'$launcher' '$inst' x"; }
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
# The box's corner is row 21, column 76; its text and buttons start two columns in
# from its left edge, which the widest line sets.
kinds_box() {
  case "$1" in
    m30) wait_at 16 51 "M30 jövedelemigazolás"; wait_at 20 51 "Mindkettő" ;;
    ekho) wait_at 16 52 "Ekho igazolás"; wait_at 20 52 "Mindkettő" ;;
    *) fail "kinds_box: $1" ;;
  esac
}
company_rest() {
  type_text "$1"
  keys PageDown
  type_text "utca"
  keys PageDown
  wait_for "Hibás adószám/adóazonosító"
  keys Enter
  type_text "10000001000"
  keys PageDown
}
ended() { wait_for PROGRAM-ENDED; }
quit_program() {
  keys Escape
  wait_for "Adatállomány mentése?"
  keys n
  ended
}
kill_windows() { tm kill-server 2>/dev/null || true; }
