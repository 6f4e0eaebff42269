// Helpers for the NTX tests: a scratch directory and whole-index walks.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "xbase/ntx_file.h"

namespace xbase::ntx_test {

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/ntx_test_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string file(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

using Entries = std::vector<std::pair<std::string, uint32_t>>;

// Every (key, recno) in key order, by the cursor.
inline Entries walk(NtxFile& f) {
  Entries out;
  for (bool ok = f.go_top(); ok; ok = f.next()) out.emplace_back(f.key(), f.recno());
  return out;
}

inline Entries walk_back(NtxFile& f) {
  Entries out;
  for (bool ok = f.go_bottom(); ok; ok = f.prev()) out.emplace_back(f.key(), f.recno());
  return out;
}

inline std::unique_ptr<NtxFile> build(const std::string& path, std::size_t key_size,
                                      const Entries& entries, NtxOptions opts = {},
                                      const std::string& expr = "KEY") {
  NtxBuildInput in(key_size);
  for (const auto& [k, r] : entries) in.add(k, r);
  return NtxFile::create(path, expr, key_size, 0, std::move(in), opts);
}

}  // namespace xbase::ntx_test
