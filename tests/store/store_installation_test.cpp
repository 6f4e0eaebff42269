// A generated installation: its tables open with the defined structures, every
// identifier passes its check, the amounts keep the forms' rules, the dependants
// belong to persons, the index files hold the keys their stored expressions give, and
// the same seed gives the same files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <unistd.h>
#include <string>

#include "store/identifiers.h"
#include "store/tables.h"
#include "store/tools/demo_data.h"
#include "xbase/collation.h"
#include "xbase/dbf_table.h"
#include "xbase/expr.h"
#include "xbase/expr_host.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"

namespace {

namespace fs = std::filesystem;
using store::ids::tax_id_valid;

// One table read record by record; also the fields for the key expressions.
class Reader : public xbase::ExprHost {
 public:
  explicit Reader(const fs::path& path)
      : t_(xbase::DbfTable::open(path.string(), false, true)), rec_(t_->record_length(), ' ') {}
  xbase::DbfTable& table() { return *t_; }
  uint32_t count() const { return t_->record_count(); }
  void go(uint32_t recno) { ASSERT_TRUE(t_->read_record(recno, rec_.data())); recno_ = recno; }
  xbase::Value get(std::string_view name) const {
    const int i = t_->field_index(name);
    EXPECT_GE(i, 0) << name;
    return xbase::decode_field(t_->fields()[static_cast<size_t>(i)], rec_.data() + t_->field_offset(i));
  }
  std::string str(std::string_view name) const { return get(name).as_str(); }
  double num(std::string_view name) const { return get(name).as_num(); }
  static std::string trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }

  int selected_area() const override { return 1; }
  int area_of_alias(std::string_view) const override { return 0; }
  int field_index(int, std::string_view name) const override { return t_->field_index(name); }
  xbase::Value field_value(int, int i) const override {
    return xbase::decode_field(t_->fields()[static_cast<size_t>(i)], rec_.data() + t_->field_offset(i));
  }
  bool deleted(int) const override { return rec_[0] == '*'; }
  int64_t recno(int) const override { return recno_; }

 private:
  std::unique_ptr<xbase::DbfTable> t_;
  std::string rec_;
  uint32_t recno_ = 0;
};

class Installation : public ::testing::Test {
 protected:
  static fs::path root;
  static store::demo::Summary summary;
  static void SetUpTestSuite() {
    root = fs::temp_directory_path() / ("h7_inst_" + std::to_string(::getpid()));
    store::demo::Options o;
    o.persons = 400;
    o.seed = 11;
    summary = store::demo::generate_installation(root.string(), o);
  }
  static void TearDownTestSuite() { fs::remove_all(root); }
  fs::path dir() const { return summary.program_dir; }
};
fs::path Installation::root;
store::demo::Summary Installation::summary;

TEST_F(Installation, TablesOpenWithTheirStructuresAndTemplates) {
  EXPECT_EQ(summary.companies, 4);
  EXPECT_EQ(summary.persons, 400);
  EXPECT_EQ(summary.dependants, 300);
  EXPECT_EQ(summary.indexes, 4);
  for (const store::TableDef& t : store::program_tables()) {
    Reader r(dir() / (t.file + ".dbf"));
    EXPECT_EQ(r.table().fields(), t.fields) << t.file;
    EXPECT_TRUE(fs::exists(dir() / "xxx" / (t.file + ".dbf"))) << t.file;
  }
  EXPECT_EQ(Reader(dir() / "vallal.dbf").count(), 4u);
  EXPECT_EQ(Reader(dir() / "virda23.dbf").count(), 400u);
  EXPECT_EQ(Reader(dir() / "eltar23.dbf").count(), 300u);
  EXPECT_EQ(Reader(dir() / "xxx" / "virda23.dbf").count(), 0u);
  EXPECT_FALSE(fs::exists(dir() / "xxx" / "virda23.ntx"));
}

TEST_F(Installation, EveryIdentifierPassesItsCheck) {
  Reader c(dir() / "vallal.dbf");
  for (uint32_t i = 1; i <= c.count(); ++i) {
    c.go(i);
    EXPECT_TRUE(store::ids::tax_number_valid(c.str("adoszam"))) << c.str("adoszam");
    const std::string pred = Reader::trim(c.str("jogelasz"));
    if (!pred.empty()) {
      EXPECT_TRUE(store::ids::company_id_valid(pred));
    }
    EXPECT_EQ(c.str("vkod"), store::ids::zero_fill(c.str("vkod")));
  }
  Reader p(dir() / "virda23.dbf");
  std::set<std::string> persons;
  std::map<std::string, std::string> names;
  int second_records = 0;
  for (uint32_t i = 1; i <= p.count(); ++i) {
    p.go(i);
    const std::string id = p.str("szemszam");
    EXPECT_TRUE(tax_id_valid(id)) << id;
    EXPECT_EQ(store::ids::birth_date_of(id), p.get("szulido").as_date()) << id;
    const std::string spouse = Reader::trim(p.str("elsohadoa"));
    if (!spouse.empty()) {
      EXPECT_TRUE(tax_id_valid(spouse)) << spouse;
    }
    EXPECT_TRUE(persons.insert(p.str("vkod") + id + p.str("nyilat")).second);
    persons.insert(p.str("vkod") + id);
    // A person with certificates of two kinds has the same data on both.
    auto [it, fresh] = names.emplace(p.str("vkod") + id, p.str("nev") + p.str("anyja"));
    if (!fresh) {
      ++second_records;
      EXPECT_EQ(it->second, p.str("nev") + p.str("anyja")) << id;
    }
  }
  EXPECT_GT(second_records, 0);
  Reader d(dir() / "eltar23.dbf");
  for (uint32_t i = 1; i <= d.count(); ++i) {
    d.go(i);
    EXPECT_TRUE(tax_id_valid(d.str("adoazon"))) << d.str("adoazon");
    EXPECT_EQ(store::ids::check_taj(d.str("taj2")), store::ids::TajResult::Valid) << d.str("taj2");
    EXPECT_TRUE(persons.count(d.str("vkod") + d.str("szemszam"))) << "dependant " << i;
    EXPECT_GE(d.get("eszulido").as_date().year(), 1900);
    for (int m = 1; m <= 12; ++m) {
      const std::string code = d.str((m < 10 ? "eltkod0" : "eltkod1") + std::to_string(m % 10));
      EXPECT_NE(std::string("123450").find(code), std::string::npos);
    }
  }
}

