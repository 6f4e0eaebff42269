#include "takeover/table_layout.h"

#include "xbase/dbf_table.h"
#include "xbase/functions.h"

namespace takeover {

TableLayout::TableLayout(xbase::WorkArea& area)
    : fields_(area.structure()), record_length_(area.table()->record_length()) {
  for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
    offsets_.push_back(area.table()->field_offset(i));
    by_name_.emplace(fields_[static_cast<size_t>(i)].name, i);
  }
}

int TableLayout::pos(std::string_view name) const {
  auto it = by_name_.find(name);
  if (it != by_name_.end()) return it->second;
  bool lower = false;
  for (char c : name) lower = lower || (c >= 'a' && c <= 'z');
  if (!lower) return -1;
  it = by_name_.find(xbase::upper(name));
  return it == by_name_.end() ? -1 : it->second;
}

int TableLayout::member_code_pos(const payroll::SlotFamily& family, int n) const {
  std::vector<int>& v = members_[&family];
  if (v.empty())
    for (int m = 0; m <= family.max_members + 1; ++m)
      v.push_back(m == 0 ? -1 : pos(payroll::member_field(family.code, m)));
  if (n < 0 || n >= static_cast<int>(v.size())) return pos(payroll::member_field(family.code, n));
  return v[static_cast<size_t>(n)];
}

}  // namespace takeover
