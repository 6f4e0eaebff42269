// SZAMOL: the amounts the M30 certificate and its XML file derive from a person's
// record — the income columns (revenue less cost) of the paired rows of section I,
// the consolidated tax base of row 22, the totals of the separately taxed incomes
// (rows 176 and 67) and copies of the withheld advance and two allowances.
//
// The inputs are the record buffer variables ("X" + field name) of the person loaded
// by BEOLV. Sums run in 64-bit integers: row 22 reaches 2,799,999,990 and row 176
// 13,999,999,995, beyond 32 bits. Nothing is rounded and nothing is stored.
#pragma once

#include <cstdint>

#include "xbase/vars.h"

namespace certs {

struct DerivedAmounts {
  int64_t KMVKTGJOV = 0;   // row 2 (d): cost reimbursement connected with employment
  int64_t KKULSZOLG = 0;   // row 3 (d): service abroad
  int64_t KKTGJOV = 0;     // row 6 (d): cost reimbursement of other activity
  int64_t KONALLJOV = 0;   // row 7 (d): independent activity
  int64_t KINGBERJOV = 0;  // row 8 (d): letting of real estate (part of row 7)
  int64_t KEGYEBJOGC = 0;  // row 18 (d): other titles
  int64_t KKULFEJOV = 0;   // row 20 (d): taxed abroad under a treaty
  int64_t KKULFHJOV = 0;   // row 21 (d): taxed abroad without a treaty
  int64_t KOSSZJOV = 0;    // row 22: consolidated tax base
  int64_t KELOLEG = 0;     // row 65: tax advance withheld
  int64_t KKULALAP = 0;    // row 176: bases of the separately taxed incomes
  int64_t KKULJOVLEV = 0;  // row 67: source tax withheld in total
  int64_t KELSOHAZ30 = 0;  // row 611: first-marriage allowance used for the advance
  int64_t KGYERK30 = 0;    // row 612: family allowance used for the advance
};

// Computes the amounts from the buffer variables in `vars` (a missing or non-numeric
// variable counts as 0).
DerivedAmounts compute_derived_amounts(const xbase::Variables& vars);

// SZAMOL: computes the amounts and leaves all fourteen in public variables of their
// names (created by the first call, overwritten by every later one). Returns them.
DerivedAmounts SZAMOL(xbase::Variables& vars);

}  // namespace certs
