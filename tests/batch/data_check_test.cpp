// "batch check --data" over a generated installation: sound as generated, then with
// one fault planted for each kind of rule, each found once and nothing else.
#include <algorithm>
#include <set>
#include <sstream>

#include "batch/batch_test_util.h"
#include "store/tools/demo_data.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"

namespace batch {
namespace {

using namespace batch::testing;
using xbase::Value;

// DRIVE/VIRDA23 made by the installation generator.
struct Generated {
  std::string drive = made_drive();
  std::string dir = drive + "/VIRDA23";
  ScopedEnv drive_env{"VIRDA_DRIVE", drive};

  explicit Generated(int persons, int companies = 3) {
    store::demo::Options o;
    o.persons = persons;
    o.companies = companies;
    store::demo::generate_installation(drive, o);
  }
  ~Generated() { std::filesystem::remove_all(drive); }
  std::string file(const std::string& name) const { return dir + "/" + name; }
  BatchResult check(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {"--dir", dir};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back("check");
    args.push_back("--data");
    return batch(args);
  }

 private:
  static std::string made_drive() {
    std::string base = std::filesystem::temp_directory_path().string() + "/datacheck-XXXXXX";
    return ::mkdtemp(base.data());
  }
};

xbase::WorkArea& opened(xbase::WorkAreas& areas, const std::string& path) {
  EXPECT_TRUE(areas.use(path, "", xbase::OpenMode::Exclusive)) << path;
  return areas.current();
}

// One table of the installation opened exclusively for planting faults.
struct Edit {
  xbase::WorkAreas areas;
  xbase::WorkArea& a;
  Edit(const Generated& g, const std::string& table) : a(opened(areas, g.file(table))) {}
  ~Edit() { areas.close_all(); }

