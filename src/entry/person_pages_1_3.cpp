// Pages 1 to 3 of the person form: identity, section I, rows 18 to 65, the
// separately taxed incomes and the social contribution tax.
#include "entry/id_checks_ui.h"
#include "entry/key_check.h"
#include "entry/name_address.h"
#include "entry/person_pages.h"
#include "entry/value_checks.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

using S = std::string;

// The company code: zero filled, always accepted.
bool zero_fill_code(FieldEnv& e) {
  std::string v = text_of(e);
  JOBBZERO(v);
  e.field.var.set(xbase::Value::str(v));
  return true;
}

// The kind of certificate: one of KNYILATOK.
Verdict certificate_kind(const RuleInput& in) {
  const xbase::Value k = in.values.constant("KNYILATOK");
  std::string kinds = k.is_str() ? k.as_str() : std::string();
  if (kinds.empty()) kinds = "MKE";
  const std::string v = own_text(in);
  if (!v.empty() && v[0] != ' ' && kinds.find(v[0]) != std::string::npos) return {};
  return refused(codes_wanted(kinds));
}

// Company + tax identifier + kind not given to another record yet (Up always goes
// back).
bool unique_certificate(FieldEnv& e) { return IDXJO(e.form, "Xvkod+Xszemszam+Xnyilat", 2); }

void composed_reader(FieldEnv& e) { NEVGET(e.form, e.session, e.field); }

bool person_name(FieldEnv& e) {
  return VEZ_UTO(e.form, HU("Dolgozó neve"), 5, 2, "XNEV", "XGROF", "XVEZNEV", "XUTONEV");
}
bool birth_name(FieldEnv& e) {
  return VEZ_UTO(e.form, HU("Születési név"), 8, 2, "XLEANYNEV", "", "XLVEZNEV", "XLUTONEV");
}
bool mother_name(FieldEnv& e) {
  return VEZ_UTO(e.form, "Anyja neve", 10, 35, "XANYJA", "", "XAVEZNEV", "XAUTONEV");
}
bool street(FieldEnv& e) { return KOZ_TER(e.form, HU("Cím részletezése"), 10, 2); }

// A row's cost: not more than its revenue (`other`).
Verdict cost(const RuleInput& in) {
  return unless(checks::cost_ok(other_amount(in), own_amount(in)),
                HU("a költség nem lehet több a sor bevételénél"));
}

// Then the form shows the row's income.
bool show_income(FieldEnv& e) {
  const shell::Context& ctx = e.form.ctx;
  return MELLEJOV(e.form.ctx.con, e.spec.row,
                  amount_of(ctx, e.spec.other) - amount_of(ctx, e.spec.name));
}

// Rows 8 to 12: a revenue not more than the row 7 revenue.
Verdict part_of_row7(const RuleInput& in) {
  return unless(checks::part_of_row7_ok(own_amount(in), in.values.amount("XONALLOTEV")),
                HU("a bevétel nem lehet több a 7. sor bevételénél"));
}

// A revenue field and its cost field on `row`.
void revenue_and_cost(PageSpec& p, int row, int col, const char* revenue, const char* cost_name,
                      std::string_view picture, ValueRule revenue_rule = nullptr) {
  p.fields.push_back(field(row, col, revenue, S(picture)).ruled_by(revenue_rule));
  p.fields.push_back(field(row, col + 9, cost_name, S(picture))
                         .ruled_by(cost)
                         .on_leave(show_income)
                         .against(revenue));
}

FieldHelp primary_producer(std::string_view line) {
  return {{S(HU("Őstermelő")), S(line)}, 12, 13};
}

}  // namespace

bool MELLEJOV(console::Console& con, int row, int64_t amount, int col) {
  con.say_picture(row, col, xbase::Value::num(static_cast<double>(amount)), kPZ9);
  return true;
}

