#include "certs/ekho_layout.h"

#include <string>
#include <string_view>

#include "xbase/hutext.h"

namespace certs {
namespace {

using namespace layout;

constexpr int kWidth = 134;  // the line width SH
// The mark of a taken-over payment, before the field EKHO_AV2 or EKHO_AV3.
constexpr std::string_view kCav =
    HU("-nyilatkozat alapján a magánszemély átvállalta az ekho megfizetését**: [");

Text L(std::string_view cp852) { return lit(cp852); }

Row label(int adv, std::string_view cp852) { return text_row(down(adv), at(0), L(cp852)); }

// An underlined heading line centred by its visible text.
Row heading(Advance adv, Text visible) {
  return text_row(adv, centred(visible, kWidth), ctl("AHBE") + visible + ctl("AHKI"));
}

// A numbered line: its label filled to 30, then the value.
Row item(int adv, std::string_view cp852, Text value) {
  return text_row(down(adv), at(0), padr(L(cp852), 30) + std::move(value));
}

// The six amounts of a row of table 4: revenue and tax at 15%, for pensioners at
// 9.5% and under an EEA state's rules at 9.5%.
Row six_amounts(std::string_view row) {
  const std::string r(row);
  return amount_row(same(), {68, 79, 90, 101, 112, 123},
                    {num(r + "B15"), num(r + "_15"), num(r + "B95"), num(r + "_95"), num(r + "BEG"),
                     num(r + "_EG")},
                    mask("PV9"));
}

std::string rule(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += HU("─");
  return s;
}

}  // namespace

Layout ekho_layout() {
  Layout l;
  l.push_back(home(text_row(same(), current(), ctl("COBE") + ctl("LPI6"))));
  l.push_back(heading(row(2), L(HU("Igazolás*"))));
  l.push_back(heading(down(1), HU("a magánszemély részére a ") + run(RunValue::Year) +
                                   HU(". adóévben az egyszerűsített közteherviselési")));
  l.push_back(heading(down(1), L(HU("hozzájárulás (ekho) szerint adózott bevételekről és a levont adóról,"))));
  l.push_back(heading(down(1), L(HU("valamint a magánszemély által átvállalt kötelezettségről"))));
  l.push_back(label(3, HU("1. Az igazolás kiállítójának")));
  l.push_back(item(2, HU("   1.1 megnevezése"), trim(company("VNEV"))));
  l.push_back(item(2, HU("   1.2 székhelye:"),
                   company("IRSZAM") + " " + trim(company("HELYSEG")) + " " +
                       cert(CertValue::Street, Rec::Company)));
  l.push_back(item(2, HU("   1.3 adószáma:"), tax_number("ADOSZAM")));
  l.push_back(label(3, HU("2. A magánszemély")));
  l.push_back(item(2, HU("   2.1 neve:"), field("NEV")));
  l.push_back(item(2, HU("   2.2 adóazonosítója:"), field("SZEMSZAM")));
  l.push_back(item(2, HU("   2.3 lakóhelye:"),
                   field("IRSZAM") + " " + trim(field("HELYSEG")) + " " + field("UTCA")));
  l.push_back(item(2, HU("   2.4 FEOR szám:"), field("EKHOFEOR")));
  l.push_back(text_row(down(3), at(0),
                       HU("3.  Az ekho alkalmazására jogosító értékhatár (1=60 millió Ft, 2=250 millió "
                          "Ft, 3=500 millió Ft)*: ") +
                           or_if_blank(field("EKHOHAT"), "1")));
  l.push_back(text_row(down(2), at(0), L(rule(kWidth))));
  l.push_back(label(1, HU("4. Az  ekho alkalmazására tett nyilatkozat                                    15%               Nyugdíjas 9.5%        EGT állam 9.5%")));
  l.push_back(label(1, HU("   alapján adózott bevétel és adója                                     Bevétel Levont adó    Bevétel Levont adó    Bevétel Levont adó")));
  l.push_back(label(1, HU("            (a)                                                            (b)      (c)          (d)      (e)          (f)      (g)")));
  l.push_back(text_row(down(1), at(0), L(rule(kWidth))));
  l.push_back(label(1, HU("4.1 Munkaviszonyból bevétel és levont adója")));
  l.push_back(six_amounts("EKHO1"));
  l.push_back(label(2, HU("4.2 Személyes közreműködésre tekintettel megszerzett")));
  l.push_back(label(1, HU("    bevétel és adója")));
  l.push_back(six_amounts("EKHO2"));
  l.push_back(text_row(down(1), at(4), kCav + field("EKHO_AV2") + "]"));
  l.push_back(label(2, HU("4.3 Megbízásos jogviszony alapján megszerzett önálló")));
  l.push_back(label(1, HU("    tevékenységből származó bevétel és levont adója")));
  l.push_back(six_amounts("EKHO3"));
  l.push_back(text_row(down(1), at(4), kCav + field("EKHO_AV3") + "]"));
  l.push_back(label(2, HU("5. A levont adóból a 9.5 %-os szja összege")));
  l.push_back(amount_row(same(), {47}, {num("EKHOS_95")}, mask("PV9")));
  l.push_back(label(2, HU("6. Megjegyzés")));
  l.push_back(label(4, HU("* Az igazolás az egyszerűsített közteherviselési hozzájárulásról szóló 2005. évi CXX. tv. 13.§ (6) bekezdése alapján, legalább a")));
  l.push_back(label(1, HU("  táblázatban jelölt adatokat tartalmazza.")));
  l.push_back(label(2, HU("** Az igazolást a 3. pont szerinti értékhatár jelölésének megfelelően külön-külön kell kiállítani.")));
  l.push_back(label(2, HU("*** Az igazolásban jelölni kell, hogy a magánszemély az egyszerűsített közteherviselési hozzájárulásról szóló 2005. évi CXX. tv.")));
  l.push_back(label(1, HU("    5.§ (3) bekezdése alapján, az ekho megállapítását, bevallásását és megfizetését átvállalta a kifizetőtől. Ebben az esetben")));
  l.push_back(label(1, HU("    csak a bevétel oszlopa kitöltött.")));
  l.push_back(text_row(down(3), at(0), trim(company("HELYSEG")) + ", " + run(RunValue::Mainap)));
  // The registered user in elite condensed pitch: each character takes 17/20 of a
  // column of the condensed page.
  const Text user = HU("Reg. felh.: ") + run(RunValue::Cegnev);
  l.push_back(paper_only(text_row(same(), right_of(user, kWidth, 17, 20),
                                  ctl("COKI") + ctl("ELCOBE") + user + ctl("ELCOKI") + ctl("COBE"))));
  l.push_back(text_row(down(3), at(40), L("                  ___________________")));
  l.push_back(text_row(down(1), at(40), L(HU("P.H.               cégszerű aláírás"))));
  l.push_back(text_row(same(), current(), ctl("COKI") + ctl("LPI6")));
  l.push_back(eject_row());
  return l;
}

}  // namespace certs
