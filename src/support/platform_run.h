// Running outside programs (the archiver, the download tool, the print converter,
// the form filler, a PDF viewer). Always through an argument vector: the program
// and each argument are passed as they are, never through a shell, so a path a
// user typed can never run a command.
#pragma once

#include <string>
#include <vector>

namespace support::platform {

struct RunOptions {
  std::string dir;              // working directory of the child; "" keeps ours
  bool quiet = false;           // the child's standard streams go to /dev/null
};

// Runs argv[0] (looked up in PATH when it has no slash) and waits for it. The
// exit code, 128 + the signal when it was killed, or -1 when it could not be
// started (missing program, not executable, empty argv).
int run_wait(const std::vector<std::string>& argv, const RunOptions& options = {});

// Starts the program and does not wait; it runs on in its own session, detached
// from our terminal, and leaves no zombie behind. False when it could not be
// started.
bool start_detached(const std::vector<std::string>& argv, const RunOptions& options = {});

}  // namespace support::platform
