// The names of the program's own routines that are running now, innermost last, with
// the source line each is at. C++ keeps no such names, so every routine that should
// appear in the error log, or whose caller a helper must know, enters itself here:
//
//   support::Routine r(ctx.routines(), "CSERE", __LINE__);
//   ...
//   r.at(__LINE__);  // optional: a later line of the same routine
//
// The error handler writes the stack into "hibauzen.dbh"; the form helpers ask for the
// routine some levels up; the print job asks for the report that started it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace support {

class RoutineStack {
 public:
  struct Frame {
    std::string name;
    int line = 0;
  };

  void push(std::string_view name, int line);
  void pop();
  void set_line(int line);  // of the innermost routine

  int depth() const { return static_cast<int>(frames_.size()); }
  // The routine `level` steps out from the innermost (0 the innermost itself); ""
  // and 0 beyond the outermost.
  std::string name(int level = 0) const;
  int line(int level = 0) const;
  // Whether a routine of that name (upper case compared as given) is running.
  bool active(std::string_view name) const;
  // Outermost first.
  const std::vector<Frame>& frames() const { return frames_; }
  void clear() { frames_.clear(); }

 private:
  std::vector<Frame> frames_;
};

// Enters a routine for the lifetime of the object (also left on an exception).
class Routine {
 public:
  Routine(RoutineStack& stack, std::string_view name, int line) : stack_(&stack) {
    stack.push(name, line);
  }
  // Without a stack nothing is recorded (subsystems tested alone).
  Routine(RoutineStack* stack, std::string_view name, int line) : stack_(stack) {
    if (stack_) stack_->push(name, line);
  }
  ~Routine() {
    if (stack_) stack_->pop();
  }
  Routine(const Routine&) = delete;
  Routine& operator=(const Routine&) = delete;

  void at(int line) {
    if (stack_) stack_->set_line(line);
  }

 private:
  RoutineStack* stack_;
};

}  // namespace support
