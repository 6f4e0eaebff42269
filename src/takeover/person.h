// One person of a company taken over: their relationship records give the
// certificate relationship, the relationships read give the monthly amounts, the
// chosen one gives the personal data, and, for a relationship in force at the year
// end, the dependants. The result is the person's new year-table record and
// dependants records, still in memory.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "takeover/code_tables.h"
#include "takeover/conversions.h"
#include "takeover/payroll_record.h"
#include "takeover/run_state.h"
#include "takeover/year_record.h"
#include "xbase/value.h"

namespace takeover {

// A country of the payroll's country table.
struct Country {
  std::string name;  // ALLAMMEGN
  std::string iso;   // ISO3166
};

// The payroll tables of the company in work, as one person's takeover reads them.
class CompanyData {
 public:
  using Each = std::function<void(const Record&)>;
  virtual ~CompanyData() = default;
  virtual CodeTables& codes() = 0;
  // Every record of the monthly table whose key SZEMSZAM + FOGJEL + FOMENY is
  // `pofa`, in key order; deleted ones and, where the table marks them, old ones
  // left out.
  virtual void monthly(Monthly table, const std::string& pofa, const Each& each) = 0;
  // The same for the brought-forward table (no old-record filter).
  virtual void brought_forward(const std::string& pofa, const Each& each) = 0;
  // The greatest HONAP of the person's brought-forward records; "00" when none.
  virtual std::string brought_forward_month(const std::string& qpofa) = 0;
  // The dependants recorded under the supporting person's TAJ number.
  virtual void dependants(const std::string& taj, const Each& each) = 0;
  // Whether some dependant is recorded under a blank TAJ number.
  virtual bool blank_taj_dependants() = 0;
  // The country of a citizenship code, nullptr when the table has none.
  virtual const Country* country(const std::string& code) = 0;
};

// This program's record of the company in work.
struct CompanyInfo {
  std::string vkod;
  char vtipus = ' ';                   // VTIPUS: "2" has no member records
  bool pays_benefits = false;          // TBKIFHELY "I"
};

// Fields of a new record by name, in the order they were set.
using FieldValues = std::vector<std::pair<std::string, xbase::Value>>;

struct PersonResult {
  bool written = false;  // VANNEKI: the person gets a record
  YearRecord sums;
  FieldValues fields;                   // the personal data and the codes
  std::vector<FieldValues> dependants;  // new dependants records
  std::vector<std::string> notes;       // what could not be placed
  std::string szemszam, nev;            // for the findings
};

// One relationship record of the person: its record number and the record.
struct PersonRecord {
  uint32_t recno = 0;
  const Record* rec = nullptr;
};

// Takes one person over. `records`: the person's relationship records in key order.
// `on_record` is called for every relationship record (the progress line).
PersonResult take_person(RunState& st, CompanyData& data, const CompanyInfo& company,
                         const std::vector<PersonRecord>& records,
                         const std::function<void(const Record&)>& on_record = nullptr);

}  // namespace takeover
