// The tables of the program directory held against change while a backup copies
// them: every "*.dbf", in name order, opened shared and file-locked on the raw
// file, as a workstation does before it writes (so a table with a damaged header
// is held and saved all the same).
//
// Nothing is ever waited for while something is held: each open and lock is tried
// once; on a refusal everything is given up, the wait window shows for that one
// table until it is free (Esc gives up), and the round starts again. Two
// workstations that each hold one table and want the other's (a company deletion
// holds the year table and waits for the company table) so never block each other.
#pragma once

#include <string>
#include <vector>

#include "shell/context.h"

namespace maint {

class TableLocks {
 public:
  TableLocks() = default;
  ~TableLocks() { release(); }
  TableLocks(const TableLocks&) = delete;
  TableLocks& operator=(const TableLocks&) = delete;

  // Holds every table of `dir`; false when the user gave up a wait.
  bool take(shell::Context& ctx, const std::string& dir);
  // The names of the tables held, as on disk.
  const std::vector<std::string>& tables() const { return names_; }
  void release();

 private:
  std::vector<int> fds_;
  std::vector<std::string> names_;
};

// One table's raw file opened shared and file-locked, without waiting: the
// descriptor, or -1 when another workstation holds it exclusively or locked.
int lock_table_file(const std::string& path);

}  // namespace maint
