#include "takeover/payroll_layout.h"

#include <map>

namespace takeover::payroll {

namespace {

Field C(const char* name, int width, bool required = true) { return {name, 'C', width, required}; }
Field N(const char* name, int width = 10, bool required = true) {
  return {name, 'N', width, required};
}
Field D(const char* name) { return {name, 'D', 8, true}; }

void add(std::vector<Field>& to, std::initializer_list<Field> fields) {
  to.insert(to.end(), fields.begin(), fields.end());
}

// The key fields of every monthly table and their index.
Table monthly(const std::string& file) {
  Table t{file, {C("SZEMSZAM", 11), C("FOGJEL", 1), C("FOMENY", 2), C("HONAP", 2)},
          {{file, "szemszam+fogjel+fomeny+honap"}}};
  return t;
}

void address(std::vector<Field>& f, const std::string& sfx) {
  auto n = [&](const char* base, int width) { return Field{base + sfx, 'C', width, true}; };
  add(f, {n("IRSZAM", 4), n("HELYSEG", 25), n("UTCA", 25), n("KOZTER", 10), n("HAZSZAM", 5),
          n("EPULET", 2), n("LEPCSO", 2), n("EMELET", 5), n("AJTO", 2)});
}

// The allowance fields of the member and wage tables.
void allowances(std::vector<Field>& f) {
  for (const char* n : {"NEGYGYKE", "HUSZON5KE", "HARMINCKE", "ELSOHAZMX", "ELSOHAZKE", "GYEREK",
                        "KEDVGYER", "FOGYGYER", "FOGYATEK", "GYERKEDV"})
    f.push_back(N(n));
}

void contribution(std::vector<Field>& f, bool with_corrections) {
  for (const std::string& n : contribution_fields()) f.push_back({n, 'N', 10, true});
  if (with_corrections)
    add(f, {N("CUTBJALAP", 10, false), N("CUTBJAR", 10, false), N("FELSZDIJ", 10, false)});
}

void ekho(std::vector<Field>& f) {
  for (const char* n : {"EKHONYJ", "EKHOTGD", "EKHOTBJ", "EKHOTEB", "EKHOSZJA"}) f.push_back(N(n));
}

}  // namespace

std::string company_dir_name(std::string_view vkod, std::string_view ev) {
  return std::string(vkod) + "." + std::string(ev);
}

std::string monthly_name(std::string_view base, std::string_view ev) {
  return std::string(base) + std::string(ev);
}

const std::string& member_field(std::string_view base, int n) {
  // Made once per family: the conversions ask for them for every monthly record.
  static std::map<std::string, std::vector<std::string>, std::less<>> names;
  auto it = names.find(base);
  if (it == names.end()) it = names.emplace(std::string(base), std::vector<std::string>()).first;
  std::vector<std::string>& v = it->second;
  while (static_cast<int>(v.size()) <= n) v.push_back(std::string(base) + std::to_string(v.size()));
  return v[static_cast<size_t>(n)];
}

const SlotFamily& income_types() {
  static const SlotFamily f{"NEMRKOD", {"NEMREND"}, nullptr, 9, "nemrend"};
  return f;
}
const SlotFamily& benefits() {
  static const SlotFamily f{"ELLKOD", {"ELLATAS"}, nullptr, 9, "tbell"};
  return f;
}
const SlotFamily& cost_codes() {
  static const SlotFamily f{"KTGKOD", {"KTGOSSZ", "KTGALAP"}, "KTGSZJA", 9, "ktgter"};
  return f;
}
const SlotFamily& deductions() {
  static const SlotFamily f{"LEVKOD", {"LEVFT", "LEVSZ"}, nullptr, 48, "levonas"};
  return f;
}

const std::vector<std::string>& contribution_fields() {
  static const std::vector<std::string> f = {"NYJALAP", "CSJKET",   "CSJKEP", "CSJKNY",
                                             "UTBJALAP", "CSJKUTBJ", "UNYJALAP", "CSJKUNYJ",
                                             "UTBJAR",  "UNYJAR"};
  return f;
}

const std::vector<std::string>& other_payment_allowance_fields() {
  static const std::vector<std::string> f = {"NEGYGYKE", "HUSZON5KE", "ELSOHAZMX", "ELSOHAZKE",
                                             "KEDVGYER", "FOGYGYER",  "GYERKEDV",  "FOGYATEK"};
  return f;
}

const std::vector<std::string>& brought_forward_fields() {
  static const std::vector<std::string> f = [] {
    std::vector<std::string> out = {
        "A014", "A264", "A022", "A023", "A032", "A033", "A044", "A054", "A062", "A063", "A072",
        "A073", "A082", "A083", "A092", "A093", "A102", "A103", "A112", "A113", "A122", "A123",
        "A132", "A133", "A142", "A143", "A152", "A153", "A175", "A182", "A183", "A184", "A185",
        "A192", "A193", "A194", "A195", "A202", "A203", "A204", "A205", "A212", "A213", "A214",
        "A215", "A222", "A223", "A224", "A225", "A265", "A275", "A285", "A295", "A315", "A325",
        "A335", "A345", "A354", "A365", "A515", "A525", "A534", "A535"};
    for (int r = 38; r <= 49; ++r)
      for (int c = 1; c <= 4; ++c) out.push_back("A" + std::to_string(r) + std::to_string(c));
    return out;
  }();
  return f;
}

Table company_table() {
  Table t{"vallal", {C("VKOD", 3), C("VNEV", 40, false), C("VTIPUS", 1), C("VANLEVCIM", 1)}, {}};
  address(t.fields, "");
  address(t.fields, "2");
  add(t.fields, {C("ADOSZAM", 11, false), C("TELEFON", 20, false), C("TBKIFHELY", 1, false),
                 C("KSHSZAM", 17, false)});
  return t;
}

Table country_table() {
  return {"orszag", {C("ALLAMPOLG", 3), C("ALLAMMEGN", 30), C("ISO3166", 2)}, {}};
}

Table income_type_table() {
  return {"nemrend",
          {C("NEMRKOD", 3), C("NEMRNEV", 30, false), C("ADLAPSOR3", 12), C("NEMRJELL", 1)},
          {{"nemrend", "nemrkod"}}};
}

Table cost_code_table() {
  return {"ktgter",
          {C("KTGKOD", 3), C("KTGNEV", 30, false), C("OSSZEVON", 1), C("ADLAPSOR", 12),
           C("EUH14KOT", 1)},
          {{"ktgter", "ktgkod"}}};
}

Table deduction_table() {
  return {"levonas", {C("LEVKOD", 3), C("LEVNEV", 30, false), C("ADLAPSOR2", 12)},
          {{"levonas", "levkod"}}};
}

Table benefit_table() {
  return {"tbell", {C("ELLKOD", 3), C("ELLNEV", 30, false), C("ELLADO", 1)}, {{"tbell", "ellkod"}}};
}

Table relationship_table() {
  Table t{"tagalk", {}, {{"tagalk", "HUNGORD(nev)"}, {"tagalk2", "szemszam+fogjel+fomeny"}}};
  add(t.fields, {C("SZEMSZAM", 11), C("FOGJEL", 1), C("FOMENY", 2), D("BELEPES"), D("KILEPES"),
                 C("EGYSZFOGL", 1), C("OSZTFOGL", 1), C("KULFDOLG", 1), C("EGTEKHO", 1),
                 C("NYENYALK", 1), C("NEV", 40), C("GROF", 8), C("VEZNEV", 15), C("UTONEV", 15),
                 C("NEME", 1), C("OSTERMIG", 20), C("CSALGAZD", 20), C("REGSZAM", 20),
                 C("ALLAMPOLG", 3), C("LEANYNEV", 31), C("LVEZNEV", 15), C("LUTONEV", 15),
                 C("IRSZAM", 4), C("HELYSEG", 25), C("UTCA", 57), C("KOZTNEV", 25),
                 C("KOZTER", 10), C("HAZSZAM", 5), C("EPULET", 2), C("LEPCSO", 2), C("EMELET", 5),
                 C("AJTO", 2), D("SZULIDO"), C("SZULHELY", 25), C("ANYJA", 31), C("AVEZNEV", 15),
                 C("AUTONEV", 15), C("EKHOHAT", 1), C("FEOR", 4), N("ELSOHAZFT", 8),
                 C("ELSOHVNEV", 15), C("ELSOHUNEV", 15), C("ELSOHADOA", 10), C("TAJ", 9)});
  return t;
}

Table dependant_table() {
  Table t{"ekartya", {}, {{"ekartya", "taj+HUNGORD(nev)"}}};
  add(t.fields, {C("TAJ", 9), C("NEV", 40), C("CSNEV", 15), C("UTONEV1", 12), C("UTONEV2", 11),
                 D("SZULIDO")});
  return t;
}

Table member_table(std::string_view ev) {
  Table t = monthly(monthly_name("tagtb", ev));
  add(t.fields, {N("JOVED"), N("SZJA"), N("FORRADO"), N("SZJAALAP")});
  allowances(t.fields);
  contribution(t.fields, false);
  t.fields.push_back(C("EZREGI", 1, false));
  return t;
}

Table wage_table(std::string_view ev) {
  Table t = monthly(monthly_name("alktb", ev));
  add(t.fields, {N("MUNKABER"), N("BETEGBER"), N("OSZTONDIJ"), N("EKHOMBER"), N("SZJA"),
                 N("FORRADO"), N("SZJAALAP")});
  allowances(t.fields);
  ekho(t.fields);
  contribution(t.fields, true);
  t.fields.push_back(C("EZREGI", 1, false));
  return t;
}

Table other_payment_table(std::string_view ev) {
  Table t = monthly(monthly_name("egyeb", ev));
  add(t.fields, {C("KTGKOD", 3), N("JOVED"), C("ALAPKEZI", 1), N("JOVEDALAP"), N("FORRADO"),
                 N("EOSZTELOA"), N("TOSZTELOA"), N("TOSZTELO"), N("SZJA"), N("SZJAALAP"),
                 N("EUH14ALAP"), N("EUH14SZAZ")});
  ekho(t.fields);
  contribution(t.fields, true);
  add(t.fields, {N("GYEREK", 10, false), C("EZREGI", 1, false)});
  return t;
}

Table brought_forward_table(std::string_view ev) {
  Table t = monthly(monthly_name("hozot", ev));
  for (const std::string& n : brought_forward_fields()) t.fields.push_back({n, 'N', 10, true});
  return t;
}

std::vector<Table> company_tables(std::string_view ev) {
  return {income_type_table(),   cost_code_table(),       deduction_table(),
          benefit_table(),       wage_table(ev),          member_table(ev),
          other_payment_table(ev), brought_forward_table(ev), dependant_table(),
          relationship_table()};
}

}  // namespace takeover::payroll