PageSpec person_page_1() {
  PageSpec p;
  p.labels = {
      {2, 2, S(HU("Cég:"))},
      {2, 40, S(HU("Adóazonosító:"))},
      {3, 2, S(HU("Név:"))},
      {3, 40, S(HU("Igazolás:       Jellege:    Hozott:"))},
      {5, 2, S(HU("Születési név:"))},
      {5, 70, S(HU("Neme:"))},
      {6, 2, S(HU("Születési idő:"))},
      {6, 30, S(HU("-hely:"))},
      {7, 2, S(HU("Lakcím:"))},
      {8, 2, S(HU("Állampolg.:"))},
      {8, 40, S(HU("Anyja neve:"))},
      {9, 2, S(HU("Őstermelő:"))},
      {11, 2, S(HU(" 1. A munkáltatótól munkaviszonyból származó jövedelem:"))},
      {12, 2, S(HU(" 2. Munkavisz. kapcs. ktg.tér.  (bev.,ktg.,jöv.):"))},
      {13, 2, S(HU(" 3. Külszolgálat (bev.,ktg.,jöv.):"))},
      {14, 2, S(HU(" 4. Más bérjövedelem:"))},
      {15, 2, S(HU(" 5. Nem önálló tevékenységből származó további jövedelem:"))},
      {16, 2, S(HU(" 6. Nem önálló tev. ktg.térítés (bev.,ktg.,jöv.):"))},
      {17, 2, S(HU(" 7. Önálló tevékenység (bev.,ktg.,jöv.):"))},
      {18, 2, S(HU(" 8. 7. sorból ingatlan bérbeadás (bev.,ktg.,jöv.):"))},
      {19, 2, S(HU(" 9. 7. sorból európai parl. képv.(bev.,ktg.,jöv.):"))},
      {20, 2, S(HU("10. 7. sorból önkorm. képviselő (bev.,ktg.,jöv.):"))},
      {21, 2, S(HU("11. 7. sorból könyvvizsgáló (bev.,ktg.,jöv.):"))},
      {22, 2, S(HU("12. 7. sorból más szerződés (bev.,ktg.,jöv.):"))},
  };
  auto& f = p.fields;
  f.push_back(field(2, 7, "Xvkod", "@K 999").on_leave(zero_fill_code));
  f.push_back(field(2, 56, "Xszemszam", "@KR XXXXXXXXXX").ruled_by(tax_id).plain_when_searching());
  f.push_back(field(3, 7, "Xnev", "@S33")
                  .on_leave(person_name)
                  .read_by(composed_reader)
                  .plain_when_searching());
  f.push_back(field(3, 50, "Xnyilat", "!")
                  .ruled_by(certificate_kind)
                  .on_leave(unique_certificate)
                  .plain_when_searching()
                  .with_help({S(HU("Igazolás")), S(HU("M  -  munkáltatói")),
                              S(HU("K  -  kifizetői")), S(HU("E  -  egyéb"))},
                             5, 20));
  f.push_back(field(3, 65, "Xaszjell", "!")
                  .ruled_by(listed_code)
                  .plain_when_searching()
                  .with_help({S("Jelleg"), S(HU("E  -  eredeti adatszolgáltatás")),
                              S(HU("P  -  pótlás")), S(HU("H  -  helyesbítés"))},
                             5, 40)
                  .allowing("EPH"));
  f.push_back(
      field(3, 76, "Xvanhozott", "!")
          .ruled_by(listed_code)
          .with_help({S("Vannak a hozott adatok (I/N)"),
                      S(HU("Az M30 jövedelemigazoláson a teljes, máshonnan hozott adatokat is")),
                      S(HU("tartalmazó összegeket kell szerepeltetni."))},
                     5, 30)
          .allowing("IN "));
  f.push_back(field(5, 17, "Xleanynev").on_leave(birth_name).read_by(composed_reader));
  f.push_back(field(5, 76, "Xneme")
                  .ruled_by(listed_code)
                  .with_help({S("Neme"), S(HU("1 - férfi")), S(HU("2 - nő"))}, 7, 64)
                  .allowing("12"));
  f.push_back(field(6, 17, "Xszulido"));
  f.push_back(field(6, 37, "Xszulhely"));
  f.push_back(field(7, 10, "Xirszam"));
  // 25 wide from column 16 would run into the street line at 37.
  f.push_back(field(7, 16, "Xhelyseg", "@S20"));
  f.push_back(field(7, 37, "Xutca", "@S42").on_leave(street).read_by(composed_reader));
  f.push_back(field(8, 14, "Xallampolg"));
  f.push_back(
      field(8, after(2), "Xallamkod", "@!")
          .with_help({S(HU("Országkód")), S(HU("A 08-as bevallás 2 betűs országkódja"))}, 10, 30));
  f.push_back(field(8, 52, "Xanyja", "@S27").on_leave(mother_name).read_by(composed_reader));
  f.push_back(field(9, 13, "Xostermig").with_help(primary_producer(HU("Őstermelői igazolvány"))));
  f.push_back(
      field(9, after(1), "Xcsalgazd").with_help(primary_producer(HU("Családi gazd. nyilv. szám"))));
  f.push_back(field(9, after(1), "Xregszam").with_help(primary_producer(HU("Regisztrációs szám"))));
  f.push_back(field(11, 69, "Xjovedelem", S(kPZ9))
                  .with_help({S(HU("Bérjövedelem")),
                              S(HU("Ide a szakszervezeti tagdíjjal csökkentett összeg kerül."))},
                             13, 40));
  revenue_and_cost(p, 12, 52, "Xmvktgter", "Xmvktgbizn", kPZ8);
  revenue_and_cost(p, 13, 52, "Xkulszolg", "Xkulszbizn", kPZ8);
  f.push_back(field(14, 70, "Xmasberjov", S(kPZ8)));
  f.push_back(field(15, 70, "Xnemonallo", S(kPZ8)));
  revenue_and_cost(p, 16, 52, "Xktgteljes", "Xktgbiznel", kPZ8);
  revenue_and_cost(p, 17, 52, "Xonallotev", "Xonallktg", kPZ8);
  revenue_and_cost(p, 18, 52, "Xingberbe", "Xingberktg", kPZ8, part_of_row7);
  revenue_and_cost(p, 19, 52, "Xeupbev", "Xeupktg", kPZ8, part_of_row7);
  revenue_and_cost(p, 20, 52, "Xhokbev", "Xhokktg", kPZ8, part_of_row7);
  revenue_and_cost(p, 21, 52, "Xvkvbev", "Xvkvktg", kPZ8, part_of_row7);
  revenue_and_cost(p, 22, 52, "Xdijmvbev", "Xdijmvktg", kPZ8, part_of_row7);
  return p;
}

