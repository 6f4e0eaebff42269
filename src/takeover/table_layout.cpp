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
  it = by_name_.find(xbase::upper(name));
  return it == by_name_.end() ? -1 : it->second;
}

}  // namespace takeover
