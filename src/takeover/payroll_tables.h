// The payroll tables of one company opened for the takeover: the code tables, the
// relationship records, the dependants, the monthly tables and the country table,
// each exclusively (so the payroll program cannot change them meanwhile) and read
// only, with their index files. Records are read by field name through a name index
// made once per table.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "shell/context.h"
#include "takeover/person.h"
#include "takeover/table_layout.h"

namespace takeover {

// A record of an open table, copied out of its area.
class RowRecord : public Record {
 public:
  RowRecord(const TableLayout& layout, xbase::WorkArea& area);
  char type(std::string_view field) const override;
  xbase::Value value(std::string_view field) const override;
  std::vector<std::string> names() const override;
  bool blank(std::string_view field) const override;
  bool member_blank(const payroll::SlotFamily& family, int n) const override;

 private:
  bool blank_at(int pos) const;
  const TableLayout* layout_;
  std::string bytes_;
};

// EZREGIFILT: when the table has a text field EZREGI, only the records with an
// empty EZREGI are visible, and the area goes to the top.
void EZREGIFILT(xbase::WorkArea& area);

class PayrollCompany final : public CompanyData, public CodeTables {
 public:
  // `company_dir`: the company year directory; `payroll_dir`: the payroll directory
  // (for the country table). Both are Linux paths.
  PayrollCompany(shell::Context& ctx, std::string payroll_dir, std::string company_dir,
                 std::string ev);
  ~PayrollCompany() override;

  // Opens the tables with their index files (after the company check has found them
  // sound). False when one could not be opened; the error handler has reported it.
  bool open();
  void close();

  // The relationship records in key order, grouped by person (the first 10
  // characters of SZEMSZAM), and their number.
  struct Person {
    std::vector<std::unique_ptr<RowRecord>> rows;
    std::vector<uint32_t> recnos;
  };
  std::vector<Person> persons();

  CodeTables& codes() override { return *this; }
  void monthly(Monthly table, const std::string& pofa, const Each& each) override;
  void brought_forward(const std::string& pofa, const Each& each) override;
  std::string brought_forward_month(const std::string& qpofa) override;
  void dependants(const std::string& taj, const Each& each) override;
  bool blank_taj_dependants() override;
  const Country* country(const std::string& code) override;

  const IncomeType* income_type(std::string_view code) override;
  const CostCode* cost_code(std::string_view code) override;
  const DeductionCode* deduction(std::string_view code) override;
  const BenefitCode* benefit(std::string_view code) override;

 private:
  struct Open {
    xbase::WorkArea* area = nullptr;
    std::unique_ptr<TableLayout> layout;
  };
  bool open_table(Open& t, const std::string& dir, const std::string& file, const char* alias,
                  const std::vector<std::string>& indexes, bool old_filter);
  // Positions `t` on the first record whose key starts with `key`; false when none.
  bool seek(Open& t, const std::string& key);
  // Runs `each` over the records from the current one while their key
  // SZEMSZAM + FOGJEL + FOMENY is `pofa`.
  void run_of(Open& t, const std::string& pofa, const Each& each);
  template <class T, class Make>
  const T* cached(std::unordered_map<std::string, std::optional<T>>& cache, Open& t,
                  std::string_view code, Make make);

  shell::Context& ctx_;
  std::string payroll_dir_, dir_, ev_;
  Open nemrend_, ktgter_, levonas_, tbell_, alktb_, tagtb_, egyeb_, hozott_, ekartya_, tagalk_,
      orszag_;
  std::unordered_map<std::string, std::optional<IncomeType>> income_;
  std::unordered_map<std::string, std::optional<CostCode>> cost_;
  std::unordered_map<std::string, std::optional<DeductionCode>> deduction_;
  std::unordered_map<std::string, std::optional<BenefitCode>> benefit_;
  std::unordered_map<std::string, Country> countries_;
  std::optional<bool> blank_taj_;
};

}  // namespace takeover
