// Index keys made straight from record bytes against the evaluator: every supported key
// shape over a table of ordinary and odd field contents gives the evaluator's key bytes;
// the other shapes are left to the evaluator; and INDEX ON through the routine, with two
// threads, writes the very file the evaluator's keys give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "xbase/collation.h"
#include "xbase/dbf_format.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_key_gather.h"
#include "xbase/ntx_key_routine.h"
#include "xbase/ntx_order.h"
#include "xbase/ntx_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using ntx_test::ScratchDir;

const Structure kFields = {{"VKOD", 'C', 3, 0},    {"NEV", 'C', 30, 0},    {"KOD", 'C', 1, 0},
                           {"SZULIDO", 'D', 8, 0}, {"ROSSZDAT", 'D', 8, 0}, {"OSSZEG", 'N', 10, 2},
                           {"EGESZ", 'N', 6, 0},   {"FLAG", 'L', 1, 0}};

// Field contents as clerks and other programs leave them, odd ones included: accented
// and small letters, control and high bytes, invalid dates, numbers that do not fit their
// field's form.
std::string random_record(std::mt19937& rng) {
  auto pick = [&](std::initializer_list<const char*> v) { return std::string(v.begin()[rng() % v.size()]); };
  const std::string letters = std::string("ABCZabcz09 -.") + std::string(HU("ÁÉÍÓÖŐÚÜŰáéíóöőúüű"));
  auto text = [&](std::size_t w) {
    std::string s;
    for (std::size_t i = 0; i < w; ++i) {
      unsigned r = rng() % 40;
      s += r == 0 ? static_cast<char>(rng() % 256) : letters[rng() % letters.size()];
    }
    if (rng() % 3 == 0) s.replace(w / 2, w - w / 2, w - w / 2, ' ');  // trailing blanks
    return s;
  };
  std::string rec = rng() % 10 == 0 ? "*" : " ";
  rec += text(3) + text(30) + text(1);
  rec += pick({"20230915", "19591231", "        ", "20240229"});
  rec += pick({"20230231", "2023AB01", "00000000", "  2023  ", "19000101", "99991231", "        "});
  rec += pick({"   1234.56", "  -1234.50", "          ", "12a4      ", "     -0.00", "9999999.99",
               "**********", "   .5     ", "  +12     ", "9999999999", "-999999.99", "0000000001"});
  rec += pick({"   123", "-99999", "      ", "000012", "1e5   ", "999999", "    -0"});
  rec += pick({"T", "F", "Y", "n", "?", " "});
  return rec;
}

void write_table(const std::string& path, uint32_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::ofstream out(path, std::ios::binary);
  out << build_dbf_header(kFields, n, 2023, 1, 1);
  for (uint32_t i = 0; i < n; ++i) out << random_record(rng);
  out.put('\x1A');
}

class KeyRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write_table(dir.file("t.dbf"), kRecords, 20);
    ASSERT_TRUE(areas.use(dir.file("t")));
  }
  WorkArea& area() { return areas.current(); }

  static constexpr uint32_t kRecords = 3000;
  ScratchDir dir;
  WorkAreas areas;
};

