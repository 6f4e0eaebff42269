// The payroll program's installation as the takeover reads it: the directory tree,
// the tables with the fields the run relies on, their index files and keys, and the
// code-slot families of the monthly records. The run checks a company against this
// before it touches anything of it, and the test-data generator writes exactly this.
//
// Payroll directory
//   vallal.dbf                 companies
//   orszag.dbf                 countries (citizenship codes)
//   <code>.<yy>/               one company's year, e.g. "001.23"
//     gond.baj                 the payroll program's index files here are not sound
//     nemrend ktgter levonas tbell     code tables
//     tagalk                   one record per person and legal relationship
//     ekartya                  the persons' dependants
//     tagtb<yy> alktb<yy> egyeb<yy> hozot<yy>   monthly tables of the year
// Every table has its index files beside it; names are found ignoring case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace takeover::payroll {

// A field the run reads. The width is what the test-data generator writes; the run
// looks only at the name and the type.
struct Field {
  std::string name;  // upper case
  char type = 'C';
  int width = 0;
  bool required = true;  // false: used only when the table has it
};

struct Index {
  std::string file;  // without ".ntx"
  std::string key;
};

struct Table {
  std::string file;  // lower case, without ".dbf"
  std::vector<Field> fields;
  std::vector<Index> indexes;
};

// The company year directory's name: company code + "." + two-digit year.
std::string company_dir_name(std::string_view vkod, std::string_view ev);

// "alktb" + ev and the like.
std::string monthly_name(std::string_view base, std::string_view ev);

// A code-slot family of the monthly records: member n is the group of fields whose
// names end in n (one digit for families of at most 9, else without leading zero).
struct SlotFamily {
  const char* code;                  // "NEMRKOD": the code field of member n
  std::vector<const char*> amounts;  // the amount fields of member n
  const char* optional_amount;       // "KTGSZJA" for the cost codes, else nullptr
  int max_members;                   // 9, or 48 for the deductions
  const char* code_table;            // "nemrend"
};
const SlotFamily& income_types();  // NEMRKOD, NEMREND; nemrend
const SlotFamily& benefits();      // ELLKOD, ELLATAS; tbell
const SlotFamily& cost_codes();    // KTGKOD, KTGOSSZ, KTGALAP, [KTGSZJA]; ktgter
const SlotFamily& deductions();    // LEVKOD, LEVFT, LEVSZ; levonas
// The name of field `base` of member n ("NEMRKOD" + "3").
const std::string& member_field(std::string_view base, int n);

// The payroll tables. The monthly tables are given without their slot families,
// whose size the run counts on the "alktb" table (see counted_members).
Table company_table();                    // vallal
Table country_table();                    // orszag
Table income_type_table();                // nemrend
Table cost_code_table();                  // ktgter
Table deduction_table();                  // levonas
Table benefit_table();                    // tbell
Table relationship_table();               // tagalk
Table dependant_table();                  // ekartya
Table member_table(std::string_view ev);  // tagtb + ev
Table wage_table(std::string_view ev);    // alktb + ev
Table other_payment_table(std::string_view ev);  // egyeb + ev
Table brought_forward_table(std::string_view ev);  // hozot + ev

// The tables of one company year directory, in the order the run opens them.
std::vector<Table> company_tables(std::string_view ev);

// The fields of "egyeb" that are read only when its GYEREK field is numeric.
const std::vector<std::string>& other_payment_allowance_fields();

// The brought-forward fields "A" + row + column of the hozott table.
const std::vector<std::string>& brought_forward_fields();

// The fields of the family contribution allowance in the monthly tables.
const std::vector<std::string>& contribution_fields();

}  // namespace takeover::payroll
