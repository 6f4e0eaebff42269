// Writing whole records into a table file opened exclusively: set the fields of
// one record by name, append it, start the next. Used to fill new tables (the
// template directory, demonstration data) without work areas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_table.h"
#include "xbase/value.h"

namespace store {

class RecordWriter {
 public:
  explicit RecordWriter(xbase::DbfTable& table);

  // Sets a field of the pending record. Throws std::invalid_argument for an unknown
  // field and std::length_error for a value the field cannot hold (a number too wide,
  // a value of the wrong type); a text longer than the field is refused too, so that
  // nothing is cut without notice.
  void set(std::string_view field, const xbase::Value& v);
  void set(std::string_view field, std::string_view cp852);
  void set(std::string_view field, double number);
  void set(std::string_view field, xbase::Date d);

  // Appends the pending record and blanks it for the next one. Returns its number.
  uint32_t append();

 private:
  xbase::DbfTable& table_;
  std::string blank_;
  std::string rec_;
};

}  // namespace store
