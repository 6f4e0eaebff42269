// A test's second process: a forked child running `body(from_parent, to_parent)`,
// whose return value becomes its exit status. The two talk through a pipe each way:
// the child says "ready" once it holds what the test needs, the parent says "go".
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace mvirda_test {

class ForkedProcess {
 public:
  explicit ForkedProcess(const std::function<int(int, int)>& body) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(down[1]);
      ::close(up[0]);
      int rc = 1;
      try {
        rc = body(down[0], up[1]);
      } catch (...) {
        rc = 99;
      }
      ::_exit(rc);
    }
    ::close(down[0]);
    ::close(up[1]);
    to_ = down[1];
    from_ = up[0];
  }
  ForkedProcess(const ForkedProcess&) = delete;
  ForkedProcess& operator=(const ForkedProcess&) = delete;
  ~ForkedProcess() {
    if (pid_ > 0) finish();
  }

  // Waits for the child's "ready" byte; false when it ended without sending one.
  bool ready() {
    char c;
    return ::read(from_, &c, 1) == 1;
  }
  // Tells the child to go on.
  void go() {
    char c = 'g';
    (void)!::write(to_, &c, 1);
  }
  // Lets the child go on (closes its pipe) and returns its exit status
  // (128 + signal when a signal ended it).
  int finish() {
    if (to_ >= 0) ::close(to_), to_ = -1;
    int st = 0;
    ::waitpid(pid_, &st, 0);
    pid_ = -1;
    if (from_ >= 0) ::close(from_), from_ = -1;
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  // Ends the child at once, as a crash or a power cut would.
  void kill() {
    ::kill(pid_, SIGKILL);
    int st;
    ::waitpid(pid_, &st, 0);
    pid_ = -1;
    if (to_ >= 0) ::close(to_), to_ = -1;
    if (from_ >= 0) ::close(from_), from_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
};

// The child's side of the pipes.
inline void say_ready(int fd) {
  char c = 'r';
  (void)!::write(fd, &c, 1);
}
inline void wait_parent(int fd) {
  char c;
  (void)!::read(fd, &c, 1);
}

}  // namespace mvirda_test
