// Running outside programs (the archiver, the download tool, the print converter,
// the form filler, a PDF viewer). Always through an argument vector: the program
// and each argument are passed as they are, never through a shell, so a path a
// user typed can never run a command.
#pragma once

#include <string>
#include <vector>

namespace support::platform {

struct RunOptions {
  std::string dir{};            // working directory of the child; "" keeps ours
  bool quiet = false;           // the child's standard streams go to /dev/null
  // The child's output and error streams go into this file (created or emptied),
  // its input comes from /dev/null; "" keeps our streams (or /dev/null when quiet).
  std::string output{};
  // Seconds the child may run; 0 waits for ever. A child still running then is
  // ended with its whole process group: SIGTERM, and SIGKILL a second later.
  double timeout_seconds = 0;
};

// A child that runs quietly in our working directory.
inline RunOptions quiet_run() {
  RunOptions o;
  o.quiet = true;
  return o;
}

// Runs argv[0] (looked up in PATH when it has no slash) and waits for it. The
// exit code, 128 + the signal when it was killed (also by the time-out), or -1
// when it could not be started (missing program, not executable, empty argv, an
// output file that cannot be written).
int run_wait(const std::vector<std::string>& argv, const RunOptions& options = {});

// The program `name` as execvp would find it in PATH (a name with a slash as it
// stands): its path when it is an executable file, else "".
std::string find_program(const std::string& name);

// Starts the program and does not wait; it runs on in its own session, detached
// from our terminal, and leaves no zombie behind. False when it could not be
// started.
bool start_detached(const std::vector<std::string>& argv, const RunOptions& options = {});

}  // namespace support::platform
