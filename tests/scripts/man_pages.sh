#!/usr/bin/env bash
# The manual pages: man reports no warning on either, and they keep up with the
# programs: every command of dbftool's usage text and every environment variable
# the program reads is described.
set -euo pipefail
src="${MVIRDA_SOURCE_DIR:?}"
dbftool="${MVIRDA_BINARY_DIR:?}/src/xbase/tools/dbftool"
pages="$src/docs/man"
export LC_ALL=C.UTF-8 MANWIDTH=80
fail() { echo "FAIL: $*"; exit 1; }

# The pages as installed: virda23(1) names the page of mvirda23 relative to the tree.
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/man1"
cp "$pages"/*.1 "$tree/man1/"
cd "$tree"
for page in mvirda23 dbftool virda23; do
  warnings="$(man --warnings -l "man1/$page.1" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
man -l man1/virda23.1 2>/dev/null | grep -q "virda23 --init" || fail "virda23.1 does not show mvirda23.1"

text="$(man -l "$pages/dbftool.1" 2>/dev/null)"
usage="$("$dbftool" 2>&1 || true)"  # the usage text, exit 2
commands="$(sed -n 's/^\(usage:\)\{0,1\} *dbftool \([a-z|-]*\).*/\2/p' <<<"$usage" | tr '|' ' ')"
[ "$(wc -w <<<"$commands")" -ge 10 ] || fail "dbftool's usage lists only: $commands"
for cmd in $commands; do
  grep -qE "^       $cmd( |$)" <<<"$text" || fail "dbftool.1 does not describe '$cmd'"
done

for v in $(grep -rhoE '"VIRDA_[A-Z]+' "$src/src" | tr -d '"' | sort -u); do
  grep -q "$v" "$pages/mvirda23.1" || fail "mvirda23.1 does not name $v"
done
echo ok
