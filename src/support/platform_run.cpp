#include "support/platform_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace support::platform {

namespace {

std::vector<char*> c_argv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  out.reserve(argv.size() + 1);
  for (const auto& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

void to_dev_null() {
  int fd = ::open("/dev/null", O_RDWR);
  if (fd < 0) return;
  ::dup2(fd, 0);
  ::dup2(fd, 1);
  ::dup2(fd, 2);
  if (fd > 2) ::close(fd);
}

// Output and errors into `path`, input from /dev/null; false when it cannot be
// written.
bool to_file(const std::string& path) {
  int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) return false;
  int in = ::open("/dev/null", O_RDONLY);
  if (in >= 0) {
    ::dup2(in, 0);
    if (in > 2) ::close(in);
  }
  ::dup2(out, 1);
  ::dup2(out, 2);
  if (out > 2) ::close(out);
  return true;
}

[[noreturn]] void report_and_exit(int report) {
  int e = errno;
  (void)!::write(report, &e, sizeof e);
  ::_exit(127);
}

// In the child: sets it up and executes; on failure writes errno into `report`
// (closed on exec, so the parent reads nothing when the exec succeeded).
[[noreturn]] void exec_child(char* const* args, const RunOptions& options, int report, bool detach) {
  if (detach) ::setsid();
  else if (options.timeout_seconds > 0) ::setpgid(0, 0);  // ended with its children
  if (!options.output.empty() && !detach) {
    if (!to_file(options.output)) report_and_exit(report);
  } else if (options.quiet || detach) {
    to_dev_null();
  }
  if (!options.dir.empty() && ::chdir(options.dir.c_str()) != 0) report_and_exit(report);
  ::execvp(args[0], args);
  report_and_exit(report);
}

// Whether the child wrote a failure report before its exec.
bool exec_failed(int report) {
  int e = 0;
  ssize_t n;
  do {
    n = ::read(report, &e, sizeof e);
  } while (n < 0 && errno == EINTR);
  return n > 0;
}

int code_of(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return code_of(status);
}

// Waits up to `seconds` for the child; true with its code when it ended.
bool wait_until(pid_t pid, double seconds, int& code) {
  using clock = std::chrono::steady_clock;
  auto deadline = clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      code = code_of(status);
      return true;
    }
    if (r < 0 && errno != EINTR) {
      code = -1;
      return true;
    }
    if (clock::now() >= deadline) return false;
    struct timespec pause {0, 10 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
  }
}

// The child with its process group ended after the time-out: SIGTERM, then
// SIGKILL a second later.
int wait_with_timeout(pid_t pid, double seconds) {
  int code = -1;
  if (wait_until(pid, seconds, code)) return code;
  ::kill(-pid, SIGTERM);
  if (wait_until(pid, 1.0, code)) return code;
  ::kill(-pid, SIGKILL);
  return wait_for(pid);
}

}  // namespace

int run_wait(const std::vector<std::string>& argv, const RunOptions& options) {
  if (argv.empty() || argv[0].empty()) return -1;
  auto args = c_argv(argv);
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return -1;
  }
  if (pid == 0) {
    ::close(pipefd[0]);
    exec_child(args.data(), options, pipefd[1], false);
  }
  if (options.timeout_seconds > 0) ::setpgid(pid, pid);  // the child does the same
  ::close(pipefd[1]);
  bool failed = exec_failed(pipefd[0]);
  ::close(pipefd[0]);
  int code = options.timeout_seconds > 0 ? wait_with_timeout(pid, options.timeout_seconds)
                                         : wait_for(pid);
  return failed ? -1 : code;
}

std::string find_program(const std::string& name) {
  auto runnable = [](const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
  };
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return runnable(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (runnable(candidate)) return candidate;
    if (end == std::string::npos) return "";
    start = end + 1;
  }
}

bool start_detached(const std::vector<std::string>& argv, const RunOptions& options) {
  if (argv.empty() || argv[0].empty()) return false;
  auto args = c_argv(argv);
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return false;
  // Two forks: the middle child ends at once, so the program is adopted by init
  // and never becomes our zombie.
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return false;
  }
  if (pid == 0) {
    ::close(pipefd[0]);
    pid_t grandchild = ::fork();
    if (grandchild < 0) {
      int e = errno;
      (void)!::write(pipefd[1], &e, sizeof e);
      ::_exit(1);
    }
    if (grandchild == 0) exec_child(args.data(), options, pipefd[1], true);
    ::_exit(0);
  }
  ::close(pipefd[1]);
  wait_for(pid);
  bool failed = exec_failed(pipefd[0]);
  ::close(pipefd[0]);
  return !failed;
}

}  // namespace support::platform
