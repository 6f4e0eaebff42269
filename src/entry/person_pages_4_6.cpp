// Pages 4 to 6 of the person form: the allowances with the dependants button and the
// first-marriage data, the monthly family contribution allowance, the K71, EKHO and
// K91 data.
#include <cstdio>

#include "entry/dependants_browse.h"
#include "entry/id_checks_ui.h"
#include "entry/person_pages.h"
#include "entry/push_button.h"
#include "entry/value_checks.h"
#include "shell/fminber.h"
#include "support/helpers.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

using S = std::string;

std::string two_digits(int n) {
  char b[3];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

void dependants_button(FieldEnv& e) {
  shell::Context& ctx = e.form.ctx;
  NYOMOGOMB(ctx, e.session, e.field, [&ctx] { ELTARBE(ctx); });
}

// At most 12 units of KFOGYATEK, in whole units.
Verdict disability(const RuleInput& in) {
  const xbase::Value year = in.values.constant("EV4");
  const std::string ev4 = year.is_str() ? year.as_str() : "";
  const int64_t unit = in.values.constant_amount(
      "KFOGYATEK", static_cast<int64_t>(shell::kfogyatek(ev4.empty() ? "2023" : ev4)));
  return unless(checks::disability_ok(own_amount(in), unit),
                HU("a havi egység (KFOGYATEK) egész számú többszöröse, legfeljebb 12-szerese"));
}

// At most 12 times KELSOHAZ.
Verdict first_marriage(const RuleInput& in) {
  return unless(checks::first_marriage_ok(own_amount(in), in.values.constant_amount("KELSOHAZ", 33335)),
                HU("0 és a havi összeg (KELSOHAZ) 12-szerese között"));
}

Verdict security_kind(const RuleInput& in) {
  return unless(checks::security_kind_ok(own_text(in)),
                HU("üres, vagy 1, 2, 3 és utána 10, 11, 12, 13, 14, 20 vagy 22"));
}

bool taken_over(const RuleValues& v, const char* flag) {
  return !xbase::rtrim(v.text(flag)).empty();
}

// The bases the payer settles: row 4.1 always, rows 4.2 and 4.3 unless the person
// took their EKHO over.
Verdict ekho_total(const RuleInput& in) {
  const RuleValues& v = in.values;
  int64_t bases = 0;
  for (int n = 1; n <= 3; ++n) {
    if ((n == 2 && taken_over(v, "XEKHO_AV2")) || (n == 3 && taken_over(v, "XEKHO_AV3")))
      continue;
    const std::string row = "XEKHO" + std::to_string(n);
    bases += v.amount(row + "B15") + v.amount(row + "B95") + v.amount(row + "BEG");
  }
  return unless(checks::ekho_total_ok(own_amount(in), bases),
                HU("a 9,5 %-os alapok 9,5 %-ától legfeljebb 14 Ft-tal térhet el"));
}

// With an occupation code the upper limit is one of the three; without one anything.
Verdict ekho_limit(const RuleInput& in) {
  if (xbase::rtrim(in.values.text("XEKHOFEOR")).empty()) return {};
  return listed_code(in);
}

// The quarterly amounts only when the person took over some EKHO.
bool quarterly(FieldEnv& e) {
  const BufferValues v(e.form.ctx);
  return taken_over(v, "XEKHO_AV2") || taken_over(v, "XEKHO_AV3");
}

Verdict assessed(const RuleInput& in) {
  return amount_against<checks::assessed_ok>(in, HU("legfeljebb a járulékalap 18,5 %-a + 12 Ft"));
}
Verdict allowance(const RuleInput& in) {
  return amount_against<checks::allowance_ok>(in, HU("nem lehet több a megállapított járuléknál"));
}
Verdict ekho15(const RuleInput& in) {
  return amount_against<checks::ekho15_ok>(in, HU("0, vagy kevesebb az alap 15 %-ánál + 15 Ft-nál"));
}
Verdict ekho95(const RuleInput& in) {
  return amount_against<checks::ekho95_ok>(
      in, HU("0, vagy az alap 9,5 %-ától 15 Ft-nál kevesebbel tér el"));
}

}  // namespace

