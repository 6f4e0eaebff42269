// The program's index keys over generated tables of the program's structures: each is
// made straight from the record bytes (no key of the index set is left to the evaluator
// as a whole) and gives the evaluator's key bytes for every record.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "store/tables.h"
#include "xbase/collation.h"
#include "xbase/dbf_format.h"
#include "xbase/hutext.h"
#include "xbase/ntx_key_routine.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace {

using xbase::FieldDef;

// Contents as the forms and the takeover write them, names in mixed case with accents.
std::string field_bytes(const FieldDef& f, std::mt19937& rng) {
  static const std::string letters =
      std::string("ABCDEGKLMNOPRSTVZabcdeghiklmnoprstuvyz -.'") + std::string(HU("ÁÉÍÓÖŐÚÜŰáéíóöőúüű"));
  std::string s;
  switch (f.type) {
    case 'N': {
      char buf[64];
      double v = static_cast<double>(static_cast<int>(rng() % 2000001) - 1000000) / (f.decimals ? 100.0 : 1.0);
      if (!xbase::format_number(v, f.width, f.decimals, buf)) return std::string(static_cast<std::size_t>(f.width), ' ');
      return std::string(buf, static_cast<std::size_t>(f.width));
    }
    case 'D': return rng() % 5 == 0 ? std::string(8, ' ') : std::to_string(19400101 + rng() % 800000);
    case 'L': return rng() % 2 ? "T" : "F";
    default:
      for (int i = 0, n = static_cast<int>(rng() % static_cast<unsigned>(f.width + 1)); i < n; ++i)
        s += f.name == "SZEMSZAM" || f.name == "VKOD" ? static_cast<char>('0' + rng() % 10)
                                                      : letters[rng() % letters.size()];
      s.resize(static_cast<std::size_t>(f.width), ' ');
      return s;
  }
}

TEST(IndexKeys, EveryProgramKeyIsMadeFromRecordBytesAsTheEvaluatorMakesIt) {
  std::string dir = std::filesystem::temp_directory_path().string() + "/index-keys-XXXXXX";
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  std::mt19937 rng(2023);
  int keys = 0;
  for (const store::TableDef& t : store::program_tables()) {
    if (t.indexes.empty()) continue;
    const std::string path = dir + "/" + t.file + ".dbf";
    constexpr uint32_t kRecords = 500;
    {
      std::ofstream out(path, std::ios::binary);
      out << xbase::build_dbf_header(t.fields, kRecords, 2023, 1, 1);
      for (uint32_t r = 0; r < kRecords; ++r) {
        out << (r % 7 == 0 ? '*' : ' ');
        for (const FieldDef& f : t.fields) out << field_bytes(f, rng);
      }
    }
    xbase::WorkAreas areas;
    ASSERT_TRUE(areas.use(path));
    xbase::WorkArea& area = areas.current();
    for (const store::IndexDef& ix : t.indexes) {
      SCOPED_TRACE(t.file + ": " + ix.key);
      ++keys;
      auto routine = xbase::NtxKeyRoutine::compile(ix.key, *area.table());
      ASSERT_TRUE(routine.has_value());
      xbase::NtxKeyFunction key = xbase::ntx_key_function(areas, ix.key);
      area.go_to(1);
      xbase::NtxKeyShape shape = xbase::ntx_key_shape(key());
      ASSERT_EQ(routine->size(), shape.size);
      ASSERT_EQ(routine->type(), shape.type);
      std::string got(shape.size, '\0');
      for (uint32_t r = 1; r <= kRecords; ++r) {
        area.go_to(r);
        ASSERT_TRUE(routine->run(area.record_bytes(), got.data())) << "record " << r;
        ASSERT_EQ(got, xbase::collation::key_of(key(), shape.size, shape.decimals)) << "record " << r;
      }
    }
  }
  EXPECT_EQ(keys, 4);  // vallal, eltar, virda and virda2
  std::filesystem::remove_all(dir);
}

}  // namespace
