// Writing one payroll company year directory: its ten tables in the shape asked
// for, records given field by field, and at the end the index files (sound, none,
// or stale under "gond.baj").
#pragma once

#include <array>
#include <memory>
#include <string>

#include "store/record_writer.h"
#include "takeover/tools/payroll_gen.h"
#include "xbase/dbf_table.h"

namespace takeover::gen {

enum class T { Nemrend, Ktgter, Levonas, Tbell, Tagalk, Ekartya, Tagtb, Alktb, Egyeb, Hozott };
inline constexpr int kTableCount = 10;

// The structure of a payroll table as `shape` has it.
xbase::Structure payroll_structure(T table, const Shape& shape, const std::string& ev);
// Its file name without extension, in the shape's case.
std::string payroll_file(T table, const Shape& shape, const std::string& ev);

class CompanyOut {
 public:
  CompanyOut(const std::string& payroll_dir, Shape shape, std::string ev);
  ~CompanyOut();
  CompanyOut(const CompanyOut&) = delete;
  CompanyOut& operator=(const CompanyOut&) = delete;

  const Shape& shape() const { return shape_; }
  const std::string& dir() const { return dir_; }
  const std::string& ev() const { return ev_; }

  // Appends a record; fields the record does not name stay blank. A field the table
  // lacks is left out (a company whose families are smaller than the record's).
  uint32_t row(T table, const Fields& fields, bool deleted = false);
  int rows(T table) const { return counts_[static_cast<size_t>(table)]; }

  // Closes the tables and makes the index files as the shape says.
  void finish();

 private:
  Shape shape_;
  std::string ev_;
  std::string dir_;
  std::array<std::unique_ptr<xbase::DbfTable>, kTableCount> tables_;
  std::array<std::unique_ptr<store::RecordWriter>, kTableCount> writers_;
  std::array<int, kTableCount> counts_{};
  bool finished_ = false;
};

// The key fields of a monthly record.
Fields monthly_key(const std::string& szemszam, const char* fogjel, const char* fomeny,
                   const char* honap);

// Builds the index file `index` of a written table on `key`.
void build_index(const std::string& table_path, const std::string& index_path,
                 const std::string& key);

// Gives a written table's header the fixed date of the generator, so that the same
// seed gives the same bytes on any day.
void fix_table_date(const std::string& path);

}  // namespace takeover::gen
