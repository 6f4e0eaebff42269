// "batch check --data": every stored company, person and dependant against the rules
// its form applies (entry/record_checks.h), one line per finding on stdout.
#pragma once

#include "batch/commands.h"

namespace batch {

// The company, year and dependants tables (and the public-space table the rules
// look kinds up in) opened shared and read only, record after record without a lock;
// exit 3 when something was found, 0 when nothing.
int batch_data_check(BatchRun& run);

}  // namespace batch
