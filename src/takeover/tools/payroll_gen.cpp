#include "takeover/tools/payroll_gen.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "store/tools/demo_names.h"
#include "store/tools/demo_random.h"
#include "takeover/payroll_layout.h"
#include "takeover/tools/company_out.h"
#include "xbase/cp852.h"
#include "xbase/dbf_copy.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace takeover::gen {

namespace {

namespace fs = std::filesystem;
using store::demo::Identifiers;
using store::demo::Rng;
using xbase::Date;

std::string upper_ascii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

payroll::Table layout_of(T t, const std::string& ev) {
  switch (t) {
    case T::Nemrend: return payroll::income_type_table();
    case T::Ktgter: return payroll::cost_code_table();
    case T::Levonas: return payroll::deduction_table();
    case T::Tbell: return payroll::benefit_table();
    case T::Tagalk: return payroll::relationship_table();
    case T::Ekartya: return payroll::dependant_table();
    case T::Tagtb: return payroll::member_table(ev);
    case T::Alktb: return payroll::wage_table(ev);
    case T::Egyeb: return payroll::other_payment_table(ev);
    case T::Hozott: return payroll::brought_forward_table(ev);
  }
  return {};
}

xbase::FieldDef field(const std::string& name, char type, int width) {
  return {name, type, type == 'D' ? 8 : width, 0};
}

void add_family(xbase::Structure& s, const payroll::SlotFamily& f, int members, int tax_members) {
  for (int n = 1; n <= members; ++n) {
    s.push_back(field(payroll::member_field(f.code, n), 'C', 3));
    for (const char* a : f.amounts) s.push_back(field(payroll::member_field(a, n), 'N', 10));
    if (f.optional_amount && n <= tax_members)
      s.push_back(field(payroll::member_field(f.optional_amount, n), 'N', 10));
  }
}

// The dependants' fields that the program's dependants table shares, and one of the
// payroll's own.
void dependant_extras(xbase::Structure& s) {
  for (auto [name, width] : {std::pair{"ADOAZON", 10}, {"TAJ2", 9}, {"ESZULHELY", 25},
                             {"ACSNEV", 15}, {"AUTONEV1", 12}, {"AUTONEV2", 11}, {"ELTJOGC", 1},
                             {"KEDVTIPUS", 1}, {"JOGCIM30", 1}, {"EORSZAG", 2}, {"EIRSZAM", 10},
                             {"EHELYSEG", 25}, {"EKOZTER", 25}, {"EKOZTJELL", 10}, {"EHAZSZAM", 5},
                             {"EEPULET", 2}, {"ELEPCSO", 2}, {"EEMELET", 5}, {"EAJTO", 2}})
    s.push_back(field(name, 'C', width));
  for (int m = 1; m <= 12; ++m)
    s.push_back(field("ELTKOD" + store::demo::num_text(m, 2), 'C', 1));
  s.push_back(field("SORSZAM", 'N', 3));
}

Date d(int y, int m, int day) { return Date::from_ymd(y, m, day); }

void add(Fields& to, const Fields& more) { to.insert(to.end(), more.begin(), more.end()); }

void mark_deleted(xbase::DbfTable& t, uint32_t recno) {
  std::string buf(t.record_length(), ' ');
  t.read_record(recno, buf.data());
  buf[0] = '*';
  t.write_record(recno, buf.data());
}

// A table of the payroll directory itself.
class TableOut {
 public:
  TableOut(const std::string& path, const xbase::Structure& s)
      : path_(path), table_(xbase::DbfTable::create(path, s)), w_(*table_) {}
  uint32_t row(const Fields& fields, bool deleted = false) {
    for (const F& f : fields)
      if (table_->field_index(f.name) >= 0) w_.set(f.name, f.v);
    uint32_t r = w_.append();
    if (deleted) mark_deleted(*table_, r);
    return r;
  }
  void close() {
    table_->close();
    fix_table_date(path_);
  }

