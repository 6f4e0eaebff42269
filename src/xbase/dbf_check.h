// The check of a table file: what an administrator's "dbftool check", the restore
// of a backup and the batch mode ask before they trust a table.
//
//   structure: the table opens (its header is sound), its record length equals the
//              sum of its fields, and its header counts no more records than the
//              file holds (a cut file lost records);
//   records:   besides, every record has a deletion flag of " " or "*" and every
//              numeric, date and logical field holds such a value.
//
// The faults are the program's words for what is wrong, Hungarian CP852 lines (a
// field's bytes as they stand); whoever shows them converts them at its edge.
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
  std::vector<std::string> faults;  // one line each, at most `max_listed`
  std::vector<std::string> notes;   // what is odd but sound
  bool sound() const { return fault_count == 0; }
};

TableCheck check_table(std::string_view path, CheckDepth depth = CheckDepth::Records,
                       int max_listed = 1000);

// The check of an index file against its table, both only read: the tree is sound
// (pages, key order, leaves at one depth, the free list apart from the tree) and
// holds every record of the table, deleted ones too, once, under the key the
// record gives now (the key expression stored in the index file).
struct IndexCheck {
  bool opened = false;              // false: the first fault says why
  std::vector<std::string> faults;  // one line each, the first 50
  uint64_t keys = 0;
  uint64_t pages = 0;
  int depth = 0;
  bool sound() const { return opened && faults.empty(); }
};

IndexCheck check_index(std::string_view table, std::string_view index);

}  // namespace xbase
