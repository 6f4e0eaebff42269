#include "certs/m30_layout.h"

#include <string>
#include <string_view>

#include "xbase/hutext.h"

namespace certs {
namespace {

using namespace layout;

constexpr int kWidth = 105;  // the line width SH
// The issuer's title MVK.
constexpr std::string_view kMvk = HU("Munkáltató, kifizető");

Text L(std::string_view cp852) { return lit(cp852); }

std::string rule(std::string_view ch, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += ch;
  return s;
}

// A line printed in bold, centred in the line width.
Text bold_centred(Text t) { return ctl("EMBE") + padc(std::move(t), kWidth) + ctl("EMKI"); }
Text underlined(std::string_view cp852) { return ctl("AHBE") + L(cp852) + ctl("AHKI"); }

// A label row and the amounts of its line.
Row label(int adv, std::string_view cp852) { return text_row(down(adv), at(0), L(cp852)); }
Row amounts(std::vector<int> cols, std::vector<Amount> a, Mask m) {
  return amount_row(same(), std::move(cols), std::move(a), std::move(m));
}

// The first line of each page: the certificate's sequence number.
Row serial() { return text_row(row(1), at(0), HU("Sorszám:") + cert(CertValue::Db)); }

void page1(Layout& l) {
  const Mask pv9 = mask("PV9");
  const Mask pv9_wide = mask("PV9", Overflow::Widen);

  // Heading and identification.
  l.push_back(serial());
  l.push_back(text_row(down(2), at(0), bold_centred(run(RunValue::YY) + "M30")));
  l.push_back(text_row(down(1), at(0),
                       bold_centred("A " + lower(L(kMvk)) + HU(" összesített igazolása a ") +
                                    run(RunValue::Year) + HU(". évi "))));
  l.push_back(text_row(down(1), at(0), bold_centred(L(HU("személyi jövedelemadó bevallásához")))));
  l.push_back(text_row(down(2), at(0), padr(L(kMvk) + " neve: ", 31) + trim(company("VNEV"))));
  l.push_back(text_row(down(1), at(0), padr(L(HU("Adószáma: ")), 31) + tax_number("ADOSZAM")));
  l.push_back(text_row(down(1), at(0),
                       HU("Címe: ") + company("IRSZAM") + " " + trim(company("HELYSEG")) + ", " +
                           cert(CertValue::Street, Rec::Company)));
  l.push_back(text_row(down(2), at(0),
                       padr(L(HU("Adózó adóazonosító jele: ")), 31) + masked("SZEMSZAM", "PSZ")));
  l.push_back(text_row(down(1), at(0),
                       padr(L(HU("Magánszemély családi neve: ")), 31) +
                           padr(trim(trim(field("GROF")) + " " + field("VEZNEV")), 25)));
  l.push_back(text_row(same(), after_text(), HU("-utóneve: ") + field("UTONEV")));
  l.push_back(text_row(down(1), at(0), padr(L(HU("Születési családi neve: ")), 31) + field("LVEZNEV")));
  l.push_back(text_row(same(), after_text(), HU("-utóneve: ") + field("LUTONEV")));
  l.push_back(text_row(down(1), at(0),
                       padr(L(HU("Születésének időpontja: ")), 31) + date_field("SZULIDO")));
  l.push_back(text_row(same(), at(57), "-helye: " + field("SZULHELY")));
  l.push_back(text_row(down(1), at(0), padr(L(HU("Anyja születési neve: ")), 31) + field("ANYJA")));
  l.push_back(text_row(down(1), at(0),
                       HU("Címe: ") + field("IRSZAM") + " " + trim(field("HELYSEG")) + " " +
                           cert(CertValue::Street)));
  l.push_back(label(2, HU("Az igazolás tartalmazza a korábbi munkáltató (társas vállalkozás)")));
  l.push_back(text_row(down(1), at(0),
                       HU("által ") + run(RunValue::Year) + HU(".évre közölt (Adatlap ") +
                           run(RunValue::Year) + HU(") adatokat is (I/N): ") + yes_no("VANHOZOTT")));

  // Section I.
  l.push_back(text_row(down(2), at(0),
                       underlined(HU("I. AZ ÖSSZEVONT ADÓALAPBA TARTOZÓ JÖVEDELMEK (BEVÉTELEK)"))));
  l.push_back(text_row(down(2), at(49), padl(L(HU("Bevétel")), 11)));
  l.push_back(text_row(same(), at(60), padl(L(HU("Költség")), 11)));
  l.push_back(text_row(same(), at(71), padl(L(HU("Jövedelem")), 11)));
  l.push_back(texts_row(down(1), {at(55), at(66), at(77)}, {L("(b)"), L("(c)"), L("(d)")}));
  l.push_back(label(1, HU(" 1.  A munkaviszonyból származó bérjövedelem")));
  l.push_back(label(1, HU("     az érdekképviseleti tagdíj nélkül:")));
  l.push_back(amounts({71}, {num("JOVEDELEM")}, pv9));
  l.push_back(label(1, HU(" 2.  Munkaviszonnyal kapcsolatos költségtérítés:")));
  l.push_back(amounts({49, 60, 71},
                      {num("MVKTGTER"), num("MVKTGBIZN"), derived(&DerivedAmounts::KMVKTGJOV)}, pv9));
  l.push_back(label(1, HU(" 3.  Külszolgálatért kapott jövedelem:")));
  l.push_back(amounts({49, 60, 71},
                      {num("KULSZOLG"), num("KULSZBIZN"), derived(&DerivedAmounts::KKULSZOLG)}, pv9));
  l.push_back(label(1, HU(" 4.  Más bérjövedelem:")));
  l.push_back(amounts({71}, {num("MASBERJOV")}, pv9));
  l.push_back(label(1, HU(" 5.  Más nem önálló tevékenységből származó")));
  l.push_back(label(1, HU("     jövedelmek:")));
  l.push_back(amounts({71}, {num("NEMONALLO")}, pv9));
  l.push_back(label(1, HU(" 6.  A nem önálló tevékenység költségtérítése:")));
  l.push_back(amounts({49, 60, 71},
                      {num("KTGTELJES"), num("KTGBIZNEL"), derived(&DerivedAmounts::KKTGJOV)}, pv9));
  l.push_back(label(1, HU(" 7.  Önálló tevékenységből származó jövedelem:")));
  l.push_back(amounts({49, 60, 71},
                      {num("ONALLOTEV"), num("ONALLKTG"), derived(&DerivedAmounts::KONALLJOV)}, pv9));
  l.push_back(label(1, HU(" 8.  A 7. sorból ingatlan bérbeadás:")));
  l.push_back(amounts({49, 60, 71},
                      {num("INGBERBE"), num("INGBERKTG"), derived(&DerivedAmounts::KINGBERJOV)}, pv9));
  l.push_back(label(1, HU(" 9.  A 7. sorból az európai parlamenti képviselő")));
  l.push_back(amounts({49, 60, 71}, {num("EUPBEV"), num("EUPKTG"), diff("EUPBEV", "EUPKTG")}, pv9));
  l.push_back(label(1, HU("10.  A 7. sorból a helyi önkormányzati képviselő")));
  l.push_back(amounts({49, 60, 71}, {num("HOKBEV"), num("HOKKTG"), diff("HOKBEV", "HOKKTG")}, pv9));
  l.push_back(label(1, HU("11.  A 7. sorból a választott könyvvizsgáló:")));
  l.push_back(amounts({49, 60, 71}, {num("VKVBEV"), num("VKVKTG"), diff("VKVBEV", "VKVKTG")}, pv9));
  l.push_back(label(1, HU("12.  A 7. sorból a magánszemély által nem egyéni")));
  l.push_back(label(1, HU("     vállalkozóként kötött, díjazás ellenében történő")));
  l.push_back(label(1, HU("     munkavégzésre irányuló más szerződés alapján")));
  l.push_back(label(1, HU("     folyt. tevékenységéből származó jövedelem:")));
  l.push_back(
      amounts({49, 60, 71}, {num("DIJMVBEV"), num("DIJMVKTG"), diff("DIJMVBEV", "DIJMVKTG")}, pv9));
  l.push_back(label(1, HU("18.  Egyéb jogcímen kapott jövedelem:")));
  l.push_back(amounts({49, 60, 71},
                      {num("EGYEBJOGC"), num("EGYEBJKTG"), derived(&DerivedAmounts::KEGYEBJOGC)}, pv9));
  l.push_back(label(1, HU("20.  A kettős adóztatást kizáró egyezmény alapján")));
  l.push_back(label(1, HU("     külföldön adózott, a külföldön megfizetett adó")));
  l.push_back(label(1, HU("     beszámításával belföldön is adóköt. jöv.:")));
  l.push_back(amounts({49, 60, 71},
                      {num("KULFEGYEZ"), num("KULFEKTG"), derived(&DerivedAmounts::KKULFEJOV)}, pv9));
  l.push_back(label(1, HU("21.  A kettős adóztatást kizáró egyezmény hiányában")));
  l.push_back(label(1, HU("     külföldön is adózott jövedelem:")));
  l.push_back(amounts({49, 60, 71},
                      {num("KULFHIANY"), num("KULFHKTG"), derived(&DerivedAmounts::KKULFHJOV)}, pv9));
  l.push_back(label(1, HU("22.  Az összevont adóalapba tartozó jövedelmek:")));
  l.push_back(amounts({71}, {derived(&DerivedAmounts::KOSSZJOV)}, pv9_wide));
  l.push_back(text_row(down(1), at(88), L("(b)")));
  l.push_back(label(1, HU("65.  Levont adóelőleg:")));
  l.push_back(amounts({82}, {derived(&DerivedAmounts::KELOLEG)}, mask("PV9_0")));

  // Section II.
  l.push_back(text_row(down(2), at(0), underlined(HU("II. ELKÜLÖNÜLTEN ADÓZÓ JÖVEDELMEK"))));
  l.push_back(text_row(down(1), at(39), L(HU("Kifizetés alapjául             Adóalapot"))));
  l.push_back(text_row(down(1), at(39), L(HU("  szolgáló bruttó  Adó alapja   terhelő  Levont adó"))));
  l.push_back(text_row(down(1), at(39), L(HU("      összeg                     adó"))));
  l.push_back(texts_row(down(1), {at(35), at(46), at(57), at(68), at(79)},
                        {padc(L("(a)"), 11), padc(L("(b)"), 11), padc(L("(c)"), 11),
                         padc(L("(d)"), 11), padc(L("(e)"), 11)}));
  l.push_back(label(1, HU("165. Árfolyamnyereségből származó jövedelem:")));
  l.push_back(amounts({46, 57, 68, 79},
                      {num("ARFNYER"), num("ARFNYERP"), num("ARFNYERA"), num("ARFNYERL")}, pv9));
  l.push_back(label(1, HU("167. Osztalék címén megszerzett jövedelem:")));
  l.push_back(amounts({46, 57, 68, 79}, {num("OSZT16"), num("OSZT16P"), num("OSZT16A"), num("OSZT16L")},
                      mask_billion("PV9", "@Z 99999999999", num("OSZT16"), Overflow::Nines)));
  l.push_back(label(1, HU("168. A privatizációs lízing jövedelme:")));
  l.push_back(amounts({46, 57, 68, 79},
                      {num("PRIVLIZ"), num("PRIVLIZP"), num("PRIVLIZA"), num("PRIVLIZL")}, pv9));
  l.push_back(label(1, HU("173. Vállalkozásból kivont jövedelem:")));
  l.push_back(
      amounts({46, 57, 68, 79}, {num("KIVONT"), num("KIVONTP"), num("KIVONTA"), num("KIVONTL")}, pv9));
  l.push_back(label(1, HU("175. Egyéb forrásadós jövedelmek:")));
  l.push_back(amounts({46, 57, 68, 79},
                      {num("EGYFORR"), num("EGYFORRP"), num("EGYFORRA"), num("EGYFORRL")}, pv9));
  l.push_back(text_row(down(1), at(0), HU("     A jövedelem megnevezése: ") + field("EGYFORNEV")));
  l.push_back(label(1, HU("176. A különadózó jövedelmek és adójuk összege:")));
  l.push_back(amounts({54}, {derived(&DerivedAmounts::KKULALAP)}, mask("@ZE 99,999,999,999")));
  l.push_back(label(1, HU("67. Levont (forrás)adó összesen:")));
  l.push_back(amounts({79}, {derived(&DerivedAmounts::KKULJOVLEV)}, pv9_wide));
}

void page2(Layout& l) {
  const Mask pv8 = mask("PV8");
  const Mask pv9 = mask("PV9");

  // Heading and section III.
  l.push_back(serial());
  l.push_back(text_row(down(1), at(0), bold_centred(run(RunValue::YY) + "M30-01")));
  l.push_back(text_row(down(2), at(0), HU("Munkáltató adószáma: ") + tax_number("ADOSZAM")));
  l.push_back(
      text_row(same(), at(45), HU("Munkavállaló adóazonosító jele: ") + masked("SZEMSZAM", "PSZ")));
  l.push_back(text_row(down(2), at(0), underlined(HU("III. EGYÉB ADATOK"))));
  l.push_back(texts_row(same(), {at(73), at(85)}, {L("(a)"), L("(b)")}));
  l.push_back(label(1, HU("607. Az adóelőleg megállapításánál figyelembe vett négy")));
  l.push_back(label(1, HU("     vagy több gyermeket nevelő anyák kedvezménye:")));
  l.push_back(amounts({80}, {num("NEGYGYKE")}, pv8));
  l.push_back(label(1, HU("608. Az adóelőleg megállapításánál figyelembe vett")));
  l.push_back(label(1, HU("     25 év alatti fiatalok kedvezménye:")));
  l.push_back(amounts({80}, {num("HUSZON5KE")}, pv8));
  l.push_back(label(1, HU("609. Az adóelőleg megállapításánál figyelembe vett")));
  l.push_back(label(1, HU("     30 év alatti anyák kedvezménye:")));
  l.push_back(amounts({80}, {num("HARMINCKE")}, pv8));
  l.push_back(label(1, HU("610. Az adóelőleg megállapításánál figyelembe vett súlyos fogyatékosság")));
  l.push_back(label(1, HU("     miatti kedvezmény (személyi kedvezmény):")));
  l.push_back(amounts({80}, {num("ROKKANT")}, pv8));
  l.push_back(label(1, HU("611. Az adóelőleg megállapításánál figyelembe vett első házasok kedvezménye:")));
  l.push_back(amounts({80}, {derived(&DerivedAmounts::KELSOHAZ30)}, pv8));
  l.push_back(label(1, HU("612. Az adóelőleg megállapításánál figyelembe vett családi kedvezmény:")));
  l.push_back(amounts({80}, {derived(&DerivedAmounts::KGYERK30)}, pv8));
  l.push_back(label(1, HU(" 55. A bevételből levont érdekképviseleti tagdij:")));
  l.push_back(amounts({80}, {num("SZDIJ")}, pv8));
  l.push_back(text_row(down(1), at(0),
                       HU(" 56. A ") + run(RunValue::Year) + "-" + run(RunValue::Banben) +
                           HU(" kifizetett osztalékelőleg:")));
  l.push_back(amounts({79}, {num("OSZTELO")}, pv9));
  l.push_back(text_row(down(1), at(5), L(HU("Az osztalékelőlegből levont adó:"))));
  l.push_back(amounts({67}, {num("OSZTELOA")}, pv9));
  l.push_back(label(1, HU(" 57. A kettős adózást kizáró egyezmény alapján belföldön az adó alól")));
  l.push_back(label(1, HU("     mentesített jövedelem:")));
  l.push_back(amounts({79}, {num("KULFDOLG")}, pv9));

  // Section IV: the months' income forming the contribution base (a), the
  // contributions determined (b), the allowance applied (c) and withheld (d).
  l.push_back(text_row(down(2), at(0),
                       underlined(HU("IV. CSALÁDI JÁRULÉKKEDVEZMÉNNYEL KAPCSOLATOS TÁJÉKOZTATÁS"))));
  l.push_back(label(1, HU("                     Járulékalapot      Megállapított      Évközben érvé-       Levont")));
  l.push_back(label(1, HU("    Hónapok             képező            járulékok      nyesített családi     járulékok")));
  l.push_back(label(1, HU("                      jövedelem            összege       járulékkedvezmény")));
  l.push_back(label(1, HU("                         (a)                 (b)                (c)               (d)")));
  l.push_back(text_row(down(1), at(0), L(rule(HU("─"), kWidth))));
  l.push_back(each_month(text_row(down(1), at(0),
                                  cert(CertValue::Month) + ". " + cert(CertValue::MonthName))));
  const Mask base_month = mask("PV8", Overflow::Widen);
  const Mask rest_month = mask_nonzero("PV8", "PV8_0", month("CSJKA"), Overflow::Widen);
  l.push_back(each_month(amount_row(same(), {20}, {month("CSJKA")}, base_month)));
  l.push_back(each_month(amount_row(same(), {40, 60, 80},
                                    {month("CSJKJ"), month("CSJKK"), month("CSJKL")}, rest_month)));
  l.push_back(label(1, HU("13. ÖSSZESEN")));
  const Mask rest_total = mask_nonzero("PV8", "PV8_0", month_sum("CSJKA"), Overflow::Widen);
  l.push_back(amount_row(same(), {20}, {month_sum("CSJKA")}, base_month));
  l.push_back(amount_row(same(), {40, 60, 80},
                         {month_sum("CSJKJ"), month_sum("CSJKK"), month_sum("CSJKL")}, rest_total));

  // Section V and the closing part.
  l.push_back(text_row(down(2), at(0),
                       underlined(HU("V. SZOCIÁLIS HOZZÁJÁRULÁSI ADÓVAL KAPCSOLATOS TÁJÉKOZTATÁS"))));
  l.push_back(texts_row(same(), {at(73), at(85)}, {L("(a)"), L("(b)")}));
  l.push_back(label(1, HU("286. A Szocho tv. 1. § (1)-(3) bekezdés szerinti összevont adóalapba")));
  l.push_back(label(1, HU("     tartozó adóalap számításnál figyelembe vett jövedelmek:")));
  l.push_back(amounts({79}, {num("SZCTV1_3")}, pv9));
  l.push_back(label(1, HU("287. A Szocho tv. 1. § (5) bekezdés a)-d) pontjai szerinti külön")));
  l.push_back(label(1, HU("     adózó jövedelmek összege:")));
  l.push_back(amounts({79}, {num("SZCTV5")}, pv9));
  l.push_back(label(1, HU("289. Kifizető által a magánszemély Szocho tv. 1. § (5) bekezdés")));
  l.push_back(label(1, HU("     a)-d) pontjai szerinti jövedelme után levont szociális")));
  l.push_back(label(1, HU("     hozzájárulási adó alapja (a) és adója (b)")));
  l.push_back(amounts({67, 79}, {num("SZCTV5AL"), num("SZCTV5AD")}, pv9));
  l.push_back(text_row(down(1), at(0), L(rule(HU("─"), kWidth))));
  l.push_back(label(1, HU("Az igazolást a munkáltatótól/kifizetőtől átvettem.")));
  l.push_back(text_row(down(2), at(0), trim(company("HELYSEG")) + ", " + run(RunValue::Mainap) + "."));
  l.push_back(text_row(same(), at(50), L("P.H.")));
  l.push_back(text_row(same(), at(64), L(rule("_", 20))));
  l.push_back(text_row(down(1), at(64), padc(lower(L(kMvk)), 20)));
  l.push_back(text_row(down(3), at(64), L(rule("_", 20))));
  l.push_back(text_row(down(1), at(64), padc(L(HU("magánszemély")), 20)));
  l.push_back(label(1, HU("MEGJEGYZÉS:")));
  l.push_back(label(3, HU("Tájékoztatjuk, hogy a munkavállaló részére az állami adó-és vámhatóság")));
  l.push_back(label(1, HU("adóbevallási tervezetet készít.")));
  const Text user = HU("Regisztrált felhasználó: ") + run(RunValue::Cegnev);
  l.push_back(paper_only(text_row(down(2), right_of(user, kWidth),
                                  ctl("ELKI") + ctl("ELCOBE") + user + ctl("ELCOKI") + ctl("ELBE"))));
}

}  // namespace

Layout m30_layout() {
  Layout l;
  l.push_back(home(text_row(same(), current(), ctl("ELBE") + ctl("LPI6"))));
  page1(l);
  l.push_back(eject_row());
  page2(l);
  l.push_back(text_row(same(), current(), ctl("ELKI") + ctl("LPI6")));
  l.push_back(eject_row());
  return l;
}

}  // namespace certs
