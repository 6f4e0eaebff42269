#include "takeover/record_findings.h"

namespace takeover {

RecordFindings::RecordFindings(shell::Context& ctx, xbase::WorkArea& year_table,
                               xbase::WorkArea& dependants)
    : person_values_(ctx, year_table), dependant_values_(ctx, dependants) {}

void RecordFindings::person(const std::string& record, std::vector<Finding>& out) {
  person_values_.set_record(record.data());
  std::vector<entry::RecordFinding> found = person_checks_.check(person_values_);
  if (std::optional<entry::RecordFinding> dup = keys_.add(person_values_)) found.push_back(*dup);
  add(entry::TableKind::Person, person_values_, std::move(found), out);
}

void RecordFindings::dependant(const std::string& record, std::vector<Finding>& out) {
  dependant_values_.set_record(record.data());
  add(entry::TableKind::Dependant, dependant_values_, dependant_checks_.check(dependant_values_),
      out);
}

void RecordFindings::add(entry::TableKind kind, const entry::RecordValues& values,
                         std::vector<entry::RecordFinding> found, std::vector<Finding>& out) {
  if (found.empty()) return;
  const entry::RecordLabel l = entry::record_label(kind, values);
  for (const entry::RecordFinding& f : found)
    out.push_back({l.vkod, l.szemszam, l.nev, entry::finding_text(f)});
}

}  // namespace takeover
