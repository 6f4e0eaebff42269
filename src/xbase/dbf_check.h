// The check of a table file: what an administrator's "dbftool check", the restore
// of a backup and the batch mode ask before they trust a table.
//
//   structure: the table opens (its header is sound), its record length equals the
//              sum of its fields, and its header counts no more records than the
//              file holds (a cut file lost records);
//   records:   besides, every record has a deletion flag of " " or "*" and every
//              numeric, date and logical field holds such a value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

enum class CheckDepth { Structure, Records };

struct TableCheck {
  bool opened = false;              // false: the first fault says why
  uint32_t records = 0;             // the records the file holds
  int fault_count = 0;              // every fault found, also those not listed
  std::vector<std::string> faults;  // one line each (UTF-8), at most `max_listed`
  std::vector<std::string> notes;   // what is odd but sound
  bool sound() const { return fault_count == 0; }
};

TableCheck check_table(std::string_view path, CheckDepth depth = CheckDepth::Records,
                       int max_listed = 1000);

}  // namespace xbase
