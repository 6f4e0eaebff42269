// The payroll takeover below its dialogs: from the payroll directory to the rebuilt
// persons and dependants of the chosen companies. The menu item shows its screens
// and questions around it through the hooks; a run without a screen passes the
// answers in.
//
// Each company is taken over whole or not at all: its tables and fields are checked
// first, every person and dependant is computed in memory, and then the company's
// records are replaced in one step that survives a kill (shell/record_replace.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"
#include "takeover/report.h"

namespace takeover {

enum class Status {
  Done,          // the companies were processed (some may have kept their data)
  Cancelled,     // the company pick was left with Esc
  InputMissing,  // no payroll program in that directory
  Busy,          // somebody uses the payroll program
};

struct CompanyResult {
  enum class Kind { Taken, Declined, Kept };
  std::string vkod;
  std::string vnev;
  Kind kind = Kind::Taken;
  int persons = 0;
  int dependants = 0;
  std::string missing;  // Kept: what the company's payroll data lack
};

struct Outcome {
  Status status = Status::Done;
  // False when the run ended at a declined overwrite of the last company: then no
  // completion message is shown.
  bool completed = true;
  std::vector<CompanyResult> companies;  // those begun, in code order
  std::vector<Finding> findings;         // the report's lines
  // The companies that kept their records (declined or not sound).
  std::vector<std::string> kept() const;
};

struct Request {
  // The payroll directory as typed (CP852): a Linux path, or a Windows form
  // ("C:\KVAD", "\kvad") under the drive root.
  std::string payroll_dir;
  // The pick list over the new company table: marks the chosen companies in FLAG;
  // false when it was left with Esc. Without it the companies are chosen as the
  // list's keys would mark them: every one (`all`, "M"), those between two codes
  // (`ranges`, "T"), and single ones (`companies`, Space).
  std::function<bool()> pick;
  struct Range {
    std::string from, to;
  };
  bool all = false;
  std::vector<Range> ranges;
  std::vector<std::string> companies;
  // Whether a company that has records may lose them; without it every one may.
  std::function<bool(const std::string& vkod)> overwrite;
};

struct Hooks {
  // A company's takeover begins (after its overwrite question and its check) and
  // ends.
  std::function<void(const CompanyResult&)> company_begun, company_finished;
  // After each relationship record: the company, the person's name, the share of the
  // company's relationship records done (0-100).
  std::function<void(const std::string& vkod, const std::string& nev, int percent)> progress;
  // A number too large for its field ("Túl nagy szám: …"); the field stays empty.
  std::function<void(const std::string& text)> too_big;
  // A company whose payroll data lack something keeps its records.
  std::function<void(const std::string& vkod, const std::string& missing)> kept;
};

// The ending of every run, also of one given up at its first question: all tables
// closed, the replaced records packed away, every index file of the program built
// again.
void common_ending(shell::Context& ctx);

// The payroll directory as a Linux path.
std::string payroll_path(std::string_view typed);

// The run. The working set is open exclusively (the main menu opened it); the
// company table is replaced by the payroll program's, the chosen companies'
// persons and dependants by theirs. Every way out ends alike: all tables closed,
// the changed tables packed, the index files built again, the report written.
Outcome run_takeover(shell::Context& ctx, const Request& req, const Hooks& hooks = {});

}  // namespace takeover
