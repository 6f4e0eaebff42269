// The 7-Zip console archiver that makes and reads the backup archives.
//
// The installation's own "\util\7za" under the drive root comes first (found
// ignoring case, when it is an executable file), then 7zz, 7za and 7z on PATH.
// It always runs through an argument vector with "-tzip -y" and "--" before the
// file arguments; what it prints goes into a log file, never onto our screen.
// Exit code 0 is success; anything else (1 too: a file was left out) is failure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace maint {

// The archiver's program path; "" when there is none.
std::string find_archiver();

struct ArchiverRun {
  int code = -1;          // the exit code; -1 when it could not be started
  std::string last_line;  // the last non-empty line it printed (UTF-8, trimmed)
  std::string output;     // everything it printed (at most 1 MiB)
  bool ok() const { return code == 0; }
};

// Runs the archiver `program` with `command` ("a", "e", "l"), the switches, "--"
// and `operands` (the archive, then file names), in the directory `dir`.
ArchiverRun run_archiver(const std::string& program, std::string_view command,
                         const std::vector<std::string>& switches,
                         const std::vector<std::string>& operands, const std::string& dir = "");

// One entry of an archive as "l -slt" lists it.
struct ArchiveEntry {
  std::string path;    // as stored, with its directories
  bool folder = false;
  bool link = false;   // a symbolic link (Unix attributes "l...")
};

// The entries of a technical listing ("Path = ...", "Folder = +", "Attributes =
// ..."), one block per entry; the archive's own block (with "Type =") is skipped.
std::vector<ArchiveEntry> parse_listing(std::string_view text);

}  // namespace maint
