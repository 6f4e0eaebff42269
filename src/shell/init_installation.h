// "mvirda23 init DIR": a new, empty installation for an office, DIR/VIRDA23.
//
// The installation's files come from the program's installed data (the template
// directory "xxx" with its empty tables, and whatever else a new installation
// needs); then the tables are copied out of "xxx" by the start-up's own template
// copy. No company, no person; the settings record as the template holds it (the
// first start fills the printer settings), no "elsoind.jel", so the first start
// shows its first-start box, finds nothing to upgrade and builds the indexes.
// An existing installation is never touched: the new one is made in a work
// directory beside it and renamed into place only when complete.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shell {

// Where the installed program keeps its data: "share/mvirda23" beside the "bin"
// directory that holds it. The build lays its directories out the same way, so
// the program of a build finds the build's data. "" when the program's own place
// is unknown.
std::string installed_data_dir();

struct InitOutcome {
  int code = 0;             // shell::exit_code
  std::string program_dir;  // the installation made (DIR/VIRDA23)
  std::string message;      // why it was not made: one line, UTF-8
};

// Makes DIR/VIRDA23 from `data_dir`. `cegnev` (CP852, at most 78 characters), when
// not empty, becomes the first line of "cegnev.txt".
InitOutcome init_installation(const std::string& data_dir, const std::string& dir,
                              std::string_view cegnev = {});

// The command line after "init": [--name NAME] DIR, or --help. Results go to `out`,
// messages to `err` (UTF-8). Returns the exit code.
int init_command(const std::vector<std::string>& args, const std::string& data_dir,
                 std::string& out, std::string& err);

// `mvirda23 init …` as main() runs it: argv[1] is "init".
int init_main(int argc, char** argv);

}  // namespace shell
