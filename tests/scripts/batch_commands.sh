#!/usr/bin/env bash
# End to end: the batch mode of the real binary on a generated installation
# (VIRDA_DRIVE at a scratch directory), with no terminal: TERM unset, stdin from
# /dev/null, under setsid (no controlling terminal). The help and the version; the
# check, also against another workstation's file lock; the M30 run beside a
# workstation at the main menu, two runs at once, its PDF's text layer; SIGTERM in a
# long run; the backup and the restore with their refusals; the M30 XML files; the
# takeover of a generated payroll installation. Failures told also with --quiet; a
# backup place typed as in the dialog.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_batch
need "$program" "$payroll"
command -v xmllint >/dev/null || { echo "missing xmllint (Debian package libxml2-utils)"; exit 1; }
command -v 7zz >/dev/null || { echo "missing 7zz (Debian package 7zip)"; exit 1; }
command -v pdftotext >/dev/null || { echo "missing pdftotext (Debian package poppler-utils)"; exit 1; }
holder=""
at_exit '[ -z "$holder" ] || kill "$holder" 2>/dev/null'
export VIRDA_DRIVE="$drive"

# batch ARGS...: the program without a terminal; sets rc, leaves out.txt, err.txt.
batch() {
  set +e
  (unset TERM; cd "$inst" && setsid "$program" batch "$@" </dev/null >"$drive/out.txt" 2>"$drive/err.txt")
  rc=$?
  set -e
}
expect_rc() { [ "$rc" = "$1" ] || { cat "$drive/err.txt"; fail "$2: exit $rc, not $1"; }; }
tables() { local t; for t in vallal virda23 eltar23 konstans kozter; do "$dbftool" dump "$inst/$t.dbf"; done; }

"$gen" "$drive" --persons 1500 --companies 4 >/dev/null
touch "$inst/elsoind.jel"

# --- Help and version on stdout, exit 0.
batch --help
expect_rc 0 "--help"
for w in check reindex m30 ekho takeover backup restore --companies --overwrite 143; do
  grep -qF -- "$w" "$drive/out.txt" || fail "--help does not name $w"
done
(unset TERM; setsid "$program" --version </dev/null | grep -q "^mvirda23 2023.01$") || fail "--version"

# --- The check: every file sound; a file lock held by another process is waited for.
batch check
expect_rc 0 "check"
[ "$(grep -c ': rendben$' "$drive/out.txt")" = 9 ] || { cat "$drive/out.txt"; fail "check lines"; }
"$dbftool" hold "$inst/virda23.dbf" flock 3 >"$drive/hold.txt" & holder=$!
wait_file "$drive/hold.txt" holding
batch check
expect_rc 0 "check beside a 3-second file lock"
wait "$holder" || true
"$dbftool" hold "$inst/virda23.dbf" flock 10 >"$drive/hold.txt" & holder=$!
wait_file "$drive/hold.txt" holding
batch --wait 1 check
expect_rc 5 "check against a 10-second file lock with --wait 1"
grep -qF "virda23.dbf" "$drive/err.txt" || fail "the busy file is not named"
kill "$holder" 2>/dev/null || true; holder=""
[ ! -e "$inst/gond.baj" ] || fail "the check made gond.baj"

# --- Beside a workstation at the main menu: the M30 run works, the restore waits.
open_window "'$launcher' '$inst' x"
wait_for "A feldolgozás dátuma:"
tm send-keys -t t Enter
wait_for "Kilépés a programból"
batch m30 --companies 001-001 --out "$drive/ki"
expect_rc 0 "m30 beside a workstation"
[ "$(cat "$drive/out.txt")" = "$drive/ki/jovedig.prn" ] || fail "m30 stdout: $(cat "$drive/out.txt")"
grep -q "mvirda23 m30: 001 .*: [0-9]* igazolás" "$drive/err.txt" || fail "no company line"
before="$(tables)"
batch --wait 2 restore --from "$drive" --yes
expect_rc 5 "restore beside a workstation"
[ "$(tables)" = "$before" ] || fail "the refused restore changed the tables"
kill_windows