 private:
  std::string path_;
  std::unique_ptr<xbase::DbfTable> table_;
  store::RecordWriter w_;
};

xbase::Structure structure_of(const payroll::Table& t) {
  xbase::Structure s;
  for (const payroll::Field& f : t.fields) s.push_back(field(f.name, f.type, f.width));
  return s;
}

// Copies the first half of a table's records into `copy`.
void half_copy(const std::string& table, const std::string& copy) {
  xbase::WorkAreas areas;
  areas.use(table, "", xbase::OpenMode::Exclusive, true);
  xbase::Structure s = areas.current().structure();
  uint32_t half = areas.current().lastrec() / 2;
  areas.close_all();
  areas.create(copy, s);
  areas.use(copy, "", xbase::OpenMode::Exclusive);
  uint32_t n = 0;
  xbase::append_from(areas.current(), table, [&](xbase::WorkArea&) { return ++n <= half; });
  areas.close_all();
}

// --- The seeded persons ---

struct Rel {
  std::string fogjel, fomeny;
  Date from, to;
  bool single_contract = false;  // EGYSZFOGL: never taken over
};

class Seeded {
 public:
  Seeded(Rng& r, Identifiers& ids) : r_(r), ids_(ids) {}

  void person(CompanyOut& c) {
    const Shape& shape = c.shape();
    const bool female = r_.chance(0.5);
    const Date birth = day_in(1960, 2003);
    const std::string szemszam = ids_.tax_id(birth);
    std::string vez(r_.pick(store::demo::surnames()));
    std::string uto(female ? r_.pick(store::demo::female_given_names())
                           : r_.pick(store::demo::male_given_names()));
    if (shape.upper_case) {
      vez = xbase::hu852_upper(vez);
      uto = xbase::hu852_upper(uto);
    }
    const std::string taj = r_.chance(0.97) ? ids_.taj() : std::string(9, ' ');
    const double wage = r_.amount(266800, 1500000);
    const bool contributions = r_.chance(0.05);
    const int children = taj[0] != ' ' && r_.chance(0.35) ? r_.range(1, 3) : 0;

    std::vector<Rel> rels = relationships();
    std::string allampolg = r_.chance(0.96) ? "348" : r_.chance(0.5) ? "   " : "276";
    for (const Rel& rel : rels) {
      c.row(T::Tagalk,
            {{"SZEMSZAM", szemszam}, {"FOGJEL", rel.fogjel}, {"FOMENY", rel.fomeny},
             {"BELEPES", rel.from}, {"KILEPES", rel.to},
             {"EGYSZFOGL", rel.single_contract ? "X" : " "}, {"NEV", vez + " " + uto},
             {"VEZNEV", vez}, {"UTONEV", uto}, {"NEME", female ? "2" : "1"},
             {"ALLAMPOLG", allampolg}, {"SZULIDO", birth},
             {"SZULHELY", std::string(r_.pick(store::demo::towns()).name)}, {"TAJ", taj},
             {"NYENYALK", r_.chance(0.05) ? "4" : "1"}, {"EKHOHAT", "1"}, {"FEOR", "4111"}});
      months(c, szemszam, rel, wage, contributions, children);
    }
    if (r_.chance(0.08)) other_payment(c, szemszam, rels.front());
    if (r_.chance(0.04)) brought_forward(c, szemszam, rels.front());
    for (int k = 0; k < children; ++k) child(c, taj, vez);
  }

 private:
  char kind() {
    int p = r_.below(100);
    return p < 78 ? '1' : p < 84 ? '2' : p < 88 ? '3' : p < 96 ? '4' : '5';
  }
  // A day of the years, its parts drawn in a fixed order.
  Date day_in(int year_from, int year_to) {
    int y = r_.range(year_from, year_to);
    int m = r_.range(1, 12);
    return d(y, m, r_.range(1, 28));
  }

  std::vector<Rel> relationships() {
    int p = r_.below(100);
    std::string k(1, kind());
    if (p < 70) return {{k, "01", day_in(2005, 2023), Date()}};
    if (p < 80) {
      int m = r_.range(1, 11);
      return {{k, "01", day_in(2012, 2022), d(2023, m, xbase::days_in_month(2023, m))}};
    }
    if (p < 90) {
      int m = r_.range(1, 10);
      Date end = d(2023, m, xbase::days_in_month(2023, m));
      Date next = Date::from_julian(end.julian() + (r_.chance(0.7) ? 1 : 4));
      return {{std::string(1, "123"[r_.below(3)]), "01", day_in(2015, 2022), end},
              {"1", "02", next, Date()}};
    }
    if (p < 95) return {{"1", "01", day_in(2010, 2022), Date()}, {"5", "02", day_in(2019, 2022), Date()}};
    if (p < 97) return {{"1", "01", day_in(2024, 2024), Date()}};
    return {{"1", "01", day_in(2010, 2022), Date()}, {"1", "02", day_in(2020, 2022), Date(), true}};
  }

