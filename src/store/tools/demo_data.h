// Demonstration and test installations: the program directory "VIRDA" + year with
// the template directory and tables filled with realistic, deterministic data
// (companies, persons with Hungarian names, their dependants, amounts on every
// certificate row, identifiers with correct check digits) and their index files.
#pragma once

#include <cstdint>
#include <string>

#include "store/tables.h"

namespace store::demo {

struct Options {
  int persons = 2000;
  int companies = 0;    // 0: one per hundred persons, at least 1, at most 999
  int dependants = -1;  // -1: three for every four persons
  uint64_t seed = 1;
  bool indexes = true;  // build the index files of the index set
  std::string ev = std::string(kTaxYear);
};

struct Summary {
  std::string program_dir;  // DIR/VIRDA23
  int companies = 0;
  int persons = 0;  // year-table records
  int dependants = 0;
  int indexes = 0;  // index files built
};

// Builds DIR/"VIRDA" + ev. Existing tables there are replaced. Throws
// xbase::ErrorException or std::runtime_error on failure.
Summary generate_installation(const std::string& dir, const Options& opts);

}  // namespace store::demo