  std::string text(uint32_t recno, const char* field) {
    a.go_to(recno);
    return a.get(field).as_str();
  }
  void put(uint32_t recno, const char* field, const Value& v) {
    a.go_to(recno);
    ASSERT_TRUE(a.put(field, v)) << field;
  }
  // A copy of record `recno` appended.
  void copy(uint32_t recno) {
    a.go_to(recno);
    std::vector<Value> values;
    for (int i = 0; i < a.field_count(); ++i) values.push_back(a.get(i));
    ASSERT_TRUE(a.append_blank());
    for (int i = 0; i < a.field_count(); ++i) a.put(i, values[static_cast<size_t>(i)]);
  }
  // "vkod szemszam name: " as the finding names the record (UTF-8).
  std::string label(uint32_t recno, bool company = false, bool dependant = false) {
    a.go_to(recno);
    std::string s = a.get("VKOD").as_str() + " ";
    s += company ? std::string(10, ' ') : a.get("SZEMSZAM").as_str();
    s += " " + xbase::rtrim(a.get(company ? "VNEV" : "NEV").as_str());
    if (dependant) s += " (eltartott)";
    return xbase::cp852_to_utf8(s) + ": ";
  }
};

// A digit of a text field made wrong (its check digit no longer fits).
std::string wrong_digit(std::string id, size_t at) {
  id[at] = id[at] == '9' ? '0' : static_cast<char>(id[at] + 1);
  return id;
}

std::set<std::string> lines_of(const std::string& out) {
  std::set<std::string> lines;
  std::istringstream in(out);
  for (std::string l; std::getline(in, l);) lines.insert(l);
  return lines;
}

TEST(BatchDataCheck, AGeneratedInstallationIsSound) {
  Generated g(600, 6);
  BatchResult r = g.check();
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(contains(r.err, "rekord ellenőrizve, mind rendben")) << r.err;
}

TEST(BatchDataCheck, EachPlantedFaultIsFoundOnceAndNothingElse) {
  Generated g(40);
  std::set<std::string> want;
  {
    Edit c(g, "vallal.dbf");
    c.put(1, "ADOSZAM", Value::str(wrong_digit(c.text(1, "ADOSZAM"), 7)));
    want.insert(c.label(1, true) + "ADOSZAM: Hibás adószám!");
    c.put(2, "KOZTER", Value::str(xbase::utf8_to_cp852("postafiók")));
    want.insert(c.label(2, true) +
                "KOZTER: a közterület jellege a közterület-tábla egy jellege, nem postafiók");
    c.copy(3);  // a second company with the code of the third
    want.insert(c.label(3, true) + "VKOD: Ez már volt. Nem lehet újra felvinni !");
  }
  {
    Edit p(g, "virda23.dbf");
    p.put(1, "SZEMSZAM", Value::str(wrong_digit(p.text(1, "SZEMSZAM"), 3)));
    want.insert(p.label(1) + "SZEMSZAM: Hibás adóazonosító!");
    p.put(2, "MVKTGTER", Value::num(1000));
    p.put(2, "MVKTGBIZN", Value::num(1001));
    want.insert(p.label(2) + "MVKTGBIZN: a költség nem lehet több a sor bevételénél");
    p.put(3, "ROKKANT", Value::num(77000));  // not a whole number of units of 77,300
    want.insert(p.label(3) +
                "ROKKANT: a havi egység (KFOGYATEK) egész számú többszöröse, legfeljebb 12-szerese");
    p.put(4, "ELSOHAZKE", Value::num(400021));  // 12 × 33,335 + 1
    want.insert(p.label(4) + "ELSOHAZKE: 0 és a havi összeg (KELSOHAZ) 12-szerese között");
    p.put(5, "NEME", Value::str("3"));
    want.insert(p.label(5) + "NEME: 1 vagy 2 lehet");
    p.put(6, "CSJKA01", Value::num(100000));
    p.put(6, "CSJKJ01", Value::num(18513));  // 100,000 × 0.185 + 12 + 1
    p.put(6, "CSJKK01", Value::num(0));
    want.insert(p.label(6) + "CSJKJ01: legfeljebb a járulékalap 18,5 %-a + 12 Ft");
    p.put(7, "ONALLOTEV", Value::num(5000));
    p.put(7, "ONALLKTG", Value::num(0));
    p.put(7, "INGBERBE", Value::num(5001));
    p.put(7, "INGBERKTG", Value::num(0));
    for (const char* f : {"EUPBEV", "EUPKTG", "HOKBEV", "HOKKTG", "VKVBEV", "VKVKTG", "DIJMVBEV",
                          "DIJMVKTG"})
      p.put(7, f, Value::num(0));
    want.insert(p.label(7) + "INGBERBE: a bevétel nem lehet több a 7. sor bevételénél");
    p.put(8, "FAJTA71", Value::str("415"));
    want.insert(p.label(8) +
                "FAJTA71: üres, vagy 1, 2, 3 és utána 10, 11, 12, 13, 14, 20 vagy 22");
    p.copy(9);  // the same company, tax identifier and kind twice
    want.insert(p.label(9) + "NYILAT: Ez már volt. Nem lehet újra felvinni !");
    // A deleted record is no record: its fault is not looked at.
    p.put(10, "NEME", Value::str("9"));
    p.a.go_to(10);
    ASSERT_TRUE(p.a.delete_record());
  }
  {
    Edit d(g, "eltar23.dbf");
    ASSERT_EQ(xbase::rtrim(d.text(1, "TAJ2")).size(), 9u);
    d.put(1, "TAJ2", Value::str(wrong_digit(d.text(1, "TAJ2"), 2)));
    want.insert(d.label(1, false, true) + "TAJ2: Hibás TAJ-szám!");
    d.put(2, "ESZULIDO", Value::date(xbase::Date::from_ymd(1899, 12, 31)));
    want.insert(d.label(2, false, true) + "ESZULIDO: a születési idő nem lehet üres, sem 1900 előtti");
    d.put(3, "ELTKOD05", Value::str(" "));
    want.insert(d.label(3, false, true) + "ELTKOD05: 1, 2, 3, 4, 5 vagy 0 lehet");
    d.put(4, "ADOAZON", Value::str("8000000000"));  // S = 8, not 0
    want.insert(d.label(4, false, true) + "ADOAZON: Hibás adóazonosító!");
    // The under-30 title is entered only with the kinds of allowance 4 and 5.
    d.put(5, "KEDVTIPUS", Value::str("4"));
    d.put(5, "JOGCIM30", Value::str("2"));
    want.insert(d.label(5, false, true) + "JOGCIM30: 1, 3 vagy üres lehet");
    d.put(6, "KEDVTIPUS", Value::str("1"));
    d.put(6, "JOGCIM30", Value::str("2"));
  }
  BatchResult r = g.check();
  EXPECT_EQ(r.code, 3) << r.err;
  EXPECT_EQ(lines_of(r.out), want) << r.out;
  EXPECT_EQ(lines_of(r.out).size(), static_cast<size_t>(std::count(r.out.begin(), r.out.end(), '\n')));
  EXPECT_TRUE(contains(r.err, std::to_string(want.size()) + " észrevétel")) << r.err;
}

TEST(BatchDataCheck, BlankRecordsGiveWhatTheFormsRefuseInABlankForm) {
  Generated g(10, 1);
  std::set<std::string> want;
  for (const char* table : {"vallal.dbf", "virda23.dbf", "eltar23.dbf"}) {
    Edit e(g, table);
    ASSERT_TRUE(e.a.append_blank());
  }
  const std::string company = "    " + std::string(10, ' ') + " : ";
  const std::string person = "    " + std::string(10, ' ') + " : ";
  // The company form: the code, the seat's kind of public space and the tax number.
  want.insert(company + "VKOD: a cég kódja nem lehet üres");
  want.insert(company + "KOZTER: a közterület jellege nem lehet üres");
  want.insert(company + "ADOSZAM: Hibás adószám/adóazonosító");
  // The person form: the tax identifier and the three codes without a blank.
  want.insert(person + "SZEMSZAM: Hibás adóazonosító!");
  want.insert(person + "NYILAT: M, K vagy E lehet");
  want.insert(person + "ASZJELL: E, P vagy H lehet");
  want.insert(person + "NEME: 1 vagy 2 lehet");
  // The dependant form: the birth date and the twelve month codes, one run of fields.
  const std::string dependant = "    " + std::string(10, ' ') + "  (eltartott): ";
  want.insert(dependant + "ESZULIDO: a születési idő nem lehet üres, sem 1900 előtti");
  want.insert(dependant + "ELTKOD01-ELTKOD12: 1, 2, 3, 4, 5 vagy 0 lehet");
  BatchResult r = g.check({"--quiet"});
  EXPECT_EQ(r.code, 3) << r.err;
  EXPECT_EQ(lines_of(r.out), want) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST(BatchDataCheck, ATableHeldExclusivelyEndsBusy) {
  Generated g(10, 1);
  xbase::WorkAreas holder;
  ASSERT_TRUE(holder.use(g.file("eltar23.dbf"), "", xbase::OpenMode::Exclusive));
  BatchResult r = g.check({"--wait", "0"});
  EXPECT_EQ(r.code, 5) << r.out << r.err;
  EXPECT_TRUE(contains(r.err, "eltar23.dbf")) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(BatchDataCheck, HelpNamesTheOption) {
  BatchResult r = batch({"check", "--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(contains(r.out, "mvirda23 batch check [--data]")) << r.out;
  EXPECT_EQ(batch({"reindex", "--data"}).code, 2);
}

}  // namespace
}  // namespace batch