  void months(CompanyOut& c, const std::string& szemszam, const Rel& rel, double wage,
              bool contributions, int children) {
    const Shape& shape = c.shape();
    for (int m = 1; m <= 12; ++m) {
      Date first = d(2023, m, 1), last = d(2023, m, xbase::days_in_month(2023, m));
      if (rel.from > last || (!rel.to.empty() && rel.to < first)) continue;
      std::string honap = store::demo::num_text(m, 2);
      Fields f = monthly_key(szemszam, rel.fogjel.c_str(), rel.fomeny.c_str(), honap.c_str());
      double tax = std::round(wage * 0.15);
      if (rel.fogjel == "4") {
        for (F x : std::initializer_list<F>{{"JOVED", wage}, {"SZJA", tax}, {"SZJAALAP", wage}})
          f.push_back(x);
      } else {
        for (F x : std::initializer_list<F>{{"MUNKABER", wage}, {"SZJA", tax}, {"SZJAALAP", wage}})
          f.push_back(x);
        if (r_.chance(0.05)) f.push_back({"BETEGBER", r_.amount(10000, 90000)});
        if (r_.chance(0.02)) {
          f.push_back({"EKHOMBER", std::round(wage / 2)});
          f.push_back({"EKHOSZJA", std::round(wage / 2 * 0.095)});
        }
        if (r_.chance(0.2)) add(f, {{"NEMRKOD1", "102"}, {"NEMREND1", r_.amount(5000, 50000)}});
        if (r_.chance(0.05)) add(f, {{"ELLKOD1", "401"}, {"ELLATAS1", r_.amount(5000, 90000)}});
        if (r_.chance(0.005)) add(f, {{"NEMRKOD2", "998"}, {"NEMREND2", 1000.0}});
      }
      if (r_.chance(0.1)) {
        double total = r_.amount(5000, 90000);
        add(f, {{"KTGKOD1", "201"}, {"KTGOSSZ1", total}, {"KTGALAP1", std::round(total * 0.6)}});
      }
      if (r_.chance(0.1)) add(f, {{"LEVKOD1", "301"}, {"LEVFT1", 1500.0}});
      if (children > 0) {
        add(f, {{"GYEREK", children}, {"KEDVGYER", children},
                           {"GYERKEDV", children * 10000.0}});
      }
      if (contributions) {
        add(f, {{"UTBJALAP", wage}, {"UTBJAR", std::round(wage * 0.185)},
                           {"CSJKET", std::round(wage * 0.185 * 0.3)}});
      }
      T table = rel.fogjel == "4" ? T::Tagtb : T::Alktb;
      c.row(table, f);
      if (shape.ezregi == 'C' && r_.chance(0.03)) {  // an old version of the record
        Fields old = f;
        old.push_back({"EZREGI", "X"});
        old.push_back({rel.fogjel == "4" ? "JOVED" : "MUNKABER", wage * 3});
        c.row(table, old);
      }
      if (r_.chance(0.01)) c.row(table, f, true);  // a deleted copy
    }
  }

  void other_payment(CompanyOut& c, const std::string& szemszam, const Rel& rel) {
    static const char* const kCodes[] = {"201", "202", "207", "204"};
    int m = rel.from.year() == 2023 ? std::max(rel.from.month(), 1) : r_.range(1, 12);
    double amount = r_.amount(10000, 500000);
    double base = std::round(amount * 0.9);
    Fields f = monthly_key(szemszam, rel.fogjel.c_str(), rel.fomeny.c_str(),
                           store::demo::num_text(m, 2).c_str());
    add(f, {{"KTGKOD", kCodes[r_.below(4)]}, {"JOVED", amount}, {"JOVEDALAP", base},
                       {"FORRADO", std::round(base * 0.15)}, {"SZJA", std::round(base * 0.15)},
                       {"SZJAALAP", base}, {"EKHOSZJA", r_.chance(0.3) ? std::round(base * 0.095) : 0.0}});
    c.row(T::Egyeb, f);
  }

