// What a backup or a restore came to, for the dialogs that tell the user and for
// a caller without a screen that turns it into an exit code.
#pragma once

#include <string>
#include <vector>

namespace maint {

enum class Outcome {
  Done,
  Cancelled,     // the user said no or pressed Esc
  InputMissing,  // no archive to restore, no archiver, no tables in the archive
  Busy,          // another workstation holds the tables (or the wait was given up)
  NotWritten,    // the archiver failed or the work copy could not be written
  Damaged,       // the archive holds a damaged table (nothing was restored)
};

// Why, where it is not plain from the outcome.
enum class Reason {
  None,
  NoArchive,        // `path` names the archive looked for
  NoArchiver,
  NoTables,         // the archive holds no ".dbf"
  LockGivenUp,      // a table's wait ended with Esc
  OthersWorking,    // a table could not be had exclusively
  CopyNotWritten,   // the work copy in the installation
  TargetNotWritten, // the new archive beside the old one in the target directory
  ArchiverFailed,   // `archiver_code`, `archiver_line`
  DamagedTable,     // `name`
  NameClash,        // `name`: two entries whose names differ only in case
};

struct Result {
  Outcome outcome = Outcome::Cancelled;
  Reason reason = Reason::None;
  std::string path;                // the archive (Linux path)
  bool earlier_archive = false;    // a backup found an archive there before it
  std::string name;                // the damaged table; both clashing names
  std::vector<std::string> files;  // the files archived or restored
  int archiver_code = 0;
  std::string archiver_line;       // the archiver's last line (UTF-8)

  static Result failed(Outcome o, Reason r) {
    Result res;
    res.outcome = o;
    res.reason = r;
    return res;
  }
};

}  // namespace maint
