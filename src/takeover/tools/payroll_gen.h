// Test data for the takeover: a payroll program's installation written with exactly
// the tables, fields, types and index keys the takeover reads (takeover/
// payroll_layout.h), from a seed; the same seed gives the same bytes.
//
// It holds a company of hand-made persons ("001"), each made to exercise one rule of
// the takeover; a few small companies of particular shapes ("002" to "005"); and
// `companies` bulk companies from "010" on, sharing `persons` seeded persons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/date.h"
#include "xbase/dbf_format.h"
#include "xbase/value.h"

namespace takeover::gen {

struct Options {
  int companies = 3;  // bulk companies
  int persons = 60;   // bulk persons, spread over the bulk companies
  uint64_t seed = 1;
  std::string ev = "23";
};

struct Summary {
  int companies = 0;      // payroll company records
  int persons = 0;        // persons with relationship records
  int relationships = 0;  // relationship records
  int monthly = 0;        // monthly records
  int dependants = 0;     // dependants records
};

// Writes the installation into `dir` (created when missing; tables there replaced).
Summary generate_payroll(const std::string& dir, const Options& opts);

// --- Building blocks, shared by the hand-made and the seeded companies ---

// A field's value for a record being written.
struct F {
  std::string name;
  xbase::Value v;
  F(std::string n, const char* s) : name(std::move(n)), v(xbase::Value::str(s)) {}
  F(std::string n, std::string s) : name(std::move(n)), v(xbase::Value::str(std::move(s))) {}
  F(std::string n, std::string_view s) : name(std::move(n)), v(xbase::Value::str(std::string(s))) {}
  F(std::string n, double d) : name(std::move(n)), v(xbase::Value::num(d)) {}
  F(std::string n, int d) : name(std::move(n)), v(xbase::Value::num(d)) {}
  F(std::string n, xbase::Date d) : name(std::move(n)), v(xbase::Value::date(d)) {}
};
using Fields = std::vector<F>;

// The shape of a company's tables.
struct Shape {
  std::string vkod;
  char vtipus = '1';
  bool mailing = true;        // VANLEVCIM "I"
  bool pays_benefits = false;  // TBKIFHELY "I"
  int members = 9;            // members of the one-digit families; deductions 48 (0: none)
  int tax_members = 0;        // members of the cost codes that have KTGSZJA
  char ezregi = 0;            // EZREGI: 'C' text, 'N' number, 0 none
  char gyerek = 0;            // GYEREK of the other payments: 'N', 'C', 0 none
  bool corrections = false;   // CUTBJALAP, CUTBJAR, FELSZDIJ in the wage table
  enum class Indexes { Sound, None, StaleUnderGondBaj } indexes = Indexes::Sound;
  bool upper_case = false;    // file names (and persons' names) in capitals
  bool wage_table = true;     // "alktb" + year
};

class CompanyOut;

// The hand-made company "001" (see hand_company.cpp).
void write_hand_company(CompanyOut& c);

}  // namespace takeover::gen