  void brought_forward(CompanyOut& c, const std::string& szemszam, const Rel& rel) {
    int last = r_.range(1, 5);
    for (int m = 1; m <= last; ++m) {
      Fields f = monthly_key(szemszam, rel.fogjel.c_str(), rel.fomeny.c_str(),
                             store::demo::num_text(m, 2).c_str());
      double income = r_.amount(100000, 2000000);
      add(f, {{"A014", income}, {"A175", std::round(income * 0.15)}});
      c.row(T::Hozott, f);
    }
  }

  void child(CompanyOut& c, const std::string& taj, const std::string& vez) {
    const bool female = r_.chance(0.5);
    const Date birth = day_in(2005, 2023);
    std::string given;
    do {
      given = std::string(female ? r_.pick(store::demo::female_given_names())
                                 : r_.pick(store::demo::male_given_names()));
    } while (given.size() > 12);
    static const std::string_view kKinds[] = {"utca", "u.", HU("tér"), "u "};
    Fields f = {{"TAJ", taj},
                {"NEV", vez.substr(0, 15) + " " + given},
                {"CSNEV", vez.substr(0, 15)},
                {"UTONEV1", given},
                {"SZULIDO", birth},
                {"ADOAZON", ids_.tax_id(birth)},
                {"TAJ2", ids_.taj()},
                {"KEDVTIPUS", "1"},
                {"ELTJOGC", "a"},
                {"EKOZTJELL", kKinds[r_.below(4)]},
                {"SORSZAM", r_.range(1, 9)}};
    for (int m = 1; m <= 12; ++m) f.push_back({"ELTKOD" + store::demo::num_text(m, 2), "1"});
    c.row(T::Ekartya, f);
  }