PageSpec person_page_4(std::string_view ev4) {
  const std::string year = ev4.empty() ? "2023" : std::string(ev4);
  const std::string year_before = std::to_string(std::stoi(year) - 1);
  PageSpec p;
  p.labels = {
      {6, 2, S(HU("607. Négy gyermeket nevelő anyák kedvezménye:"))},
      {7, 2, S(HU("608. 25 év alatti fiatalok kedvezménye:"))},
      {8, 2, S(HU("609. 30 év alatti anyák kedvezménye:"))},
      {9, 2, S(HU("610. Súlyos fogyatékosság kedvezménye:"))},
      {10, 2, S(HU("611. Első házasok kedvezménye:"))},
      {11, 2, S(HU("612. Családi kedvezmény eltartottak után:"))},
      {12, 2, S(HU(" 55. Bevételből levont érdekképviseleti tagdij:"))},
      {13, 2,
       " 56. " + year + "-" + shell::BANBEN(year) + S(HU(" felvett osztalékelőleg, levont adó:"))},
      {14, 2, S(HU(" 57. Kettős adózást kizáró egy. szerint belföldön az adó"))},
      {15, 2, S(HU("     alól mentesített jövedelem:"))},
      {17, 2, "66. " + year_before + S(HU(". évi osztalékelőlegből levont adó:"))},
      {19, 2, S(HU("Első házas kedvezményhez"))},
      {20, 2, S(HU("-házastárs neve:"))},
      {21, 2, S(HU("-adóazonosítója:"))},
      {22, 2, S(HU("-hónapok"))},
  };
  for (int m = 1; m <= 12; ++m) p.labels.push_back({22, 6 + 5 * m, two_digits(m) + ":"});

  auto& f = p.fields;
  f.push_back(field(4, 2, "CHOZZATART").read_by(dependants_button).coloured("gr/n,gr/n"));
  f.push_back(field(6, 61, "Xnegygyke", S(kPZ8)));
  f.push_back(field(7, 61, "Xhuszon5ke", S(kPZ8)));
  f.push_back(field(8, 61, "Xharmincke", S(kPZ8)));
  f.push_back(field(9, 61, "Xrokkant", S(kPZ8)).ruled_by(disability));
  f.push_back(
      field(10, 59, "Xelsohnyil", "9")
          .ruled_by(listed_code)
          .with_help({S(HU("Érvényesítés")), S(HU("1 - egyedül")), S(HU("2 - megosztással"))}, 12,
                     50)
          .allowing("12 "));
  f.push_back(
      field(10, 61, "Xelsohazke", S(kPZ8))
          .ruled_by(first_marriage)
          .with_help({S(HU("Első házasok kedvezménye")), S(HU("Ide az adóbevallásban igénybe-")),
                      S(HU("vehető kedvezmény írandó."))},
                     12, 40));
  f.push_back(
      field(10, 70, "Xelsohaz30", S(kPZ8))
          .with_help({S(HU("Első házasok kedvezménye")),
                      S(HU("Ide a munkáltató által az adóelőlegszámításnál figyelembe vett")),
                      S(HU("kedvezmény kerül. Ez eltérhet az adóbevallásban ténylesen fi-")),
                      S(HU("gyelembe vehető összegtől. Az M30 611. sorban ez jelenik meg."))},
                     12, 30));
  f.push_back(
      field(11, 61, "Xgyerkedv", S(kPZ8))
          .with_help({S(HU("Családi kedvezmény")), S(HU("Ide az adóbevallásban igénybevehető")),
                      S(HU("családi kedvezmény írandó."))},
                     13, 30));
  f.push_back(
      field(11, 70, "Xgyerk30", S(kPZ8))
          .with_help({S(HU("Családi kedvezmény")),
                      S(HU("Ide a munkáltató által az adóelőlegszámításnál figyelembe vett")),
                      S(HU("családi kedvezmény kerül. Ez eltérhet az adóbevallásban tényle-")),
                      S(HU("gesen figyelembe vehető összegtől. Az M30 612. sorban ez jele-")),
                      S(HU("nik meg."))},
                     13, 30));
  f.push_back(field(12, 61, "Xszdij", S(kPZ8)));
  f.push_back(
      field(13, 60, "Xosztelo", S(kPZ9)).with_help({"", S(HU("Osztalékelőleg összege"))}, 14, 59));
  f.push_back(field(13, 69, "Xoszteloa", S(kPZ9))
                  .with_help({"", S(HU("Osztalékelőlegből levont adó"))}, 14, 59));
  f.push_back(field(15, 69, "Xkulfdolg", S(kPZ9)));
  f.push_back(field(17, 69, "Xoeelsz", S(kPZ9)));
  f.push_back(field(20, 19, "Xelsohnev"));
  f.push_back(field(21, 19, "Xelsohadoa").ruled_by(optional_tax_id));
  const FieldHelp month_help{
      {S(HU("Első házas kód")), S(HU("1 - én érvényesítem")), S(HU("2 - házastárssal megosztva")),
       S(HU("3 - házastárs érvényesíti")), S(HU("0 - nem vagyok jogosult"))},
      12,
      59};
  for (int m = 1; m <= 12; ++m)
    f.push_back(field(22, 9 + 5 * m, "Xelsohh" + two_digits(m), "9")
                    .ruled_by(listed_code)
                    .with_help(month_help)
                    .allowing("1230 "));
  return p;
}

