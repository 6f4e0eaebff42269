// The commands of the batch mode, each over the started program (batch_run.h).
#pragma once

#include "console/unattended.h"
#include "batch/answers.h"
#include "batch/options.h"
#include "batch/run.h"
#include "shell/exit_codes.h"

namespace batch {

struct BatchRun {
  shell::Context& ctx;
  const BatchOptions& opt;
  BatchReport& report;
  console::UnattendedBackend& term;
  const BatchServices& services;
};


// Each returns the exit code of its outcome.
int batch_check(BatchRun& run);
int batch_reindex(BatchRun& run);
int batch_certificates(BatchRun& run);  // m30 and ekho
int batch_takeover(BatchRun& run);
int batch_backup(BatchRun& run);
int batch_restore(BatchRun& run);

}  // namespace batch
