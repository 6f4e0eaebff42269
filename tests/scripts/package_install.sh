#!/usr/bin/env bash
# The Debian package of this build, unpacked into a scratch root (dpkg-deb -x): its
# layout and control fields; a new installation made with its "virda23 --init" and
# refused a second time with nothing changed; the packaged launcher, with no build
# on PATH, through the first start's box, the title screen and the main menu at
# 80x25, upgrading nothing; every table and index sound afterwards; the launcher
# alone finding the program on PATH.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_package
src="${MVIRDA_SOURCE_DIR:?}"
scratch="$drive"
at_exit 'rm -rf "$scratch"'

deb="$("$src/tools/package" --build-dir "$MVIRDA_BINARY_DIR" --out "$scratch" --no-lintian --fast | tail -1)"
[ -f "$deb" ] || fail "no package: $deb"
dpkg-deb -x "$deb" "$scratch/root"
usr="$scratch/root/usr"

# Layout: the programs, the files of a new installation (every one the build
# made), the manual pages and the documents.
for f in bin/mvirda23 bin/virda23 bin/dbftool; do
  [ -x "$usr/$f" ] || fail "missing $f"
done
for f in man/man1/mvirda23.1.gz man/man1/virda23.1.gz man/man1/dbftool.1.gz \
  doc/mvirda23/copyright doc/mvirda23/changelog.gz doc/mvirda23/README.md \
  doc/mvirda23/docs/building.md; do
  [ -f "$usr/share/$f" ] || fail "missing share/$f"
done
(cd "$MVIRDA_BINARY_DIR/share/mvirda23" && find . -type f | sort) >"$scratch/built"
(cd "$usr/share/mvirda23" && find . -type f | sort) >"$scratch/packaged"
diff "$scratch/built" "$scratch/packaged" || fail "the package's share/mvirda23 differs from the build's"
grep -q 'build' "$usr/bin/virda23" && fail "the launcher looks into a build directory"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" == "2023.01" ] || fail "Version: $(field Version)"
for p in libc6 libncursesw6 libfreetype6 libfontconfig1 zlib1g fonts-dejavu-core; do
  grep -q "$p" <<<"$(field Depends)" || fail "Depends lacks $p: $(field Depends)"
done
[ "$(field Recommends)" == "7zip, curl" ] || fail "Recommends: $(field Recommends)"
[ "$(field Suggests)" == "cups-client, xdg-utils" ] || fail "Suggests: $(field Suggests)"

# A new installation on a share that does not exist yet, from the packaged launcher
# with nothing of the build on PATH.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
drive="$scratch/iroda"
inst="$drive/VIRDA23"
"$usr/bin/virda23" --init --name "Próba Kft." "$drive" >"$scratch/out" 2>"$scratch/err" ||
  fail "init: $(cat "$scratch/err")"
[ "$(cat "$scratch/out")" == "$inst" ] || fail "init printed: $(cat "$scratch/out")"
for t in "$inst"/*.dbf "$inst"/xxx/*.dbf; do
  "$usr/bin/dbftool" check "$t" >/dev/null || fail "dbftool check $t after init"
done

state() { (cd "$drive" && find . -printf '%p %s %T@\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
before="$(state)"
rc=0
"$usr/bin/mvirda23" init "$drive" >"$scratch/out" 2>"$scratch/err" || rc=$?
[ "$rc" == 7 ] || fail "init over an installation: exit $rc"
[ "$(wc -l <"$scratch/err")" == 1 ] || fail "init over an installation said: $(cat "$scratch/err")"
[ ! -s "$scratch/out" ] || fail "init over an installation printed: $(cat "$scratch/out")"
[ "$(state)" == "$before" ] || fail "init over an installation changed it"

# The structures the first start must find current: it upgrades nothing.
structures() {
  local t
  for t in "$inst"/*.dbf; do "$usr/bin/dbftool" info "$t" | grep -v '^last update:'; done
}
structures >"$scratch/structures"

# The first start: its box, the title screen, the main menu with the name.
open_window "'$usr/bin/virda23'"
wait_for "A indítás után F2-vel lehet a nyomtatót beállítani."
tm send-keys -t t Enter
wait_for "A feldolgozás dátuma:"
expect_at 8 36 "VIRDA23"
expect_at 11 27 "SZJA ADATSZOLGÁLTATÁS 2023."
tm send-keys -t t Enter
wait_for "Kilépés a programból"
expect_at 0 35 "Próba Kft."
expect_at 8 24 " 1  Adatbevitel, módosítás      "
expect_at 16 24 " 0  Kilépés a programból        "
[ -f "$inst/elsoind.jel" ] || fail "no elsoind.jel after the first start"
quit_program
[ ! -f "$inst/gond.baj" ] || fail "gond.baj left after the last workstation"

for t in "$inst"/*.dbf; do
  "$usr/bin/dbftool" check "$t" >/dev/null || fail "dbftool check $t after the first start"
done
structures | diff "$scratch/structures" - || fail "the first start changed a table's structure"
for t in virda23:virda23 virda23:virda232 eltar23:eltar23 vallal:vallal; do
  "$usr/bin/dbftool" check-index "$inst/${t%%:*}.dbf" "$inst/${t##*:}.ntx" >/dev/null ||
    fail "index ${t##*:} after the first start"
done

# The launcher alone finds the program on PATH, and says so when it cannot.
mkdir "$scratch/alone"
cp "$usr/bin/virda23" "$scratch/alone/"
PATH="$usr/bin:$PATH" "$scratch/alone/virda23" --init --help | grep -q "mvirda23 init" ||
  fail "the launcher did not find mvirda23 on PATH"
rc=0
"$scratch/alone/virda23" --init --help >/dev/null 2>"$scratch/err" || rc=$?
[ "$rc" == 4 ] && grep -q "mvirda23 not found" "$scratch/err" || fail "launcher without a program: exit $rc"
echo ok
