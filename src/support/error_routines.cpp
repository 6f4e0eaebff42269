#include "support/error_routines.h"

namespace support {

void RoutineStack::push(std::string_view name, int line) {
  frames_.push_back(Frame{std::string(name), line});
}

void RoutineStack::pop() {
  if (!frames_.empty()) frames_.pop_back();
}

void RoutineStack::set_line(int line) {
  if (!frames_.empty()) frames_.back().line = line;
}

std::string RoutineStack::name(int level) const {
  if (level < 0 || level >= depth()) return "";
  return frames_[frames_.size() - 1 - static_cast<size_t>(level)].name;
}

int RoutineStack::line(int level) const {
  if (level < 0 || level >= depth()) return 0;
  return frames_[frames_.size() - 1 - static_cast<size_t>(level)].line;
}

bool RoutineStack::active(std::string_view name) const {
  for (const Frame& f : frames_)
    if (f.name == name) return true;
  return false;
}

}  // namespace support