PageSpec person_page_5() {
  PageSpec p;
  p.labels = {
      {4, 2, S(HU("CSALÁDI JÁRULÉKKEDVEZMÉNY"))},
      {6, 2, S(HU("                            Járulék-  Megállap.    Családi     Levont"))},
      {7, 2, S(HU("Hónapok                       alap    járulékok    járulék-   járulékok"))},
      {8, 2, S(HU("                                                   kedvezm."))},
  };
  for (int m = 1; m <= 12; ++m) {
    const std::string name =
        xbase::transform(xbase::Value::str(support::HONAPNEV(m)), "!XXXXXXXXXXXX");
    p.labels.push_back({8 + m, 2, xbase::padl(std::to_string(m), 2) + ". " + name});
    const std::string mm = two_digits(m);
    const int row = 8 + m;
    p.fields.push_back(field(row, 29, "Xcsjka" + mm, S(kPZ9)));
    p.fields.push_back(field(row, 40, "Xcsjkj" + mm, S(kPZ9))
                           .ruled_by(assessed)
                           .against("Xcsjka" + mm));
    p.fields.push_back(field(row, 51, "Xcsjkk" + mm, S(kPZ9))
                           .ruled_by(allowance)
                           .against("Xcsjkj" + mm));
    p.fields.push_back(field(row, 62, "Xcsjkl" + mm, S(kPZ9)));
  }
  return p;
}

PageSpec person_page_6() {
  PageSpec p;
  std::string heading(18, ' ');
  for (std::string_view h : {std::string_view("Bev15%"), HU("Adó15%"), std::string_view("Bev9.5%"),
                             HU("Adó9.5%"), std::string_view("Bev EGT"), HU("Adó EGT")})
    heading += xbase::padl(h, 9);
  p.labels = {
      {4, 2, "K71-hez:"},
      {5, 2, "-adatszolg. ok 1 (1-6):"},
      {5, 30, "-ok 2:"},
      {5, 40, S(HU("-értékpapír kód:"))},
      {6, 2, S(HU("-értékpapír fajta:"))},
      {6, 30, S(HU("-névérték:"))},
      {8, 2, S(HU("Ekho igazoláshoz"))},
      {8, 40, "FEOR:"},
      {9, 2, " " + xbase::padr(heading, 75), "n/gr"},
      {10, 2, "4.1 Munkaviszony:"},
      {12, 2, S(HU("4.2 Személyes k.:"))},
      {13, 2, "    -nyilatkozat:"},
      {14, 2, S(HU("4.3 Megbízás    :"))},
      {15, 2, "    -nyilatkozat:"},
      {16, 2, S(HU("5.  A levont adóból 9.5% összesen:"))},
      {18, 2, "K91-hez:"},
      {19, 2, S(HU("-ekho felső határ:"))},
      {20, 2, S(HU("-ekho összege negyedévente:"))},
  };
  for (int q = 1; q <= 4; ++q) p.labels.push_back({21, 3 + 15 * (q - 1), std::to_string(q) + ".:"});

  auto& f = p.fields;
  f.push_back(field(5, 26, "Xok71_1", "9").ruled_by(listed_code).allowing(" 123456"));
  f.push_back(field(5, 37, "Xok71_2", "9").ruled_by(listed_code).allowing(" 1"));
  f.push_back(field(5, 57, "Xisin71"));
  f.push_back(field(6, 21, "Xfajta71", "999").ruled_by(security_kind));
  f.push_back(field(6, 41, "Xnevert71", S(kPZ9)));
  f.push_back(field(8, 46, "Xekhofeor"));
  const FieldHelp took_over{{S(HU("Ekho átvállalás")), S(HU("X - ha a magánszemély átvállalta")),
                             S(HU("    az ekho megfizetését"))},
                            0,
                            5};
  const int ekho_rows[] = {10, 12, 14};
  for (int n = 1; n <= 3; ++n) {
    const int row = ekho_rows[n - 1];
    const std::string x = "Xekho" + std::to_string(n);
    f.push_back(field(row, 21, x + "b15", S(kPZ9)));
    f.push_back(field(row, 30, x + "_15", S(kPZ9))
                    .ruled_by(ekho15)
                    .against(x + "b15"));
    f.push_back(field(row, 39, x + "b95", S(kPZ9)));
    f.push_back(field(row, 48, x + "_95", S(kPZ9))
                    .ruled_by(ekho95)
                    .against(x + "b95"));
    f.push_back(field(row, 57, x + "beg", S(kPZ9)));
    f.push_back(field(row, 66, x + "_eg", S(kPZ9))
                    .ruled_by(ekho95)
                    .against(x + "beg"));
    if (n == 1) continue;
    // The declaration of rows 4.2 and 4.3 on the row below them.
    FieldHelp help = took_over;
    help.row = row + 3;
    f.push_back(field(row + 1, 21, "Xekho_av" + std::to_string(n), "!")
                    .ruled_by(listed_code)
                    .with_help(help)
                    .allowing(" X"));
  }
  f.push_back(field(16, 39, "Xekhos_95", S(kPZ9)).ruled_by(ekho_total));
  f.push_back(field(19, 21, "Xekhohat", "9")
                  .ruled_by(ekho_limit)
                  .with_help({S(HU("Ekho felső határ")), S(HU("1 -  60 millió")),
                              S(HU("2 - 250 millió")), S(HU("3 - 500 millió"))},
                             17, 25)
                  .allowing("123"));
  for (int q = 1; q <= 4; ++q)
    f.push_back(field(21, 5 + 15 * (q - 1), "Xekho" + std::to_string(q) + "n", S(kPZ9))
                    .on_enter(quarterly));
  return p;
}

}  // namespace entry
