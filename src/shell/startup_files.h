// The file chores of start-up: deleting files by mask while sparing those another
// workstation holds open, filling the program directory from the template directory,
// the start-up guard that keeps one workstation's table upgrade to itself, the
// user organisation's name and the list of extra fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/platform_files.h"
#include "xbase/dbf_format.h"

namespace shell {

struct Context;

// DELCSILL2(dir, mask): deletes every file of `dir` whose name matches the wildcard
// `mask` (or the file name), ignoring case. A file that is open anywhere (the table
// engine holds an open lock on every table and index file it has open) or that
// cannot be deleted is skipped. Always true.
bool DELCSILL2(std::string_view dir, std::string_view mask);
// DELCSILL(mask): the same in the current directory.
bool DELCSILL(std::string_view mask);

// Whether a process (this one included) holds `path` open through the table engine.
bool held_open(const std::string& path);

// The files of the template directory "xxx" of `program_dir` (files only, in name
// order) that the program directory lacks under any case.
std::vector<std::string> missing_templates(const std::string& program_dir);

// Copies into `program_dir` every file of missing_templates(), each under the work
// name <name>.sablon, synced, then renamed (a work file a killed copy left is
// deleted first); after a copy every "*.ntx" file of the program directory is
// deleted, so the indexes are built again.
// Only the first workstation in may do this. Returns the number of files copied.
int copy_missing_templates(const std::string& program_dir);

// The start-up guard: an exclusive lock on "inditas.lck" in the program directory,
// held from the template copy until the first workstation has the company table open
// shared again, so a second workstation starting meanwhile waits instead of
// upgrading, deleting index files or reusing "temp.dbf" beside the first. A backup
// holds it while it takes its snapshot and a restore until the indexes are built
// again. The program takes it with a visible wait (acquire_startup_guard).
class StartupGuard {
 public:
  StartupGuard() = default;  // not held
  // One try without waiting; true when held afterwards, or when the directory
  // cannot hold the lock file (read-only: nothing to guard against). The wait for
  // it is acquire_startup_guard (shell/shared_access.h).
  bool try_acquire(const std::string& program_dir);
  void release() { lock_.release(); }
  bool held() const { return lock_.held(); }
  // The lock file "inditas.lck" of the program directory.
  static std::string path(const std::string& program_dir);

 private:
  friend bool acquire_startup_guard(Context& ctx, StartupGuard& guard);
  support::platform::LockFile lock_;
};

// The user organisation's name: the first line of "cegnev.txt" in the program
// directory (CP852, trailing blanks dropped, at most 78 characters); "" when the
// file is missing.
std::string read_cegnev(const std::string& program_dir);

// The fields of "ujmezok.txt": one a line, taken at 70 characters; name in columns
// 1-10, type in column 12, width in 15-16, decimals in 19. Lines without a name are
// skipped.
std::vector<xbase::FieldDef> parse_extra_fields(const std::vector<std::string>& lines);

}  // namespace shell
