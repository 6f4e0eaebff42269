#include "store/record_writer.h"

#include <stdexcept>

#include "xbase/dbf_format.h"

namespace store {

RecordWriter::RecordWriter(xbase::DbfTable& table) : table_(table) {
  blank_.assign(table.record_length(), ' ');
  const auto& fields = table.fields();
  for (size_t i = 0; i < fields.size(); ++i)
    xbase::encode_field(fields[i], xbase::blank_value(fields[i]),
                        blank_.data() + table.field_offset(static_cast<int>(i)));
  rec_ = blank_;
}

void RecordWriter::set(std::string_view field, const xbase::Value& v) {
  const int i = table_.field_index(field);
  if (i < 0) throw std::invalid_argument("no field " + std::string(field));
  const xbase::FieldDef& def = table_.fields()[static_cast<size_t>(i)];
  if (v.is_str() && static_cast<int>(v.as_str().size()) > def.width)
    throw std::length_error("text too long for " + def.name + ": " + v.as_str());
  if (xbase::encode_field(def, v, rec_.data() + table_.field_offset(i)) !=
      xbase::EncodeResult::Ok)
    throw std::length_error("value does not fit " + def.name);
}

void RecordWriter::set(std::string_view field, std::string_view cp852) {
  set(field, xbase::Value::str(std::string(cp852)));
}

void RecordWriter::set(std::string_view field, double number) {
  set(field, xbase::Value::num(number));
}

void RecordWriter::set(std::string_view field, xbase::Date d) {
  set(field, xbase::Value::date(d));
}

uint32_t RecordWriter::append() {
  const uint32_t n = table_.append_record(rec_.data());
  rec_ = blank_;
  return n;
}

}  // namespace store
