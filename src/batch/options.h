// The command line of the batch mode:
//
//   mvirda23 batch [--dir DIR] [--wait SEC] [--date YYYY.MM.DD] [--quiet] COMMAND [OPTIONS]
//
// GNU-style long options ("--opt value" or "--opt=value"; "--" ends the options).
// Parsing touches nothing; a fault is one line naming it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "xbase/date.h"

namespace batch {

// A range of company codes, both ends filled to three digits.
struct CodeRange {
  std::string first, last;
};

struct BatchOptions {
  // Common options.
  std::string dir;        // the installation; empty: the current directory
  int wait_seconds = 30;  // how long the command may wait in all for other workstations
  std::optional<xbase::Date> date;  // the processing date; none: today
  bool quiet = false;
  std::string command;  // check, reindex, m30, ekho, takeover, backup, restore, rows
  bool help = false;    // "--help": the usage of the batch or of the command

  // check: the stored records against the forms' rules instead of the files.
  bool data = false;
  // m30, ekho, takeover.
  std::vector<CodeRange> companies;  // empty: every company ("all")
  bool companies_given = false;
  std::string kind = "both";  // employer, payer, both
  std::string person;         // one tax identifier, or empty
  int start = 1;              // m30: the first sequence number printed in each company
  bool xml = false;
  std::string out;  // the output directory; empty: the installation
  bool print = false, pdf = false;
  // takeover, backup, restore.
  std::string from, to;
  bool overwrite = false, yes = false;
  // rows: the text file of the M30 row table written (--export) or loaded (--import).
  std::string export_file, import_file;
};

struct BatchParse {
  std::optional<BatchOptions> options;  // none on a fault
  std::string fault;                    // the line naming it (UTF-8)
};

// Parses the arguments that follow "batch".
BatchParse parse_batch_args(const std::vector<std::string>& args);

// A company code as the code fields fill it ("5" -> "005"); none when it is not one
// to three digits.
std::optional<std::string> company_code(std::string_view text);
// "007" or "001-050"; none when malformed or the first code is above the last.
std::optional<CodeRange> code_range(std::string_view text);
// "YYYY.MM.DD" of a real day.
std::optional<xbase::Date> batch_date(std::string_view text);

// The usage line, the whole help, and the help of one command (UTF-8).
std::string batch_usage_line();
std::string batch_help();
std::string batch_command_help(const std::string& command);

}  // namespace batch
