#!/usr/bin/env bash
# End to end: two workstations start the M30 preview at once. The second waits for
# the preview file until the first closes its viewer, then shows its own complete
# preview; neither file mixes the two runs. A company the second workstation adds
# meanwhile is the first's default last code at its next run.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_certs2

# Item 2, both types, the dialog's defaults, the screen.
m30_preview() {
  keys 2
  kinds_box m30
  keys Down Down Enter
  wait_at 8 26 "Jövedelemigazolás nyomtatása:"
  keys Enter Enter Enter Enter Enter
  wait_for "Nyomtatás"
  keys Enter
}
certificates() { iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -ac "^Sorszám:" || true; }

installation 60 3

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
company_rest "Negyedik Próba Kft."
wait_for "004 │ Negyedik Próba Kft."
keys Escape
wait_for "Kilépés a programból"
w=a
keys 2
kinds_box m30
keys Down Down Enter
wait_at 10 44 "004"
keys Escape
wait_for "Kilépés a programból"
echo "ok"
