// The program's run-time error handler. Every failure of the table engine, the file
// functions, the printer output and the expression evaluator reaches DEFERROR, which
// answers it (retry, the operation's default, a value) or writes the error log
// "hibauzen.dbh" and ends the program with exit code 1.
//
// The handler knows nothing of the screen: what it shows goes through the alert
// hook, and the way out of the program through the exit hooks, so that the shell
// wires in the console and tests watch every path without a terminal.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/error_routines.h"
#include "xbase/error.h"

namespace xbase {
class Variables;
class WorkAreas;
}  // namespace xbase

namespace support {

struct ErrorHooks {
  // The centred alert box: message lines split at ";", the choices side by side;
  // returns the chosen one's number (from 1), 0 for Esc. Without it every alert
  // counts as its first choice.
  std::function<int(std::string_view message, const std::vector<std::string>& choices)> alert;
  // Sets the network error flag (NETERR()). ERRORSYS binds it to the work areas.
  std::function<void()> network_error;
  // Sets the printer's row and column to 0 after the user gave up printing.
  std::function<void()> printer_reset;
  // Gives up the operation in progress after a printer failure (the takeover run
  // throws to its recovery point). Without it the program ends with exit code 1.
  std::function<void()> break_operation;
  // Puts the terminal back as it was before the program took it over.
  std::function<void()> restore_terminal;
  // Ends the process. Without it std::exit. A hook that returns (tests) lets the
  // handler answer "fail", so the failing operation throws.
  std::function<void(int code)> exit;
  // The error stream (standard error without it).
  std::function<void(std::string_view text)> error_stream;
  // The clock of the log's first line (the current time without it).
  std::function<std::time_t()> now;
};

// ERRORMESSAGE: "Error DBFNTX/1001  Open error: vallal.dbf" — "Warning " for a
// severity of 1, "???" for a missing subsystem or subcode.
std::string ERRORMESSAGE(const xbase::Error& e);

class ErrorSystem {
 public:
  // `program_dir` is where the log is written.
  ErrorSystem(std::string program_dir, ErrorHooks hooks);
  ErrorSystem(const ErrorSystem&) = delete;
  ErrorSystem& operator=(const ErrorSystem&) = delete;

  // DEFERROR: the answer to one error (see docs/shell.md for the order of the tests).
  xbase::ErrorAnswer DEFERROR(xbase::Error& e);
  // The handler to install into work areas and evaluation contexts.
  xbase::ErrorHandler handler();

  RoutineStack& routines() { return routines_; }
  ErrorHooks& hooks() { return hooks_; }
  // The version written into the log is read from the public VERZ of this store.
  void set_variables(const xbase::Variables* vars) { vars_ = vars; }

  const std::string& program_dir() const { return program_dir_; }
  std::string log_path() const;
  // The log's text for `e` with the routines running now (CR LF lines).
  std::string log_text(const xbase::Error& e) const;

  // Ends the program: terminal restored, then the exit hook. Returns only when the
  // exit hook does.
  void end_program(int code);

 private:
  int alert(std::string_view message, const std::vector<std::string>& choices);
  // Shows the alert until it is closed with a choice (Esc shows it again).
  int alert_until_chosen(std::string_view message, const std::vector<std::string>& choices);
  xbase::ErrorAnswer fatal(const xbase::Error& e);
  void write_error_stream(std::string_view text);

  std::string program_dir_;
  ErrorHooks hooks_;
  RoutineStack routines_;
  const xbase::Variables* vars_ = nullptr;
};

// ERRORSYS: installs the handler as the work areas' error handler and binds the
// network error flag to them.
void ERRORSYS(ErrorSystem& sys, xbase::WorkAreas& areas);

}  // namespace support
