// Before anything of a company is replaced: are its payroll tables there, readable,
// with every field the run reads (the slot families as far as the wage table counts
// them), and are its index files sound or can they be built? A company that fails
// keeps its records; the text says what is missing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"
#include "xbase/dbf_format.h"

namespace takeover {

// The sizes of the code-slot families, counted on the wage table's structure: the
// greatest n from 10 (48 for the deductions) down to 1 for which the table has a
// text field code + n; 0 when none.
struct SlotCounts {
  int ktgdb = 0, levdb = 0, nemrdb = 0, tbelldb = 0;
};
SlotCounts count_slots(const xbase::Structure& wage_table);

struct CompanyCheck {
  std::vector<std::string> missing;  // e.g. "tagtb23.dbf hiányzik"; empty when sound
  SlotCounts counts;
  bool ok() const { return missing.empty(); }
  std::string text() const;  // the items joined with ", "
};

// Checks the company year directory `company_dir` under `payroll_dir` (both Linux
// paths). On the way it deletes the index files when "gond.baj" marks them unsound
// and builds the missing ones, as the payroll program's own index keys say.
// `member_records`: whether the member table is read (the company kind is not "2").
CompanyCheck check_company(shell::Context& ctx, const std::string& payroll_dir,
                           const std::string& company_dir, std::string_view ev,
                           bool member_records);

// Whether files can be created in `dir`.
bool dir_writable(const std::string& dir);

}  // namespace takeover
