// What a batch run says and how it answers the program's questions.
//
// stdout carries results only (one path per file written, one line per file
// checked); stderr the progress, warnings and errors, prefixed with the command.
// Every line is UTF-8 whatever the locale.
//
// The answer table picks the button a user would press for the run's options; it
// decides no exit code except where a question itself ends the run (a payroll
// program that is missing or in use, a file that stays busy).
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/unattended.h"

namespace batch {

class BatchReport {
 public:
  using Lines = std::vector<std::string_view>;

  BatchReport(std::string command, bool quiet, std::FILE* out = stdout, std::FILE* err = stderr);

  // A progress line (UTF-8), unless quiet.
  void progress(std::string_view utf8);
  // The same at most once a second (a running count).
  void progress_tick(std::string_view utf8);
  // What the program told the user in a box (CP852 lines), each line its own line
  // on stderr: progress lines, or error lines (also when quiet) when the box tells
  // what went wrong.
  void told(const Lines& cp852, bool error);
  // A warning (CP852 lines, an alert's lines split at ";"): the run goes on and ends
  // with findings. Its first line begins with "figyelmeztetés: ".
  void warning(const Lines& cp852);
  void warning(std::string_view cp852) { warning(Lines{cp852}); }
  // An error line (UTF-8), also when quiet.
  void error(std::string_view utf8);
  // A result line on stdout (UTF-8).
  void result(std::string_view utf8);

  int warnings() const { return warnings_; }
  const std::string& command() const { return command_; }

 private:
  void line(std::FILE* f, std::string_view utf8);
  std::string command_;
  bool quiet_;
  std::FILE* out_;
  std::FILE* err_;
  int warnings_ = 0;
  std::chrono::steady_clock::time_point last_tick_{};
};

// The options that answer questions.
struct BatchChoices {
  bool printer = false;    // --print or --pdf: "Nyomtatóra"
  bool overwrite = false;  // --overwrite: "Felülírhatók"
};

// The answer table: the button for the question with these lines (CP852) and
// buttons, or none when the run cannot answer it.
std::optional<int> batch_answer(console::UnattendedBackend& term, BatchReport& report,
                                const BatchChoices& choices,
                                const std::vector<std::string_view>& lines,
                                const std::vector<std::string_view>& buttons);

}  // namespace batch
