// The new year-table and dependants records of a company, built in memory as whole
// records before anything of the company is replaced. Each field is stored as the
// record buffer stores it: a text is cut to its field, and a number that its field
// cannot show is refused: the field stays empty (blanks) and the refusal is
// reported.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "takeover/person.h"
#include "takeover/table_layout.h"

namespace takeover {

// A number a field refused: its field and value.
struct Refused {
  std::string field;
  double value = 0;
};

class RecordBuilder {
 public:
  // The fields of the table open in `area`.
  explicit RecordBuilder(xbase::WorkArea& area);

  // A new record. `zero`: every field holds its blank value (spaces, 0, the empty
  // date, false), as a record stored from blanked buffer variables does; else
  // every field is blanks, as an appended blank record.
  void start(bool zero);
  int pos(std::string_view name) const { return layout_.pos(name); }
  // Stores a value into field `pos` (-1: nothing). False when the value was refused:
  // a number of more integer digits than the field shows (a minus sign counted);
  // the field is then left blank.
  bool put(int pos, const xbase::Value& v);
  const std::string& record() const { return rec_; }
  const TableLayout& layout() const { return layout_; }

 private:
  TableLayout layout_;
  std::string blank_;  // spaces
  std::string zero_;   // every field blank, numbers 0
  std::string rec_;
};

// Builds the year-table records of persons.
class YearRecords {
 public:
  explicit YearRecords(xbase::WorkArea& year_table);
  // The person's record; `refused` is called for every number refused.
  const std::string& build(const PersonResult& p,
                           const std::function<void(const Refused&)>& refused);

 private:
  RecordBuilder b_;
  std::array<int, kSumCount> sums_;
  std::array<std::array<int, 12>, 4> csjk_;
  std::array<int, 12> elsohh_;
  int elsohnyil_, vanhozott_;
};

// A dependants record.
const std::string& dependant_record(RecordBuilder& b, const FieldValues& d,
                                    const std::function<void(const Refused&)>& refused);

}  // namespace takeover
