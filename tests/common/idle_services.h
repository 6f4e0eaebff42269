// The program's services for tests and benchmarks that run the shell without the
// subsystems: each one does nothing (a restore replaces nothing); a test gives the
// ones it watches its own, e.g. `services.m30 = [&](shell::Context&) { … };`.
#pragma once

#include "common/idle_viewer.h"
#include "shell/program.h"

namespace mvirda_test {

inline void idle(shell::Context&) {}

inline shell::StartServices idle_start_services() {
  return shell::StartServices{
      .kons_ini = idle,
      .konsbe = idle,
      .recover = idle,
      .restore = [](shell::Context&, shell::StartupGuard&) { return false; },
  };
}

inline shell::ShellServices idle_services() {
  return shell::ShellServices{
      .start = idle_start_services(),
      .beallit = idle,
      .wwwellen = idle,
      .help = idle,
      .calculator = idle,
      .version_box = idle,
      .viewer = idle_viewer(),
      .browse_persons = idle,
      .m30 = idle,
      .ekho = idle,
      .browse_companies = idle,
      .takeover = idle,
      .backup = idle,
  };
}

}  // namespace mvirda_test
