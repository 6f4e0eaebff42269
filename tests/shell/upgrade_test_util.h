// What the upgrade and reindex tests share: a small year table with its two index
// files, and the check that an index file matches its table record for record.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "shell/reindex.h"
#include "shell/shell_test_util.h"
#include "shell/upgrade.h"
#include "xbase/ntx_order.h"

namespace shell::testing {

inline const xbase::Structure kYearFields = {
    {"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}, {"NYILAT", 'C', 1, 0},
    {"NEV", 'C', 30, 0}, {"OSZT16", 'N', 8, 0}};

// "virda23" with `n` persons; those whose number is in `deleted` are marked deleted.
inline void make_year_table(Station& s, int n, const std::vector<int>& deleted = {}) {
  ASSERT_TRUE(s.areas.create(s.file("virda23.dbf"), kYearFields));
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Exclusive));
  xbase::WorkArea& a = s.areas.current();
  for (int i = 1; i <= n; ++i) {
    ASSERT_TRUE(a.append_blank());
    a.put("VKOD", xbase::Value::str(std::to_string(100 + i % 3)));
    a.put("SZEMSZAM", xbase::Value::str(std::to_string(8000000000LL + i)));
    a.put("NYILAT", xbase::Value::str(i % 2 ? "M" : "K"));
    a.put("NEV", xbase::Value::str("SZEMELY " + std::to_string(n + 1 - i)));
    a.put("OSZT16", xbase::Value::num(12345600 + i, 8, 0));
    for (int d : deleted)
      if (d == i) a.delete_record();
  }
  s.areas.close_area();
}

// Every record (deleted ones too) is in the index under the key its record gives.
inline ::testing::AssertionResult index_matches(Station& s, const std::string& table,
                                                const std::string& index) {
  xbase::WorkAreas areas;
  if (!areas.use(s.file(table), "", xbase::OpenMode::Shared, true))
    return ::testing::AssertionFailure() << table << " does not open";
  xbase::WorkArea& area = areas.current();
  std::string path = s.file(index);
  auto order =
      xbase::NtxOrder::open(area, path, xbase::ntx_key_function(areas, xbase::NtxOrder::stored_key(path)));
  uint32_t n = area.lastrec();
  std::vector<std::string> keys(n + 1u);
  for (uint32_t r = 1; r <= n; ++r) {
    area.go_to(r);
    keys[r] = order->current_key();
  }
  xbase::NtxCheckResult res = order->file().check(n, [&](uint32_t r) -> std::optional<std::string> {
    return r <= n ? std::optional<std::string>(keys[r]) : std::nullopt;
  });
  if (!res.ok()) return ::testing::AssertionFailure() << index << ": " << res.faults.front();
  return ::testing::AssertionSuccess();
}

inline bool exists(Station& s, const std::string& name) {
  struct stat st;
  return ::stat(s.file(name).c_str(), &st) == 0;
}

// Inode and change time: whether a file was rewritten or replaced.
inline std::string file_stamp(Station& s, const std::string& name) {
  struct stat st;
  if (::stat(s.file(name).c_str(), &st) != 0) return "missing";
  return std::to_string(st.st_ino) + "/" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + "/" + std::to_string(st.st_size);
}

// A new field with the value every record gets (built here rather than in a braced
// list, where g++ 12 sees the value's text as maybe uninitialised).
inline NewField filled(xbase::FieldDef def, xbase::Value value) {
  NewField f;
  f.def = std::move(def);
  f.value = std::move(value);
  return f;
}

}  // namespace shell::testing
