# What the end-to-end scripts use to read the program's window in tmux. Sourced after
# the script has set `sock` (its tmux server) and named its window "t".
#   tm ARGS...             tmux on the script's server
#   pane                   the window's text
#   wait_for TEXT          up to 15 seconds for TEXT anywhere in the window
#   at ROW COL TEXT        the window's text at a row and column (from 0), TEXT long
#   expect_at ROW COL TEXT fails unless that text stands there
#   fail MESSAGE           prints the message and the window, then exits 1
tm() { tmux -L "$sock" "$@"; }
fail() { echo "FAIL: $*"; echo "--- pane ---"; tm capture-pane -p -t t 2>/dev/null || true; exit 1; }
pane() { tm capture-pane -p -t t; }
wait_for() {
  local i
  for i in $(seq 150); do
    if pane | grep -qF -- "$1"; then return 0; fi
    sleep 0.1
  done
  fail "waited for: $1"
}
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
expect_at() { [ "$(at "$1" "$2" "$3")" == "$3" ] || fail "row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"; }