  Rng& r_;
  Identifiers& ids_;
};

// The code tables every company has; one record of each is deleted.
void code_tables(CompanyOut& c) {
  c.row(T::Nemrend, {{"NEMRKOD", "101"}, {"NEMRNEV", HU("Alapbér")}, {"ADLAPSOR3", "1"}, {"NEMRJELL", "1"}});
  c.row(T::Nemrend, {{"NEMRKOD", "102"}, {"NEMRNEV", HU("Költségtérítés")}, {"ADLAPSOR3", "2,8"}});
  c.row(T::Nemrend, {{"NEMRKOD", "103"}, {"NEMRNEV", HU("Egyéb jogcím")}, {"ADLAPSOR3", " 18; 20 "}});
  c.row(T::Nemrend, {{"NEMRKOD", "104"}, {"NEMRNEV", HU("Nem önálló")}, {"NEMRJELL", "6"}});
  c.row(T::Nemrend, {{"NEMRKOD", "105"}, {"NEMRNEV", HU("Törölt jogcím")}, {"ADLAPSOR3", "5"}}, true);
  c.row(T::Nemrend, {{"NEMRKOD", "110"}, {"NEMRNEV", HU("Munkabér és más")}, {"ADLAPSOR3", "1,18"}});
  c.row(T::Ktgter, {{"KTGKOD", "201"}, {"KTGNEV", HU("Egyéb jogcímű")}, {"ADLAPSOR", "18"}});
  c.row(T::Ktgter, {{"KTGKOD", "202"}, {"KTGNEV", HU("Árfolyamnyereség")}, {"ADLAPSOR", "165"}});
  c.row(T::Ktgter, {{"KTGKOD", "203"}, {"KTGNEV", HU("Osztalék")}, {"ADLAPSOR", "167"}});
  c.row(T::Ktgter, {{"KTGKOD", "204"}, {"KTGNEV", HU("EKHO kifizetés")}, {"OSSZEVON", "6"}});
  c.row(T::Ktgter, {{"KTGKOD", "206"}, {"KTGNEV", HU("Sor nélküli")}});
  c.row(T::Ktgter, {{"KTGKOD", "207"}, {"KTGNEV", HU("Ingatlan bérbeadás")}, {"ADLAPSOR", "7,8"},
                    {"EUH14KOT", "I"}});
  c.row(T::Ktgter, {{"KTGKOD", "208"}, {"KTGNEV", HU("Törölt")}, {"ADLAPSOR", "1"}}, true);
  c.row(T::Levonas, {{"LEVKOD", "301"}, {"LEVNEV", HU("Szakszervezeti tagdíj")}, {"ADLAPSOR2", "55"}});
  c.row(T::Levonas, {{"LEVKOD", "302"}, {"LEVNEV", HU("Letiltás")}, {"ADLAPSOR2", "60"}});
  c.row(T::Levonas, {{"LEVKOD", "303"}, {"LEVNEV", HU("Törölt")}, {"ADLAPSOR2", "55"}}, true);
  c.row(T::Tbell, {{"ELLKOD", "401"}, {"ELLNEV", HU("Táppénz")}, {"ELLADO", "1"}});
  c.row(T::Tbell, {{"ELLKOD", "402"}, {"ELLNEV", HU("Családi pótlék")}, {"ELLADO", "0"}});
  c.row(T::Tbell, {{"ELLKOD", "403"}, {"ELLNEV", HU("Törölt")}, {"ELLADO", "1"}}, true);
}

Fields address_fields(const store::demo::Address& a, const std::string& sfx) {
  return {{"IRSZAM" + sfx, a.irszam}, {"HELYSEG" + sfx, a.helyseg}, {"UTCA" + sfx, a.koztnev},
          {"KOZTER" + sfx, a.kozter}, {"HAZSZAM" + sfx, a.hazszam},  {"EPULET" + sfx, a.epulet},
          {"LEPCSO" + sfx, a.lepcso}, {"EMELET" + sfx, a.emelet},   {"AJTO" + sfx, a.ajto}};
}

// The payroll's company record.
void company_record(TableOut& vallal, Rng& r, Identifiers& ids, const Shape& s,
                    std::string_view name, bool deleted = false) {
  Fields f = {{"VKOD", s.vkod},
              {"VNEV", name},
              {"VTIPUS", std::string(1, s.vtipus)},
              {"VANLEVCIM", s.mailing ? "I" : " "},
              {"ADOSZAM", ids.tax_number()},
              {"TELEFON", "+36 1 " + store::demo::digits(r, 7)},
              {"TBKIFHELY", s.pays_benefits ? "I" : "N"},
              {"KSHSZAM", store::demo::digits(r, 17)}};
  Fields seat = address_fields(store::demo::make_address(r), "");
  Fields mail = address_fields(store::demo::make_address(r), "2");
  f.insert(f.end(), seat.begin(), seat.end());
  f.insert(f.end(), mail.begin(), mail.end());
  vallal.row(f, deleted);
}

}  // namespace

// --- CompanyOut ---

xbase::Structure payroll_structure(T table, const Shape& shape, const std::string& ev) {
  payroll::Table t = layout_of(table, ev);
  xbase::Structure s;
  for (const payroll::Field& f : t.fields) {
    if (f.name == "EZREGI") {
      if (shape.ezregi) s.push_back(field(f.name, shape.ezregi, 1));
    } else if (f.name == "GYEREK" && table == T::Egyeb) {
      if (shape.gyerek) s.push_back(field(f.name, shape.gyerek, shape.gyerek == 'N' ? 2 : 1));
      if (shape.gyerek == 'N')
        for (const std::string& a : payroll::other_payment_allowance_fields())
          s.push_back(field(a, 'N', 10));
    } else if (f.name == "CUTBJALAP" || f.name == "CUTBJAR" || f.name == "FELSZDIJ") {
      if (shape.corrections && table == T::Alktb) s.push_back(field(f.name, 'N', 10));
    } else {
      s.push_back(field(f.name, f.type, f.width));
    }
  }
  int deductions = shape.members > 0 ? 48 : 0;
  if (table == T::Alktb) add_family(s, payroll::income_types(), shape.members, 0);
  if (table == T::Alktb || table == T::Tagtb) {
    add_family(s, payroll::benefits(), shape.members, 0);
    add_family(s, payroll::cost_codes(), shape.members, shape.tax_members);
    add_family(s, payroll::deductions(), deductions, 0);
  }
  if (table == T::Ekartya) dependant_extras(s);
  return s;
}