# --- Two runs at once into different directories both finish; the PDF's text.
batch m30 --companies 2 --out "$drive/a" & first=$!
(unset TERM; cd "$inst" && setsid "$program" batch --quiet m30 --companies 2 --out "$drive/b" </dev/null >/dev/null 2>&1) || fail "second run"
wait "$first" || fail "first run"
cmp -s "$drive/a/jovedig.prn" "$drive/b/jovedig.prn" || fail "two runs made different previews"
batch --quiet m30 --companies 2 --pdf --out "$drive/pdf"
expect_rc 0 "m30 --pdf"
[ "$(cat "$drive/out.txt")" = "$drive/pdf/JOVEDIG.pdf" ] || fail "pdf stdout: $(cat "$drive/out.txt")"
pdftotext -layout "$drive/pdf/JOVEDIG.pdf" "$drive/pdf.txt"
# Every word of every preview line is in the text layer (the columns may differ).
tr -s ' \n' '\n\n' <"$drive/pdf.txt" | sort -u >"$drive/pdf.words"
iconv -f CP852 -t UTF-8 "$drive/a/jovedig.prn" | tr -d '\r\f' | tr -s ' \n' '\n\n' | sort -u >"$drive/prn.words"
missing="$(comm -23 "$drive/prn.words" "$drive/pdf.words" | grep -v '^$' || true)"
[ -z "$missing" ] || fail "the PDF lacks: $(echo "$missing" | head -5)"

# --- SIGTERM in a long run: 143 within a second, nothing left behind.
(unset TERM; cd "$inst" && exec setsid "$program" batch m30 --out "$drive/long" </dev/null >/dev/null 2>"$drive/err.txt") &
long=$!
for _ in $(seq 100); do grep -q "igazolás" "$drive/err.txt" 2>/dev/null && break; sleep 0.1; done
start=$(date +%s%N)
kill -TERM "$long"
set +e; wait "$long"; rc=$?; set -e
took=$(( ($(date +%s%N) - start) / 1000000 ))
expect_rc 143 "m30 stopped by SIGTERM"
[ "$took" -lt 1000 ] || fail "SIGTERM took $took ms"
[ ! -e "$inst/gond.baj" ] || fail "gond.baj left after a stopped run"
ls /tmp/DOSPRINT-* 2>/dev/null | grep -q . && fail "work file left" || true

# --- Backup and restore: the round trip, the refusals.
batch backup --to "$drive/mentes"
expect_rc 0 "backup"
[ "$(cat "$drive/out.txt")" = "$drive/mentes/virda23#.zip" ] || fail "backup stdout"
7zz l "$drive/mentes/virda23#.zip" | grep -q "virda23.dbf" || fail "archive lacks the year table"
before="$(tables)"
batch restore --from "$drive/mentes"
expect_rc 2 "restore without --yes"
batch restore --from "$drive/nincs" --yes
expect_rc 4 "restore of a missing archive"
batch --quiet restore --from "$drive/nincs" --yes
expect_rc 4 "quiet restore of a missing archive"
grep -qF "mvirda23 restore: Nem található a mentés:" "$drive/err.txt" || fail "--quiet hid why the restore failed"
# A place typed as in the backup dialog: on the installation's drive.
batch backup --to 'D:\MASIK'
expect_rc 0 "backup to D:\MASIK"
[ "$(cat "$drive/out.txt")" = "$drive/MASIK/virda23#.zip" ] || fail "backup to D:\MASIK: $(cat "$drive/out.txt")"
"$dbftool" create "$inst/vallal.dbf" VKOD:C:3:0 >/dev/null  # a lost table
batch restore --from "$drive/mentes" --yes
expect_rc 0 "restore"
[ "$(tables)" = "$before" ] || fail "the round trip changed the tables"
batch check
expect_rc 0 "check after the restore"

# --- The M30 XML files: listed after the preview, each well-formed.
batch m30 --companies 001-001 --xml --out "$drive/xml"
expect_rc 0 "m30 --xml"
[ "$(head -1 "$drive/out.txt")" = "$drive/xml/jovedig.prn" ] || fail "m30 --xml: the preview first"
grep '\.xml$' "$drive/out.txt" >"$drive/xml.txt" || fail "m30 --xml listed no XML file"
while read -r f; do
  case "$f" in "$drive/xml/M30XML/23M30_"*) ;; *) fail "XML file outside M30XML: $f" ;; esac
  xmllint --noout "$f" || fail "not well-formed: $f"
done <"$drive/xml.txt"

# --- The takeover: the payroll program's companies taken over, the tables sound after.
"$payroll" "$drive/KVAD" --companies 2 --persons 20 >/dev/null
batch takeover --companies all --from "$drive/KVAD" --overwrite
[ "$rc" = 0 ] || [ "$rc" = 3 ] || { cat "$drive/err.txt"; fail "takeover: exit $rc"; }
grep -q "mvirda23 takeover: [1-9][0-9]* cég feldolgozva" "$drive/err.txt" || { cat "$drive/err.txt"; fail "takeover summary"; }
batch takeover --companies all --from "$drive/nincs"
expect_rc 4 "takeover from a missing payroll directory"
batch check
expect_rc 0 "check after the takeover"
echo "batch commands: ok"
