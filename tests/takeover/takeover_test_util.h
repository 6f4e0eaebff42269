// What the takeover's rule tests share: code tables and company data held in
// memory, and the work on one monthly record.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "takeover/conversions.h"
#include "takeover/person.h"

namespace takeover::testing {

class MemoryCodes : public CodeTables {
 public:
  std::map<std::string, IncomeType> income;
  std::map<std::string, CostCode> cost;
  std::map<std::string, DeductionCode> deductions;
  std::map<std::string, BenefitCode> benefits;

  template <class T>
  static const T* find(const std::map<std::string, T>& m, std::string_view code) {
    auto it = m.find(std::string(code));
    return it == m.end() ? nullptr : &it->second;
  }
  const IncomeType* income_type(std::string_view c) override { return find(income, c); }
  const CostCode* cost_code(std::string_view c) override { return find(cost, c); }
  const DeductionCode* deduction(std::string_view c) override { return find(deductions, c); }
  const BenefitCode* benefit(std::string_view c) override { return find(benefits, c); }
};

// One monthly record and what it works on: the relationship in work is the chosen
// one unless the test says otherwise.
struct Bench {
  RunState st;
  YearRecord rec;
  MemoryCodes codes;
  MemoryRecord rel{{"FOGJEL", xbase::Value::str("1")},   {"EGTEKHO", xbase::Value::str(" ")},
                   {"OSZTFOGL", xbase::Value::str(" ")}, {"KULFDOLG", xbase::Value::str(" ")},
                   {"NYENYALK", xbase::Value::str(" ")}, {"ELSOHAZFT", xbase::Value::num(0)}};
  bool pays_benefits = false;
  std::vector<std::string> notes;

  Bench() {
    st.aktrek = 1;
    st.pofa_recno = 1;
    st.bhozhonap = true;
  }
  Work work(Monthly table, const Record& m) {
    return Work{st, rec, codes, rel, pays_benefits, table, m, &notes};
  }
};

// A monthly record of month `honap` with every amount the tables name at 0.
inline MemoryRecord month_record(const char* honap = "03") {
  MemoryRecord m;
  m.set("HONAP", honap).set("FOGJEL", "1");
  for (const char* n : {"JOVED", "SZJA", "FORRADO", "SZJAALAP", "NEGYGYKE", "HUSZON5KE",
                        "HARMINCKE", "ELSOHAZMX", "ELSOHAZKE", "GYEREK", "KEDVGYER", "FOGYGYER",
                        "FOGYATEK", "GYERKEDV", "MUNKABER", "BETEGBER", "OSZTONDIJ", "EKHOMBER",
                        "EKHONYJ", "EKHOTGD", "EKHOTBJ", "EKHOTEB", "EKHOSZJA", "JOVEDALAP",
                        "EOSZTELOA", "TOSZTELOA", "TOSZTELO", "EUH14ALAP", "EUH14SZAZ", "NYJALAP",
                        "CSJKET", "CSJKEP", "CSJKNY", "UTBJALAP", "CSJKUTBJ", "UNYJALAP",
                        "CSJKUNYJ", "UTBJAR", "UNYJAR"})
    m.set(n, 0.0);
  m.set("KTGKOD", "   ").set("ALAPKEZI", " ");
  return m;
}

}  // namespace takeover::testing
