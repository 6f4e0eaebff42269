// The commands of the batch mode, each over the started program (batch_run.h).
#pragma once

#include "console/unattended.h"
#include "shell/batch_answers.h"
#include "shell/batch_options.h"
#include "shell/batch_run.h"

namespace shell {

struct BatchRun {
  Context& ctx;
  const BatchOptions& opt;
  BatchReport& report;
  console::UnattendedBackend& term;
  const BatchServices& services;
};

// The exit codes of the batch mode.
namespace batch_exit {
inline constexpr int kDone = 0;
inline constexpr int kFatal = 1;
inline constexpr int kUsage = 2;
inline constexpr int kFindings = 3;
inline constexpr int kInputMissing = 4;
inline constexpr int kBusy = console::kExitBusy;
inline constexpr int kUnanswered = console::kExitUnanswered;
inline constexpr int kNotWritten = 7;
}  // namespace batch_exit

// Each returns the exit code of its outcome.
int batch_check(BatchRun& run);
int batch_reindex(BatchRun& run);
int batch_certificates(BatchRun& run);  // m30 and ekho
int batch_takeover(BatchRun& run);
int batch_backup(BatchRun& run);
int batch_restore(BatchRun& run);

}  // namespace shell