TEST_F(KeyRoutineTest, EveryShapeGivesTheEvaluatorsKeyBytes) {
  // Shapes of texts alone never leave a record to the evaluator; STR, DTOS and single
  // fields of other types may, for contents the routine does not read as they are.
  struct Case {
    const char* key;
    bool every_record;
  };
  const Case cases[] = {
      {"vkod", true},
      {"vkod+HUNGORD(nev)", true},
      {"vkod+UPPER(nev)", true},
      {"HUNGORD(vkod+nev)", true},
      {"UPPER(HUNGORD(nev))+kod", true},
      {"nev+vkod+kod", true},
      {"vkod+'-'+nev", true},
      {"vkod+[x]+\"ab\"", true},
      {"FIELD->vkod+nev", true},
      {"LEFT(nev,5)", true},
      {"LEFT(nev,0)+vkod", true},
      {"LEFT(nev,99)", true},
      {"LEFT(nev,-3)+vkod", true},
      {"LEFT(nev,2.9)+vkod", true},
      {"RIGHT(nev,4)", true},
      {"RIGHT(nev,40)", true},
      {"RIGHT(nev,0)+vkod", true},
      {"SUBSTR(nev,3)", true},
      {"SUBSTR(nev,3,4)", true},
      {"SUBSTR(nev,-4,2)", true},
      {"SUBSTR(nev,-40,5)", true},
      {"SUBSTR(nev,0,3)", true},
      {"SUBSTR(nev,31)+vkod", true},
      {"SUBSTR(nev,2,0)+vkod", true},
      {"SUBSTR(nev,5,-1)+vkod", true},
      {"PADR(nev,10)", true},
      {"PADR(vkod,8)+kod", true},
      {"PADR(nev,0)+vkod", true},
      {"HUNGORD(LEFT(nev,3)+SUBSTR(vkod,2,1))", true},
      {"DTOS(szulido)", false},
      {"DTOS(szulido)+vkod", false},
      {"vkod+DTOS(rosszdat)", false},
      {"LEFT(DTOS(szulido),4)+HUNGORD(nev)", false},
      {"STR(osszeg)", false},
      {"STR(osszeg)+vkod", false},
      {"STR(osszeg,12,2)", false},
      {"STR(osszeg,5)", false},
      {"vkod+STR(egesz,8)", false},
      {"STR(egesz)+nev", false},
      {"SUBSTR(STR(osszeg,12,3),2,6)", false},
      {"STR(egesz,3)", false},
      {"STR(osszeg,10,1)", false},
      {"osszeg", false},
      {"egesz", false},
      {"szulido", false},
      {"rosszdat", false},
      {"flag", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    std::optional<NtxKeyRoutine> routine = NtxKeyRoutine::compile(c.key, *area().table());
    ASSERT_TRUE(routine.has_value());
    NtxKeyFunction key = ntx_key_function(areas, c.key);
    area().go_to(1);
    NtxKeyShape shape = ntx_key_shape(key());
    ASSERT_EQ(routine->type(), shape.type);
    ASSERT_EQ(routine->size(), shape.size);
    ASSERT_EQ(routine->decimals(), shape.decimals);
    std::string got(shape.size, '\0');
    uint32_t left = 0;
    for (uint32_t r = 1; r <= kRecords; ++r) {
      area().go_to(r);
      std::string want = collation::key_of(key(), shape.size, shape.decimals);
      if (!routine->run(area().record_bytes(), got.data())) {
        ++left;
        continue;
      }
      ASSERT_EQ(got, want) << "record " << r;
    }
    if (c.every_record) {
      EXPECT_EQ(left, 0u);
    }
    EXPECT_LT(left, kRecords / 2);  // the routine does take most records
  }
}

TEST_F(KeyRoutineTest, OtherShapesAreLeftToTheEvaluator) {
  for (const char* key :
       {"TRIM(nev)+vkod", "vkod+M->valami", "vkod+ismeretlen", "UPPER(osszeg)", "vkod+LEFT(nev,egesz)",
        "IIF(flag,vkod,nev)", "vkod+LOWER(nev)", "egesz+1", "t->vkod+nev", "vkod+SUBSTR(nev,1+1)",
        "PADR(nev,10,'x')", "STR(-egesz)", "DTOS(DATE())", "nev+nev+nev+nev+nev+nev+nev+nev+nev", "vkod+",
        "''"})
    EXPECT_FALSE(NtxKeyRoutine::compile(key, *area().table()).has_value()) << key;
}

// INDEX ON through the routine reads the table in two halves at once (from the file's
// pages when the table is held exclusively, in blocks when shared) and sorts with two
// threads; the file must be the one the evaluator's keys give, byte for byte, also where
// records of both halves are left to the evaluator (numbers too wide for STR()), and
// with a last record cut short (not a record of the table).
TEST_F(KeyRoutineTest, IndexOnWithTwoThreadsWritesTheEvaluatorsFile) {
  const uint32_t n = 19999;
  write_table(dir.file("big.dbf"), n + 1, 21);
  std::filesystem::resize_file(dir.file("big.dbf"), std::filesystem::file_size(dir.file("big.dbf")) - 30);
  const std::pair<const char*, OpenMode> cases[] = {
      {"vkod+HUNGORD(nev)", OpenMode::Exclusive}, {"vkod+HUNGORD(nev)", OpenMode::Shared},
      {"kod+vkod", OpenMode::Exclusive},          {"STR(osszeg)+vkod", OpenMode::Shared},
      {"osszeg", OpenMode::Exclusive},            {"DTOS(szulido)", OpenMode::Shared}};
  for (auto [key, mode] : cases) {
    SCOPED_TRACE(std::string(key) + (mode == OpenMode::Shared ? ", shared" : ", exclusive"));
    ASSERT_TRUE(areas.use(dir.file("big"), "", mode));
    ASSERT_EQ(area().lastrec(), n);
    NtxKeyFunction fn = ntx_key_function(areas, key);
    area().go_to(1);
    NtxKeyShape shape = ntx_key_shape(fn());
    NtxOptions two, one;
    two.build_threads = 2;
    one.build_threads = 1;
    NtxFile::create(dir.file("fast.ntx"), key, shape.size, shape.decimals,
                    gather_index_keys(area(), key, fn, shape, n, 2), two);
    EXPECT_EQ(area().recno(), n);
    NtxBuildInput slow(shape.size);
    for (uint32_t r = 1; r <= n; ++r) {
      area().go_to(r);
      slow.add(collation::key_of(fn(), shape.size, shape.decimals), r);
    }
    NtxFile::create(dir.file("slow.ntx"), key, shape.size, shape.decimals, std::move(slow), one);
    std::ifstream a(dir.file("fast.ntx"), std::ios::binary), b(dir.file("slow.ntx"), std::ios::binary);
    std::string fast(std::istreambuf_iterator<char>(a), {}), want(std::istreambuf_iterator<char>(b), {});
    ASSERT_EQ(fast.size(), want.size());
    EXPECT_TRUE(fast == want);
  }
}

}  // namespace
}  // namespace xbase
