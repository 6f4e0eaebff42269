// Helpers of the table engine tests: a scratch directory and small tables.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "xbase/dbf_format.h"

namespace xbase::testing {

// A fresh directory under the build tree, removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string base = std::filesystem::temp_directory_path().string() + "/dbftest-XXXXXX";
    path_ = ::mkdtemp(base.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The small person table: vkod C3, nev C20, osszeg N8.2, szulido D, flag L.
inline Structure person_structure() {
  return {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}, {"OSSZEG", 'N', 8, 2},
          {"SZULIDO", 'D', 8, 0}, {"FLAG", 'L', 1, 0}};
}

}  // namespace xbase::testing