PageSpec person_page_2() {
  PageSpec p;
  p.labels = {
      {4, 2, S(HU("18. Egyéb jogcímen kapott jövedelem:"))},
      {5, 2, S(HU("20. Kettős adózást kiz. sz. külföldön adóköteles jöv."))},
      {6, 2, S(HU("    - bevétel, költség, jövedelem:"))},
      {7, 2, S(HU("21. Egyezmény hiányában külföldön is adózott"))},
      {8, 2, S(HU("    - bevétel, költség, jövedelem:"))},
      {10, 2, S(HU("65. Levont adóelőleg összege:"))},
  };
  revenue_and_cost(p, 4, 51, "Xegyebjogc", "Xegyebjktg", kPZ9);
  revenue_and_cost(p, 6, 52, "Xkulfegyez", "Xkulfektg", kPZ8);
  revenue_and_cost(p, 8, 52, "Xkulfhiany", "Xkulfhktg", kPZ8);
  p.fields.push_back(field(10, 50, "Xeloleg", S(kPZ8)));
  return p;
}

PageSpec person_page_3() {
  PageSpec p;
  p.labels = {
      {4, 2, S(HU("ELKÜLÖNÜLTEN ADÓZÓ JÖVEDELMEK"))},
      {4, 42, S(HU("Összeg      Alap     Adó    Levont"))},
      {5, 2, S(HU("165. Árfolyamnyereségből:"))},
      {6, 2, S(HU("167. Osztalék:"))},
      {7, 2, S(HU("168. Privatizációs lizing jövedelme:"))},
      {8, 2, S(HU("173. Vállalkozásból kivont:"))},
      {9, 2, S(HU("175. Egyéb forrásadós jövedelmek:"))},
      {10, 2, S(HU("     - jövedelem megnevezése:"))},
      {12, 2, S(HU("SZOCHO ADÓVAL KAPCSOLATOS ADATOK"))},
      {13, 2, S(HU("286. Szocho tv. 1.§ (1)-(3) sz. jövedelmek:"))},
      {14, 2, S(HU("287. Szocho tv. 1.§ (5) sz. különadózó jöv.:"))},
      {15, 2, S(HU("289. Szocho tv. 1.§ (5) a-d) után levont szocho alap,adó:"))},
  };
  // The amount, the tax base (p), the tax (a) and the tax withheld (l) of rows 5 to 9;
  // the dividends' amount and base have ten digits.
  const struct {
    int row;
    const char* stem;
  } rows[] = {{5, "Xarfnyer"}, {6, "Xoszt16"}, {7, "Xprivliz"}, {8, "Xkivont"}, {9, "Xegyforr"}};
  for (const auto& r : rows) {
    const bool wide = r.row == 6;
    const std::string stem = r.stem;
    p.fields.push_back(field(r.row, wide ? 38 : 39, stem, S(wide ? kPZ10 : kPZ9)));
    p.fields.push_back(field(r.row, wide ? 48 : 49, stem + "p", S(wide ? kPZ10 : kPZ9)));
    p.fields.push_back(field(r.row, 59, stem + "a", S(kPZ9)));
    p.fields.push_back(field(r.row, 69, stem + "l", S(kPZ9)));
  }
  p.fields.push_back(field(10, 32, "Xegyfornev"));
  p.fields.push_back(field(13, 69, "Xszctv1_3", S(kPZ9)));
  p.fields.push_back(field(14, 69, "Xszctv5", S(kPZ9)));
  p.fields.push_back(field(15, 59, "Xszctv5al", S(kPZ9)));
  p.fields.push_back(field(15, 69, "Xszctv5ad", S(kPZ9)));
  return p;
}

std::vector<PageSpec> person_pages(std::string_view ev4) {
  return {person_page_1(),    person_page_2(), person_page_3(),
          person_page_4(ev4), person_page_5(), person_page_6()};
}

}  // namespace entry