std::string payroll_file(T table, const Shape& shape, const std::string& ev) {
  std::string f = layout_of(table, ev).file;
  return shape.upper_case ? upper_ascii(f) : f;
}

CompanyOut::CompanyOut(const std::string& payroll_dir, Shape shape, std::string ev)
    : shape_(std::move(shape)), ev_(std::move(ev)) {
  dir_ = (fs::path(payroll_dir) / payroll::company_dir_name(shape_.vkod, ev_)).string();
  fs::create_directories(dir_);
  for (int i = 0; i < kTableCount; ++i) {
    T t = static_cast<T>(i);
    if (t == T::Alktb && !shape_.wage_table) continue;
    std::string ext = shape_.upper_case ? ".DBF" : ".dbf";
    std::string path = (fs::path(dir_) / (payroll_file(t, shape_, ev_) + ext)).string();
    tables_[static_cast<size_t>(i)] = xbase::DbfTable::create(path, payroll_structure(t, shape_, ev_));
    writers_[static_cast<size_t>(i)] = std::make_unique<store::RecordWriter>(*tables_[static_cast<size_t>(i)]);
  }
}

CompanyOut::~CompanyOut() {
  try {
    finish();
  } catch (...) {
  }
}

uint32_t CompanyOut::row(T table, const Fields& fields, bool deleted) {
  size_t i = static_cast<size_t>(table);
  if (!tables_[i]) return 0;
  for (const F& f : fields)
    if (tables_[i]->field_index(f.name) >= 0) writers_[i]->set(f.name, f.v);
  uint32_t r = writers_[i]->append();
  if (deleted) mark_deleted(*tables_[i], r);
  ++counts_[i];
  return r;
}

void CompanyOut::finish() {
  if (finished_) return;
  finished_ = true;
  std::vector<std::string> paths;
  for (size_t i = 0; i < tables_.size(); ++i) {
    if (!tables_[i]) continue;
    paths.push_back(tables_[i]->path());
    tables_[i]->close();
  }
  for (const std::string& p : paths) fix_table_date(p);
  if (shape_.indexes == Shape::Indexes::None) return;
  const std::string ext = shape_.upper_case ? ".NTX" : ".ntx";
  for (int i = 0; i < kTableCount; ++i) {
    if (!tables_[static_cast<size_t>(i)]) continue;
    T t = static_cast<T>(i);
    std::string table = tables_[static_cast<size_t>(i)]->path();
    std::string source = table;
    if (shape_.indexes == Shape::Indexes::StaleUnderGondBaj) {
      // Index files made when the table held half its records.
      source = (fs::path(dir_) / "regi.dbf").string();
      half_copy(table, source);
    }
    for (const payroll::Index& idx : layout_of(t, ev_).indexes) {
      std::string name = shape_.upper_case ? upper_ascii(idx.file) : idx.file;
      build_index(source, (fs::path(dir_) / (name + ext)).string(), idx.key);
    }
    if (source != table) fs::remove(source);
  }
  if (shape_.indexes == Shape::Indexes::StaleUnderGondBaj)
    std::ofstream((fs::path(dir_) / "gond.baj").string());
}

Fields monthly_key(const std::string& szemszam, const char* fogjel, const char* fomeny,
                   const char* honap) {
  return {{"SZEMSZAM", szemszam}, {"FOGJEL", fogjel}, {"FOMENY", fomeny}, {"HONAP", honap}};
}

void build_index(const std::string& table_path, const std::string& index_path,
                 const std::string& key) {
  xbase::WorkAreas areas;
  if (!areas.use(table_path, "", xbase::OpenMode::Exclusive))
    throw std::runtime_error("cannot open " + table_path);
  areas.current().add_order(xbase::NtxOrder::index_on(areas, index_path, key));
  areas.close_all();
}

void fix_table_date(const std::string& path) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  const char date[3] = {124, 1, 31};  // 2024-01-31
  f.seekp(1);
  f.write(date, 3);
}

// --- The installation ---