TEST_F(Installation, AmountsOnEveryRowWithinTheFormsRules) {
  Reader p(dir() / "virda23.dbf");
  Reader k(dir() / "kozter.dbf");
  std::set<std::string> kinds;
  for (uint32_t i = 1; i <= k.count(); ++i) {
    k.go(i);
    kinds.insert(Reader::trim(k.str("kozternev")));
  }
  std::set<std::string> filled;
  for (uint32_t i = 1; i <= p.count(); ++i) {
    p.go(i);
    for (const xbase::FieldDef& f : p.table().fields())
      if (f.type == 'N' && p.num(f.name) != 0) filled.insert(f.name);
    for (auto [rev, cost] : {std::pair{"MVKTGTER", "MVKTGBIZN"}, {"KULSZOLG", "KULSZBIZN"},
                             {"KTGTELJES", "KTGBIZNEL"}, {"ONALLOTEV", "ONALLKTG"},
                             {"INGBERBE", "INGBERKTG"}, {"EGYEBJOGC", "EGYEBJKTG"},
                             {"KULFEGYEZ", "KULFEKTG"}, {"KULFHIANY", "KULFHKTG"}})
      EXPECT_LE(p.num(cost), p.num(rev)) << cost;
    for (const char* part : {"INGBERBE", "EUPBEV", "HOKBEV", "VKVBEV", "DIJMVBEV"})
      EXPECT_LE(p.num(part), p.num("ONALLOTEV")) << part;
    const double unit = 77300;
    EXPECT_EQ(std::fmod(p.num("ROKKANT"), unit), 0);
    EXPECT_LE(p.num("ROKKANT"), 12 * unit);
    EXPECT_LE(p.num("ELSOHAZKE"), 400020);
    for (int m = 1; m <= 12; ++m) {
      const std::string mm = (m < 10 ? "0" : "") + std::to_string(m);
      EXPECT_LE(p.num("CSJKJ" + mm), p.num("CSJKA" + mm) * 0.185 + 12);
      EXPECT_LE(p.num("CSJKK" + mm), p.num("CSJKJ" + mm));
    }
    EXPECT_TRUE(kinds.count(Reader::trim(p.str("kozter")))) << p.str("kozter");
    // The street line is composed from its parts with every blank kept.
    std::string line;
    for (const char* part : {"KOZTNEV", "KOZTER", "HAZSZAM", "EPULET", "LEPCSO", "EMELET", "AJTO"})
      line += (line.empty() ? "" : " ") + Reader::trim(p.str(part));
    EXPECT_EQ(Reader::trim(p.str("UTCA")), Reader::trim(line));
  }
  for (const xbase::FieldDef& f : p.table().fields())
    if (f.type == 'N') {
      EXPECT_TRUE(filled.count(f.name)) << f.name << " is never filled";
    }
}

TEST_F(Installation, IndexFilesHoldTheKeysOfTheirExpressions) {
  for (const store::IndexedTable& it : store::index_set()) {
    Reader r(dir() / (it.table + ".dbf"));
    auto ntx = xbase::NtxFile::open((dir() / (it.index.file + ".ntx")).string());
    EXPECT_EQ(ntx->key_expr(), it.index.key);
    const xbase::Expr key = xbase::Expr::compile(ntx->key_expr());
    xbase::EvalContext ctx;
    ctx.host = &r;
    auto expected = [&](uint32_t recno) -> std::optional<std::string> {
      r.go(recno);
      return xbase::collation::key_of(key.eval(ctx), ntx->key_size(), ntx->key_decimals());
    };
    const auto result = ntx->check(r.count(), expected);
    EXPECT_TRUE(result.ok()) << it.index.file << ": "
                             << (result.faults.empty() ? "" : result.faults.front());
    EXPECT_EQ(result.keys, r.count());
  }
}

std::string bytes_of(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Installation, SameSeedSameFilesOtherSeedOtherData) {
  const fs::path again = root / "again";
  const fs::path other = root / "other";
  store::demo::Options o;
  o.persons = 400;
  o.seed = 11;
  store::demo::generate_installation(again.string(), o);
  o.seed = 12;
  store::demo::generate_installation(other.string(), o);
  for (const char* f : {"vallal.dbf", "virda23.dbf", "eltar23.dbf", "virda23.ntx", "virda232.ntx"})
    EXPECT_EQ(bytes_of(dir() / f), bytes_of(again / "VIRDA23" / f)) << f;
  EXPECT_NE(bytes_of(dir() / "virda23.dbf"), bytes_of(other / "VIRDA23" / "virda23.dbf"));
}

}  // namespace
