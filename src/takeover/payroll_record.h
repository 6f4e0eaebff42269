// One record of a payroll table as the takeover reads it: fields by name, with the
// table's own types. The run reads records of open tables through it; the tests hand
// the conversions records made in memory.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/date.h"
#include "xbase/value.h"

namespace takeover {

namespace payroll {
struct SlotFamily;
}

// A field the run needs is not in the table. The company check finds these before
// anything is changed, so this only guards against a check that missed one.
class MissingField : public std::runtime_error {
 public:
  explicit MissingField(const std::string& field)
      : std::runtime_error("missing field " + field), field_(field) {}
  const std::string& field() const { return field_; }

 private:
  std::string field_;
};

class Record {
 public:
  virtual ~Record() = default;
  // The field's type letter ('C', 'N', 'D', 'L'), 0 when the table has no such field.
  virtual char type(std::string_view field) const = 0;
  // The field's value; MissingField when the table has no such field.
  virtual xbase::Value value(std::string_view field) const = 0;
  // Every field's name, in the table's order.
  virtual std::vector<std::string> names() const = 0;

  // Whether a text field holds only blanks (also a field the table lacks).
  virtual bool blank(std::string_view field) const;
  // Whether the code of member n of a code-slot family is blank: most are, and the
  // conversions ask it of every member of every monthly record.
  virtual bool member_blank(const payroll::SlotFamily& family, int n) const;

  bool has(std::string_view field) const { return type(field) != 0; }
  bool numeric(std::string_view field) const { return type(field) == 'N'; }
  // A number field (0 when it holds text).
  double num(std::string_view field) const;
  // A text field as stored, with its trailing blanks.
  std::string text(std::string_view field) const;
  xbase::Date date(std::string_view field) const;
  // The first character of a one-character code, ' ' when blank.
  char code(std::string_view field) const;
};

// A record held in memory: the fields given, of the types of their values.
class MemoryRecord : public Record {
 public:
  MemoryRecord() = default;
  MemoryRecord(std::initializer_list<std::pair<const std::string, xbase::Value>> fields);
  MemoryRecord& set(std::string_view field, xbase::Value v);
  MemoryRecord& set(std::string_view field, double n) { return set(field, xbase::Value::num(n)); }
  MemoryRecord& set(std::string_view field, const char* s) {
    return set(field, xbase::Value::str(s));
  }
  MemoryRecord& set(std::string_view field, std::string_view s) {
    return set(field, xbase::Value::str(std::string(s)));
  }
  char type(std::string_view field) const override;
  xbase::Value value(std::string_view field) const override;
  std::vector<std::string> names() const override;

 private:
  std::map<std::string, xbase::Value, std::less<>> fields_;
};

}  // namespace takeover
