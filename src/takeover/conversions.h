// The code conversions: the payroll program keeps most amounts of a monthly record
// under codes of its own (income types, cost and other-payment codes, deductions,
// social-security benefits), each code with an amount in a numbered group of fields.
// These functions turn them into sums of the person's year-table record, for the
// monthly record the run is reading, together with the small rules the run applies
// to each record: the gated add, the family allowance, the monthly family
// contribution allowance figures, the filter of old records and the address copy.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "takeover/code_tables.h"
#include "takeover/payroll_record.h"
#include "takeover/run_state.h"
#include "takeover/year_record.h"

namespace xbase {
class WorkArea;
}

namespace takeover {

// Which monthly table the record comes from.
enum class Monthly { Member, Wage, Other };  // tagtb, alktb, egyeb

// What the conversions of one monthly record work on.
struct Work {
  RunState& state;
  YearRecord& rec;
  CodeTables& codes;
  const Record& relationship;  // the relationship record in work (tagalk)
  bool company_pays_benefits;  // this program's company record has TBKIFHELY "I"
  Monthly table;
  const Record& monthly;  // the record being read
  // What could not be placed (an unknown code with an amount), one text each.
  std::vector<std::string>* notes = nullptr;
};

// SZ_UTBJ, the contribution rate of the family contribution allowance (0.185), in
// thousandths.
inline constexpr long long kSzUtbjThousandths = 185;
// KELSOHAZ, the monthly first-marriage allowance.
inline constexpr double kKelsohaz = 33335;

// HZ: rec[target] += amount when the month gate holds for the record read.
void HZ(Work& w, Sum target, double amount);

// NRADLAPSOR / ADLAPSOR: whether a row list ("4", "2,8", "18; 20", "165") names the
// requested row ("18."). The list is split at its first comma, else its first
// semicolon, else its first blank; each side, trimmed and followed by ".", is
// compared with the row in full. A third number is never named.
bool names_row(std::string_view list, std::string_view row);

// NEMREND: the income-type family of a wage record.
void NEMREND(Work& w);
// TBELLAT: the benefit family, when the company pays benefits itself.
void TBELLAT(Work& w);
// KTGTER: the cost-code family. Returns 0.
int KTGTER(Work& w);
// KTGBERAK(code, total, taxable part, tax withheld, relief tax): one cost or
// other-payment code. False only when the code's record has neither a row list nor
// the EKHO kind; an unknown code answers true and adds nothing.
bool KTGBERAK(Work& w, std::string_view code, double total, double base, double tax = 0,
              double relief = 0);
// LEVON: the deduction family: the trade-union fee of row 55. Returns 0.
int LEVON(Work& w);
// CSJKATVESZ: the record's figures of the family contribution allowance, into its
// month.
void CSJKATVESZ(Work& w);
// GYERKEDV(children, beneficiaries, disabled, given): the month's family allowance
// base.
double GYERKEDV(double children, double beneficiaries, double disabled = 0, double given = 0);

// amount × SZ_UTBJ rounded to a whole number, half away from zero, on the exact
// decimal product (never on a binary double): 300100 gives 55519.
double times_sz_utbj(double amount);

// The allowance block of a monthly record (the family allowances, the disability
// allowance, the first marriage), `with_harmincke` false for other payments.
void allowance_block(Work& w, bool with_harmincke);

// The monthly records of one relationship (tagtb, alktb, egyeb); `hozott` records
// have no conversions and are summed by take_brought_forward.
void take_member_record(Work& w);
void take_wage_record(Work& w);
void take_other_payment(Work& w);
void take_brought_forward(RunState& st, YearRecord& rec, const Record& hozott);

// The address groups a picked company takes from the payroll company: pairs of
// (payroll suffix, our suffix), applied in order. VTIPUS "2" or "5" with a mailing
// address swaps the groups; without one both get the seat; other kinds without one
// get the seat as the mailing address; other kinds with one keep theirs.
std::vector<std::pair<std::string, std::string>> address_copies(char vtipus, char vanlevcim);
// CIMATVESZ(from, to): the nine address fields with suffix `from` of the payroll
// company into the fields with suffix `to` of the company record in `company`.
void CIMATVESZ(const Record& payroll_company, xbase::WorkArea& company, std::string_view from,
               std::string_view to);

// The text of an amount in a finding: a whole number, or with its decimals.
std::string amount_text(double v);

}  // namespace takeover
