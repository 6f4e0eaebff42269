// The new records of a company taken over, checked as their forms check them
// (entry/record_checks.h): what the person form or the dependant form would refuse
// goes into the report after the person's other lines.
#pragma once

#include <string>
#include <vector>

#include "entry/record_checks.h"
#include "takeover/report.h"

namespace takeover {

class RecordFindings {
 public:
  // The year table and the dependants table the records of one company are built
  // for (the company's keys are counted from none).
  RecordFindings(shell::Context& ctx, xbase::WorkArea& year_table, xbase::WorkArea& dependants);

  // The findings of a built record (its bytes as the table stores them).
  void person(const std::string& record, std::vector<Finding>& out);
  void dependant(const std::string& record, std::vector<Finding>& out);

 private:
  void add(entry::TableKind kind, const entry::RecordValues& values,
           std::vector<entry::RecordFinding> found, std::vector<Finding>& out);

  entry::RecordValues person_values_, dependant_values_;
  const entry::RecordChecks person_checks_{entry::TableKind::Person};
  const entry::RecordChecks dependant_checks_{entry::TableKind::Dependant};
  entry::UniqueKeys keys_{entry::TableKind::Person};
};

}  // namespace takeover
