// The fields of an M30 XML file, in the order they are written: the key looked up
// in the row table, the value's type and where the value comes from.
#pragma once

#include <string>
#include <vector>

namespace efile {

enum class ValueType { Text, Date, Number };

enum class Source {
  Person,       // a field of the person's year-table record (`name`)
  Company,      // a field of the company record (`name`); empty without one
  CompanyCity,  // company HELYSEG trimmed + " " + its street line; empty without one
  PersonCity,   // person HELYSEG trimmed + " " + the street line, cut to 80
  Previous,     // "I" when VANHOZOTT is "I", otherwise "N"
  Derived,      // an amount SZAMOL computed (`name`: KELOLEG, KELSOHAZ30, KGYERK30)
  ProcessingDate,  // MAINAP
};

enum class ZeroRule {
  Empty,         // a zero amount gives an empty element
  Written,       // zero is written as 0
  WhenMonthBase  // written when the month's contribution base (`base`) is not zero
};

struct XmlField {
  std::string key;  // CP852
  ValueType type = ValueType::Text;
  Source source = Source::Person;
  std::string name;  // the field or variable; upper case
  ZeroRule zero = ZeroRule::Empty;
  std::string base;  // WhenMonthBase: the month's CSJKA field
};

// Every field of the file, in order.
const std::vector<XmlField>& m30_fields();

}  // namespace efile
