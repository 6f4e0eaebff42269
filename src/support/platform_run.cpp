#include "support/platform_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

// In the child: sets it up and executes; on failure writes errno into `report`
// (closed on exec, so the parent reads nothing when the exec succeeded).
[[noreturn]] void exec_child(char* const* args, const RunOptions& options, int report, bool detach) {
  if (detach) ::setsid();
  if (options.quiet || detach) to_dev_null();
  if (!options.dir.empty() && ::chdir(options.dir.c_str()) != 0) {
    int e = errno;
    (void)!::write(report, &e, sizeof e);
    ::_exit(127);
  }
  ::execvp(args[0], args);
  int e = errno;
  (void)!::write(report, &e, sizeof e);
  ::_exit(127);
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

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
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
  ::close(pipefd[1]);
  bool failed = exec_failed(pipefd[0]);
  ::close(pipefd[0]);
  int code = wait_for(pid);
  return failed ? -1 : code;
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
