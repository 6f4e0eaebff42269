// What the person form tests share: an installation with two companies, a stored
// person with a value in most fields and a dependant of that person, the golden
// screens drawn by hand from the form's layout, and finding a page's screen.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "entry/browse_screen.h"
#include "entry/help.h"
#include "entry_test_util.h"

namespace entry::testing {

inline constexpr const char* kPersonId = "8414091237";
inline constexpr const char* kOtherId = "8123456794";
inline constexpr const char* kChildId = "8541164578";

// Kovács Péter, 001, with the values the golden screens show.
inline Fields golden_person() {
  return {
      {"aszjell", "E"}, {"vanhozott", "N"}, {"veznev", "Kovács"}, {"utonev", "Péter"},
      {"leanynev", "Kovács Péter"}, {"lveznev", "Kovács"}, {"lutonev", "Péter"}, {"neme", "1"},
      {"szulido", "19840506"}, {"szulhely", "Győr"}, {"irszam", "9021"}, {"helyseg", "Győr"},
      {"utca", "Fő utca 1."}, {"koztnev", "Fő"}, {"kozter", "utca"}, {"hazszam", "1."},
      {"allampolg", "magyar"}, {"allamkod", "HU"}, {"anyja", "Szabó Ilona"}, {"aveznev", "Szabó"},
      {"autonev", "Ilona"}, {"jovedelem", "5400000"}, {"mvktgter", "120000"},
      {"mvktgbizn", "20000"}, {"kulszolg", "300000"}, {"masberjov", "50000"},
      {"nemonallo", "75000"}, {"ktgteljes", "60000"}, {"ktgbiznel", "60000"},
      {"onallotev", "1000000"}, {"onallktg", "100000"}, {"ingberbe", "400000"},
      {"ingberktg", "40000"}, {"eupbev", "70000"}, {"eupktg", "7000"}, {"egyebjogc", "250000"},
      {"egyebjktg", "50000"}, {"kulfegyez", "800000"}, {"kulfektg", "100000"},
      {"kulfhiany", "90000"}, {"kulfhktg", "10000"}, {"eloleg", "1170750"},
      {"arfnyer", "150000"}, {"arfnyerp", "100000"}, {"arfnyera", "15000"}, {"arfnyerl", "15000"},
      {"oszt16", "2500000"}, {"oszt16p", "2500000"}, {"oszt16a", "375000"},
      {"oszt16l", "375000"}, {"kivont", "30000"}, {"kivontp", "30000"}, {"kivonta", "4500"},
      {"kivontl", "4500"}, {"egyforr", "12345"}, {"egyforrp", "12345"}, {"egyforra", "1852"},
      {"egyforrl", "1852"}, {"egyfornev", "Kamat"}, {"szctv5", "200000"},
      {"szctv5al", "200000"}, {"szctv5ad", "26000"}, {"rokkant", "77300"},
      {"elsohnyil", "1"}, {"elsohazke", "200010"}, {"elsohaz30", "200010"},
      {"gyerkedv", "240000"}, {"gyerk30", "240000"}, {"szdij", "12000"},
      {"elsohnev", "Kovácsné Nagy Éva"}, {"elsohadoa", "8456789011"}, {"elsohh01", "1"},
      {"elsohh02", "1"}, {"elsohh03", "1"}, {"elsohh04", "1"}, {"elsohh05", "1"},
      {"elsohh06", "1"}, {"csjka01", "300000"}, {"csjkj01", "55500"}, {"csjkk01", "20000"},
      {"csjkl01", "35500"}, {"csjka12", "266800"}, {"csjkj12", "49358"}, {"csjkl12", "49358"},
      {"ok71_1", "1"}, {"isin71", "HU0000123456"}, {"fajta71", "110"}, {"nevert71", "100000"},
      {"ekhofeor", "2511"}, {"ekho1b15", "100000"}, {"ekho1_15", "15000"},
      {"ekho1b95", "200000"}, {"ekho1_95", "19000"}, {"ekho2b15", "50000"},
      {"ekho2_15", "7500"}, {"ekho2b95", "50000"}, {"ekho2_95", "4750"},
      {"ekho2beg", "50000"}, {"ekho2_eg", "4750"}, {"ekho_av2", "X"}, {"ekhos_95", "28500"},
      {"ekhohat", "1"}, {"ekho1n", "5000"}, {"ekho2n", "5000"},
  };
}

inline Fields golden_dependant() {
  Fields d = {{"vkod", "001"}, {"szemszam", kPersonId}, {"kedvtipus", "1"}, {"csnev", "Kovács"},
              {"utonev1", "Bence"}, {"nev", "Kovács Bence"}, {"adoazon", kChildId},
              {"taj2", "123456788"}, {"eszulhely", "Győr"}, {"eszulido", "20150302"},
              {"acsnev", "Nagy"}, {"autonev1", "Éva"}, {"eltjogc", "a"}, {"eirszam", "9021"},
              {"ehelyseg", "Győr"}, {"ekozter", "Fő"}, {"ekoztjell", "utca"}, {"ehazszam", "1"}};
  for (const char* m : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"})
    d[std::string("eltkod") + m] = "1";
  return d;
}

// Two companies; Kovács Péter (the golden person) and Nagy Béla, both of 001; one
// dependant of Kovács Péter. The year table selected on its first record.
struct Persons {
  Install in;
  explicit Persons(std::string dir = "") : in(std::move(dir)) {
    in.company("001", "Alfa Kft.", {{"kozter", "utca"}, {"adoszam", "10000001000"}});
    in.company("002", "Béta Bt.", {{"kozter", "tér"}, {"adoszam", "10000001001"}});
    in.person("001", "Kovács Péter", kPersonId, "M", golden_person());
    in.person("001", "Nagy Béla", kOtherId, "M", {{"aszjell", "E"}});  // no sex code
    in.add("eltar23", golden_dependant());
    in.open();
    in.select("VIRDA");
    in.s.con->set_key(key::kF1, [this](console::Console&) { HELP(in.ctx); });
  }
  void run() { DBEDFELV(in.ctx); }
  const console::HeadlessBackend& term() const { return *in.s.term; }
};

// `k` pressed `n` times.
inline void press(Install& in, int k, int n) {
  for (int i = 0; i < n; ++i) in.keys({k});
}

// Keys that fill page 1 of a new person: company 001, `id`, the name typed into its
// window (none when `family` is empty), kind "M", original data service, sex 1; the
// rest left empty with PgDn.
inline void new_person_page1(Install& in, const std::string& id, const std::string& family = "",
                             const std::string& given = "") {
  in.keys({'F'});
  in.type("001" + id);
  if (family.empty()) {
    in.keys({key::kEnter});
  } else {
    in.type(family);  // the first letter opens the window
    in.keys({key::kEnter});
    in.type(given);
    in.keys({key::kEnter, key::kEnter});  // no title
  }
  in.type("MEN");          // kind, data service, brought-forward data
  in.keys({key::kEnter});  // the birth name
  in.type("1");            // sex
  in.keys({key::kPgDn});
}

// A golden screen: 25 rows of UTF-8 text.
inline std::vector<std::string> golden(const std::string& name) {
  std::ifstream f(std::string(MVIRDA_SOURCE_DIR) + "/tests/entry/golden/" + name);
  std::vector<std::string> rows;
  for (std::string line; std::getline(f, line);) rows.push_back(line);
  return rows;
}

inline void expect_golden(const console::Screen& s, const std::string& name) {
  const std::vector<std::string> want = golden(name);
  ASSERT_EQ(want.size(), 25u) << name;
  for (int r = 0; r < 25; ++r) EXPECT_EQ(row(s, r), want[static_cast<std::size_t>(r)]) << name << " row " << r;
}

// The first screen that waited in the bottom menu of page `page` (the page number at
// row 1, column 78; the menu from row 24, column 0).
inline const console::Screen* menu_of_page(const console::HeadlessBackend& t, int page,
                                           std::size_t from = 0) {
  char number[3];
  std::snprintf(number, sizeof number, "%02d", page);
  for (std::size_t i = from; i < t.waits().size(); ++i) {
    const console::Screen& s = t.waits()[i];
    if (at(s, 1, 78, 2) == number && at(s, 24, 0, 5) == "Javít") return &s;
  }
  return nullptr;
}

// The screens that waited with the cursor at row, column.
inline int waits_at(const console::HeadlessBackend& t, int r, int c) {
  int n = 0;
  for (const console::Screen& s : t.waits()) n += s.cursor_row() == r && s.cursor_col() == c;
  return n;
}

// A year-table record as "field=value" texts of the named fields (UTF-8, trimmed;
// numbers as whole numbers).
inline std::string person_row(Install& in, uint32_t recno, const std::vector<std::string>& names) {
  xbase::WorkAreas other;
  EXPECT_TRUE(other.use(in.s.file("virda23"), "", xbase::OpenMode::Shared, true));
  xbase::WorkArea& a = other.current();
  a.go_to(recno);
  std::string out;
  for (const std::string& n : names) {
    xbase::Value v = a.get(n);
    std::string text = v.is_num() ? std::to_string(static_cast<long long>(v.as_num()))
                       : v.is_date() ? v.as_date().dtos()
                                     : xbase::cp852_to_utf8(xbase::rtrim(v.as_str()));
    out += (out.empty() ? "" : " ") + n + "=" + text;
  }
  return out;
}

// Every screen shown at a wait, for a test that went astray.
inline void dump_waits(const console::HeadlessBackend& t, std::size_t last = 4) {
  const auto& w = t.waits();
  for (std::size_t i = w.size() > last ? w.size() - last : 0; i < w.size(); ++i) {
    std::fprintf(stderr, "--- wait %zu, cursor %d,%d\n", i, w[i].cursor_row(), w[i].cursor_col());
    for (int r = 0; r < 25; ++r) std::fprintf(stderr, "%s\n", row(w[i], r).c_str());
  }
}

}  // namespace entry::testing
