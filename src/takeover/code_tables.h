// The payroll program's code tables as the conversions look codes up in them: each
// code's record names the certificate rows its amounts belong to. A lookup takes the
// code as the monthly record stores it and gives the code's record, or nothing when
// the table has no such code.
#pragma once

#include <string>
#include <string_view>

namespace takeover {

struct IncomeType {   // nemrend
  std::string rows;   // ADLAPSOR3
  char kind = ' ';    // NEMRJELL
};

struct CostCode {     // ktgter
  char osszevon = ' ';  // OSSZEVON: "6" an EKHO payment
  std::string rows;     // ADLAPSOR
  char euh14kot = ' ';  // EUH14KOT: "I" also counts in SZCTV5
};

struct DeductionCode {  // levonas
  std::string rows;     // ADLAPSOR2
};

struct BenefitCode {  // tbell
  char ellado = ' ';  // ELLADO: only "1" is counted
};

class CodeTables {
 public:
  virtual ~CodeTables() = default;
  virtual const IncomeType* income_type(std::string_view code) = 0;
  virtual const CostCode* cost_code(std::string_view code) = 0;
  virtual const DeductionCode* deduction(std::string_view code) = 0;
  virtual const BenefitCode* benefit(std::string_view code) = 0;
};

}  // namespace takeover
