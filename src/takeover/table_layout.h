// The fields of an open table by name: positions, types and offsets inside a
// record, found through a hash of the names made once per table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "takeover/payroll_layout.h"
#include "xbase/dbf_format.h"
#include "xbase/workarea.h"

namespace takeover {

// The fields of an open table: positions by name, types, offsets.
class TableLayout {
 public:
  explicit TableLayout(xbase::WorkArea& area);
  int pos(std::string_view name) const;  // -1 when there is none
  const xbase::FieldDef& field(int pos) const { return fields_[static_cast<size_t>(pos)]; }
  uint32_t offset(int pos) const { return offsets_[static_cast<size_t>(pos)]; }
  const xbase::Structure& fields() const { return fields_; }
  uint32_t record_length() const { return record_length_; }
  // The position of the code field of member n of a family, -1 when there is none;
  // found once per family.
  int member_code_pos(const payroll::SlotFamily& family, int n) const;

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  xbase::Structure fields_;
  std::vector<uint32_t> offsets_;
  uint32_t record_length_ = 0;
  std::unordered_map<std::string, int, Hash, std::equal_to<>> by_name_;
  mutable std::unordered_map<const payroll::SlotFamily*, std::vector<int>> members_;
};

}  // namespace takeover
