#include "takeover/payroll_record.h"

#include "takeover/payroll_layout.h"
#include "xbase/functions.h"

namespace takeover {

double Record::num(std::string_view field) const {
  xbase::Value v = value(field);
  return v.is_num() ? v.as_num() : 0;
}

std::string Record::text(std::string_view field) const {
  xbase::Value v = value(field);
  return v.is_str() ? v.as_str() : std::string();
}

xbase::Date Record::date(std::string_view field) const {
  xbase::Value v = value(field);
  return v.is_date() ? v.as_date() : xbase::Date();
}

bool Record::blank(std::string_view field) const {
  if (!has(field)) return true;
  std::string s = text(field);
  return s.find_first_not_of(' ') == std::string::npos;
}

bool Record::member_blank(const payroll::SlotFamily& family, int n) const {
  return blank(payroll::member_field(family.code, n));
}

char Record::code(std::string_view field) const {
  std::string s = text(field);
  return s.empty() ? ' ' : s[0];
}

MemoryRecord::MemoryRecord(std::initializer_list<std::pair<const std::string, xbase::Value>> fields) {
  for (const auto& [name, v] : fields) set(name, v);
}

MemoryRecord& MemoryRecord::set(std::string_view field, xbase::Value v) {
  fields_[xbase::upper(field)] = std::move(v);
  return *this;
}

char MemoryRecord::type(std::string_view field) const {
  auto it = fields_.find(xbase::upper(field));
  if (it == fields_.end()) return 0;
  return static_cast<char>(it->second.type());
}

xbase::Value MemoryRecord::value(std::string_view field) const {
  auto it = fields_.find(xbase::upper(field));
  if (it == fields_.end()) throw MissingField(xbase::upper(field));
  return it->second;
}

std::vector<std::string> MemoryRecord::names() const {
  std::vector<std::string> out;
  for (const auto& [name, v] : fields_) out.push_back(name);
  return out;
}

}  // namespace takeover