Summary generate_payroll(const std::string& dir, const Options& o) {
  fs::create_directories(dir);
  Rng r(o.seed);
  Identifiers ids(r);
  Seeded seeded(r, ids);
  Summary sum;

  {  // Countries: Hungary, two others, and a deleted one.
    TableOut orszag((fs::path(dir) / "orszag.dbf").string(), structure_of(payroll::country_table()));
    orszag.row({{"ALLAMPOLG", "348"}, {"ALLAMMEGN", "magyar"}, {"ISO3166", "HU"}});
    orszag.row({{"ALLAMPOLG", "276"}, {"ALLAMMEGN", HU("német")}, {"ISO3166", "DE"}});
    orszag.row({{"ALLAMPOLG", "040"}, {"ALLAMMEGN", HU("osztrák")}, {"ISO3166", "AT"}});
    orszag.row({{"ALLAMPOLG", "777"}, {"ALLAMMEGN", HU("megszűnt")}, {"ISO3166", "XX"}}, true);
    orszag.close();
  }

  std::vector<Shape> shapes;
  Shape hand{"001", '1', true, true, 9, 3, 'C', 'N', true};
  // Kind "2" with a mailing address, no code-slot families, no index files, capitals.
  Shape kind2{"002", '2', true, false, 0, 0, 0, 0, false, Shape::Indexes::None, true};
  // Kind "5" without a mailing address, a numeric EZREGI, index files not sound.
  Shape kind5{"003", '5', false, true, 9, 0, 'N', 'C', false, Shape::Indexes::StaleUnderGondBaj};
  // A company without the wage table of the year.
  Shape no_wage{"004", '1', false, false, 9, 0, 0, 0, false};
  no_wage.wage_table = false;
  shapes = {hand, kind2, kind5, no_wage};
  for (int k = 0; k < o.companies; ++k) {
    Shape s;
    s.vkod = store::demo::num_text(10 + k, 3);
    s.vtipus = "1512"[k % 4];
    s.mailing = k % 3 != 1;
    s.pays_benefits = k % 2 == 0;
    s.tax_members = k % 2 == 0 ? 9 : 4;
    s.ezregi = k % 2 == 0 ? 'C' : 0;
    s.gyerek = k % 3 == 0 ? 'N' : 0;
    s.corrections = k % 2 == 1;
    shapes.push_back(s);
  }

  TableOut vallal((fs::path(dir) / "vallal.dbf").string(), structure_of(payroll::company_table()));
  for (const Shape& s : shapes) {
    std::string name = s.vkod == "001" ? std::string(HU("Kézi Próba Kft."))
                                       : store::demo::join_name({r.pick(store::demo::company_words()),
                                                                 r.pick(store::demo::company_trades()),
                                                                 "Kft."});
    company_record(vallal, r, ids, s, name);
    ++sum.companies;
  }
  // A company with only an earlier year's directory, and a deleted one.
  Shape earlier{"005", '1'};
  company_record(vallal, r, ids, earlier, HU("Tavalyi Bt."));
  Shape gone{"006", '1'};
  company_record(vallal, r, ids, gone, HU("Megszűnt Bt."), true);
  sum.companies += 1;
  vallal.close();

  auto tally = [&](CompanyOut& c) {
    sum.relationships += c.rows(T::Tagalk);
    sum.dependants += c.rows(T::Ekartya);
    sum.monthly += c.rows(T::Alktb) + c.rows(T::Tagtb) + c.rows(T::Egyeb) + c.rows(T::Hozott);
  };
  for (const Shape& s : shapes) {
    CompanyOut c(dir, s, o.ev);
    code_tables(c);
    int persons = 0;
    if (s.vkod == "001") {
      write_hand_company(c);
    } else if (s.vkod < "010") {
      persons = 4;
    } else {
      int k = std::stoi(s.vkod) - 10;
      persons = o.persons / o.companies + (k < o.persons % o.companies ? 1 : 0);
    }
    for (int i = 0; i < persons; ++i) seeded.person(c);
    sum.persons += persons;
    c.finish();
    tally(c);
  }
  {  // Last year's directories: never read for this year.
    for (const char* vkod : {"001", "005"}) {
      Shape old{vkod, '1'};
      CompanyOut c(dir, old, "22");
      code_tables(c);
      for (int i = 0; i < 2; ++i) seeded.person(c);
      c.finish();
    }
  }
  return sum;
}

}  // namespace takeover::gen
