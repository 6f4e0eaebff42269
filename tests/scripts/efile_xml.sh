#!/usr/bin/env bash
# End to end: the M30 run with XML files in the real program, in tmux at 80x25 on a
# generated installation, with HOME and VIRDA_ABEVJAVA inside the test's directory
# and a stand-in form filler that writes its working directory and arguments. Item
# 2, "Mindkettő", XML "I", the preview, Esc, then the file list: Enter hands the
# first file over, Down and Enter the second, Esc back to the main menu. Then the
# same without the row table: the alert, no list, the previous files kept.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib/program_windows.sh" i16_efile_xml

"$gen" "$drive" --persons 30 --companies 2 >/dev/null
touch "$inst/elsoind.jel"
export HOME="$drive/home"
filler="$drive/abevjava"
mkdir -p "$HOME" "$filler"
record="$drive/called.txt"
cat >"$filler/abevjava_start" <<SCRIPT
#!/bin/sh
pwd > '$record.part'
for a in "\$@"; do printf '%s\n' "\$a" >> '$record.part'; done
mv '$record.part' '$record'
SCRIPT
chmod +x "$filler/abevjava_start"
export VIRDA_ABEVJAVA="$filler"
recorded() {
  local i
  for i in $(seq 100); do
    [ -f "$record" ] && { cat "$record"; rm -f "$record"; return 0; }
    sleep 0.1
  done
  fail "the form filler was not started"
}
# Item 2, both types, the dialog's defaults but XML "I", the screen.
m30_with_xml() {
  keys 2
  kinds_box m30
  keys Down Down Enter
  wait_at 8 26 "Jövedelemigazolás nyomtatása:"
  keys Enter Enter Enter Enter
  wait_at 21 8 "Nem kötelező az M30 igazolást"  # the XML question's help box
  type_text I
  wait_for "Nyomtatás"
  keys Enter
}

station a
m30_with_xml
wait_for "TXT fájlba-T"
keys Escape
wait_at 6 32 "23M30 XML fájlok"
wait_at 20 26 "ÁNYK - ENTER   Kilépés - Esc"
ls "$inst/M30XML" | grep -v '\.lck$' | sort -f >"$drive/names"
n="$(wc -l <"$drive/names")"
certs="$(iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -ac "^Sorszám:" || true)"
[ "$n" -gt 1 ] && [ "$n" -eq $((certs / 2)) ] || fail "$n XML files for $((certs / 2)) certificates"
first="$(sed -n 1p "$drive/names")"
second="$(sed -n 2p "$drive/names")"
wait_at 8 24 "$first"
keys Enter
[ "$(recorded)" == "$filler"$'\n'"cmd:file.import $inst/M30XML/$first" ] || fail "first hand-over"
expect_at 8 24 "$first"  # the list stays after the hand-over
keys Down Enter
[ "$(recorded)" == "$filler"$'\n'"cmd:file.import $inst/M30XML/$second" ] || fail "second hand-over"
for f in "$inst"/M30XML/23M30*.xml; do
  xmllint --noout "$f" || fail "$f is not well-formed"
done
keys Escape
wait_for "Kilépés a programból"
pane | grep -q "XML fájlok" && fail "the list stayed"

# Without the row table: one alert, no list, the files of the run before kept.
mv "$inst/xxx/seg23m30.dbf" "$drive/seg23m30.dbf"
before="$(ls "$inst/M30XML" | md5sum)"
m30_with_xml
wait_for "Az M30 XML sortábla nem olvasható: xxx/seg23m30.dbf"
wait_for "XML fájlok nem készülnek."
keys Enter
wait_for "TXT fájlba-T"
keys Escape
wait_for "Kilépés a programból"
pane | grep -q "XML fájlok" && fail "a list without XML files"
[ "$(ls "$inst/M30XML" | md5sum)" == "$before" ] || fail "the previous files changed"
keys Escape
wait_for "Adatállomány mentése?"
keys n
wait_for PROGRAM-ENDED
echo "ok"
