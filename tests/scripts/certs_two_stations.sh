#!/usr/bin/env bash
# End to end: two workstations start the M30 preview at once. The second waits for
# the preview file until the first closes its viewer, then shows its own complete
# preview; neither file mixes the two runs. A company the second workstation adds
# meanwhile is the first's default last code at its next run.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
bin="${MVIRDA_BINARY_DIR:?}/src"
launcher="$bin/virda23"
gen="$bin/store/tools/gen-installation"
for f in "$launcher" "$gen"; do
  [ -x "$f" ] || { echo "missing $f"; exit 1; }
done
sock="mvirda_certs2_$$"
drive="$(mktemp -d)"
inst="$drive/VIRDA23"
tm() { tmux -L "$sock" "$@"; }
cleanup() {
  tm kill-server 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
w=a
fail() {
  echo "FAIL: $*"
  for x in a b; do echo "--- $x ---"; tm capture-pane -p -t "$x" 2>/dev/null || true; done
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
at() {
  local line
  line="$(pane | sed -n "$(($1 + 1))p")"
  printf '%s' "${line:$2:${#3}}"
}
wait_at() {  # wait_at ROW COL TEXT
  local i
  for i in $(seq 300); do
    [ "$(at "$1" "$2" "$3")" == "$3" ] && return 0
    sleep 0.1
  done
  fail "$w row $1 column $2: expected '$3', got '$(at "$1" "$2" "$3")'"
}
keys() { tm send-keys -t "$w" "$@"; sleep 0.3; }
type_text() { tm send-keys -t "$w" -l "$1"; sleep 0.3; }
station() {  # station NAME: a workstation in a new 80x25 window, at its main menu
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
# Item 2, both types, the dialog's defaults, the screen.
m30_preview() {
  keys 2
  wait_for "M30 jövedelemigazolás"
  keys Down Down Enter
  wait_at 8 26 "Jövedelemigazolás nyomtatása:"
  keys Enter Enter Enter Enter Enter
  wait_for "Nyomtatás"
  keys Enter
}
certificates() { iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -ac "^Sorszám:" || true; }

"$gen" "$drive" --persons 60 --companies 3 >/dev/null
touch "$inst/elsoind.jel"

station a
station b
w=a; m30_preview
w=b; m30_preview
w=a; wait_for "TXT fájlba-T"
w=b; wait_for "Várakozás állományra..."
first="$(md5sum < "$inst/jovedig.prn")"
pages="$(certificates)"
[ "$pages" -gt 0 ] || fail "the first preview is empty"
w=a; keys Escape; wait_for "Kilépés a programból"
w=b; wait_for "TXT fájlba-T"
wait_at 1 0 "Sorszám:    1"
[ "$(certificates)" == "$pages" ] || fail "the second preview has $(certificates) pages, not $pages"
[ "$(md5sum < "$inst/jovedig.prn")" == "$first" ] || fail "the two runs' files differ"
keys Escape
wait_for "Kilépés a programból"

# B adds company 004; A's next run offers it as the last code.
keys 5
wait_at 1 33 "Vállalkozások"
keys F
wait_at 0 31 "Felvitel"
keys 4 Enter
type_text "Negyedik Próba Kft."
keys PageDown
type_text "utca"
keys PageDown
wait_for "Hibás adószám/adóazonosító"
keys Enter
type_text "10000001000"
keys PageDown
wait_for "004 │ Negyedik Próba Kft."
keys Escape
wait_for "Kilépés a programból"
w=a
keys 2
wait_for "M30 jövedelemigazolás"
keys Down Down Enter
wait_at 10 44 "004"
keys Escape
wait_for "Kilépés a programból"
echo "ok"
