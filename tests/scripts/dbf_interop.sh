#!/usr/bin/env bash
# Interop of our tables with an independent dBASE reader and writer, Perl's XBase
# module (Debian libdbd-xbase-perl): it reads what dbftool writes with the same values,
# and dbftool reads what it writes.
set -euo pipefail
tool="${MVIRDA_BINARY_DIR:?}/src/xbase/tools/dbftool"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Perl's view of a table, printed as dbftool dump prints it.
cat > perl_dump.pl <<'PERL'
use strict; use warnings; use XBase; use Encode;
binmode STDOUT, ':raw';
my $t = XBase->new(shift) or die XBase->errstr;
my @types = $t->field_types; my @decs = $t->field_decimals;
sub csv { my $s = shift; return $s unless $s =~ /[",\n]/; $s =~ s/"/""/g; return "\"$s\""; }
for my $i (0 .. $t->last_record) {
  my ($del, @v) = $t->get_record($i);
  my @out = ($del ? '*' : '');
  for my $k (0 .. $#v) {
    my ($ty, $x) = ($types[$k], $v[$k]);
    if ($ty eq 'N') { push @out, defined $x ? sprintf('%.*f', $decs[$k], $x) : ''; }
    elsif ($ty eq 'L') { push @out, ($x ? 'T' : 'F'); }
    elsif ($ty eq 'D') { push @out, (defined $x && $x =~ /\d{8}/) ? $x : ''; }
    else { $x = '' unless defined $x; $x =~ s/ +$//; push @out, csv(encode('UTF-8', decode('cp852', $x))); }
  }
  print join(',', @out), "\n";
}
PERL

# 1. dbftool writes, Perl reads.
"$tool" create ours.dbf VKOD:C:3,NEV:C:30,OSSZEG:N:10:2,DB:N:5,SZULIDO:D,FLAG:L
cat > rows.csv <<'CSV'
,001,Árvíztűrő tükörfúrógép,-12.50,-7,19700309,T
*,002,"Kiss, ""Józsi""",0.00,0,20231231,F
,003,ŐSZ ŰRÖDÉS áéíóöőúüű,99999.99,12345,,F
,004,,-0.25,,,T
CSV
"$tool" append ours.dbf < rows.csv
perl perl_dump.pl ours.dbf > perl_view.csv
"$tool" dump ours.dbf > our_view.csv
diff -u rows.csv perl_view.csv
diff -u rows.csv our_view.csv
"$tool" check ours.dbf

# 2. Perl writes, dbftool reads.
cat > perl_write.pl <<'PERL'
use strict; use warnings; use XBase; use Encode;
my $t = XBase->create(name => 'theirs.dbf',
  field_names => ['VKOD', 'NEV', 'OSSZEG', 'SZULIDO', 'FLAG'],
  field_types => ['C', 'C', 'N', 'D', 'L'],
  field_lengths => [3, 25, 9, 8, 1],
  field_decimals => [0, 0, 2, 0, 0]) or die XBase->errstr;
my @rows = (['101', "Sz\x{171}cs \x{c1}d\x{e1}m", -1234.5, '19991231', 1],
            ['102', 'Nagy, "Bea"', 0, '20000229', 0],
            ['103', "\x{150}r\x{f6}s", 42.25, '20240101', 1]);
my $i = 0;
for my $r (@rows) {
  $r->[1] = encode('cp852', $r->[1]);
  $t->set_record($i++, @$r) or die $t->errstr;
}
$t->delete_record(1);
$t->close;
PERL
perl perl_write.pl
cat > expected.csv <<'CSV'
,101,Szűcs Ádám,-1234.50,19991231,T
*,102,"Nagy, ""Bea""",0.00,20000229,F
,103,Őrös,42.25,20240101,T
CSV
"$tool" dump theirs.dbf > their_view.csv
diff -u expected.csv their_view.csv
"$tool" check theirs.dbf
"$tool" info theirs.dbf | grep -q '^records: 3$'
echo "interop ok"
