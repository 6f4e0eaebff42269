#!/usr/bin/env bash
# End to end: two workstations run M30 with XML files at once. The second waits for
# the preview file, then in "Várakozás állományra..." while the first one's file
# list is open; none of the first run's files disappears meanwhile. Afterwards
# "M30XML" holds exactly the second run's files (it starts at number 2).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib/program_windows.sh" i16_efile_two

"$gen" "$drive" --persons 30 --companies 2 >/dev/null
touch "$inst/elsoind.jel"
export HOME="$drive/home" VIRDA_ABEVJAVA="$drive/no-form-filler"
mkdir -p "$HOME"

# Item 2, both types, from start number `$1`, XML "I", the screen.
m30_with_xml() {
  keys 2
  kinds_box m30
  keys Down Down Enter
  wait_at 8 26 "Jövedelemigazolás nyomtatása:"
  keys Enter Enter Enter
  type_text "$1"
  keys Enter
  wait_at 21 8 "Nem kötelező az M30 igazolást"  # the XML question's help box
  type_text I
  wait_for "Nyomtatás"
  keys Enter
}
snapshot() { (cd "$inst/M30XML" && ls | grep -v '\.lck$' | sort | xargs -d '\n' md5sum); }

station a
station b
w=a; m30_with_xml 1
wait_for "TXT fájlba-T"
w=b; m30_with_xml 2
wait_for "Várakozás állományra..."
w=a; keys Escape
wait_at 6 32 "23M30 XML fájlok"
first="$(snapshot)"
grep -q "_0001_" <<<"$first" || fail "the first run wrote no file numbered 1"
# The second has the preview file now and waits for the directory.
w=b; wait_for "Várakozás állományra..."
sleep 3
pane | grep -q "TXT fájlba-T" && fail "the second run went on while the first one's list was open"
[ "$(snapshot)" == "$first" ] || fail "the first run's files changed while its list was open"
w=a; wait_at 8 24 "$(sed -n 1p <<<"$first" | cut -c35- | cut -c1-32)"
keys Escape
wait_for "Kilépés a programból"
w=b; wait_for "TXT fájlba-T"
keys Escape
wait_at 6 32 "23M30 XML fájlok"
second="$(snapshot)"
[ -n "$second" ] || fail "the second run wrote nothing"
grep -q "_0001_" <<<"$second" && fail "a file of the first run is left"
want="$(iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -ac "^Sorszám:" || true)"
[ "$(wc -l <<<"$second")" -eq $((want / 2)) ] || fail "$(wc -l <<<"$second") files for $((want / 2)) certificates"
keys Escape
wait_for "Kilépés a programból"
echo "ok"
