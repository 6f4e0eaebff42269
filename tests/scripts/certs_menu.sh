#!/usr/bin/env bash
# End to end: the certificates of the real program in tmux at 80x25 on a generated
# installation. Item 2, "Mindkettő": the selection dialog at its places with the
# help box of the XML question, the preview in the viewer, a search for a person's
# name, Esc back to the main menu. Item 3: the shorter dialog and the EKHO preview.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_certs

installation 40 3
codes="$("$dbftool" dump "$inst/vallal.dbf" | cut -d, -f2 | sort)"
lowest="$(head -1 <<<"$codes")"
highest="$(tail -1 <<<"$codes")"

station a

# Item 2: the certificate types, then the selection dialog.
keys 2
kinds_box m30
keys Down Down Enter
wait_at 6 15 "╔"
wait_at 19 65 "╝"
wait_at 8 26 "Jövedelemigazolás nyomtatása:"
wait_at 10 30 "Cég:"
wait_at 10 35 "$lowest"
wait_at 10 44 "$highest"
wait_at 15 30 "Kezdő oldal:"
wait_at 17 19 "ÁNYK 23M30 XML fájlok létrehozása [I/N]:"
wait_at 17 60 "N"
pane | sed -n '22,24p' | grep -q "Nem kötelező" && fail "the help box before the XML question"
keys Enter Enter Enter Enter
wait_at 21 8 "Nem kötelező az M30 igazolást az ÁNYK nyomtatvánnyal kinyomtatni."
wait_at 22 13 "A program által kinyomtatott nyomtatvány is megfelelő."
keys Enter
wait_for "Nyomtatás"
keys Enter

# The viewer.
wait_for "TXT fájlba-T"
wait_at 1 0 "Sorszám:    1"
wait_at 3 50 "23M30"
lines="$(grep -c $'\r$' "$inst/jovedig.prn" || true)"
[ "$lines" -gt 100 ] || fail "jovedig.prn has $lines lines"
status="$(pane | sed -n 25p)"
grep -q "Sor:" <<<"$status" || fail "status line: $status"
grep -q "/$((lines + 1))" <<<"$status" || grep -q "/$lines" <<<"$status" || fail "line count in: $status"
wait_at 24 79 "→"
# "K": the second certificate's person is found.
line="$(iconv -f CP852 -t UTF-8 "$inst/jovedig.prn" | grep -a "^Magánszemély családi neve:" | sed -n 3p | cut -c1-56 | sed 's/ *$//')"
name="$(cut -c32- <<<"$line")"
[ -n "$name" ] || fail "no person's name in jovedig.prn"
pane | grep -qF "$name" && fail "$name on the first screen already"
keys k
wait_for "Keresendő:"
type_text "$name"
keys Enter
wait_for "$line"  # the certificate's line, not the text typed into the search
keys Escape
wait_for "Kilépés a programból"

# Item 3: the EKHO certificate.
keys 3
kinds_box ekho
keys Down Down Enter
wait_at 10 15 "╔"
wait_at 12 28 "Ekho igazolás nyomtatása:"
pane | grep -q "Kezdő oldal" && fail "a start number in the EKHO dialog"
pane | grep -q "XML" && fail "the XML question in the EKHO dialog"
keys Enter Enter Enter
wait_for "Nyomtatás"
keys Enter
wait_for "TXT fájlba-T"
wait_at 2 62 "Igazolás*"
keys Escape
wait_for "Kilépés a programból"
quit_program
echo "ok"
