// Two workstations in a test: keys given to the program in steps, and the other
// workstation as a forked process that holds a lock or changes a table.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "entry_test_util.h"
#include "xbase/ntx_order.h"

namespace entry::testing {

// Keys given to the program in steps: each step runs when the program waits for a
// key without a time-out and the keys of the step before are used up.
struct Steps {
  std::deque<std::function<void()>> steps;
  explicit Steps(Install& in) {
    in.s.term->before_untimed_wait = [this, &in] {
      if (in.s.term->keys_left() == 0 && !steps.empty()) {
        auto step = std::move(steps.front());
        steps.pop_front();
        step();
      }
    };
  }
  void then(std::function<void()> f) { steps.push_back(std::move(f)); }
};

// The other workstation: opens `file` shared with its indexes, runs `hold` (a lock),
// says it is ready, waits for the word, runs `then` and lets everything go.
inline Other other_station(const std::string& dir, const std::string& file,
                    std::vector<std::string> indexes,
                    std::function<bool(xbase::WorkArea&)> hold,
                    std::function<void(xbase::WorkArea&)> then = {}) {
  return Other([=](int down, int up) {
    xbase::WorkAreas areas;
    if (!areas.use(dir + "/" + file, "", xbase::OpenMode::Shared)) return 2;
    for (const std::string& ix : indexes)
      areas.current().add_order(xbase::NtxOrder::open(areas, dir + "/" + ix));
    if (hold && !hold(areas.current())) return 3;
    mvirda_test::say_ready(up);
    mvirda_test::wait_parent(down);
    if (then) then(areas.current());
    areas.current().commit();
    areas.close_all();
    mvirda_test::say_ready(up);
    return 0;
  });
}

// What the other workstation does to delete record 1, as a user would: under its
// record lock, committed.
inline void delete_record_1(xbase::WorkArea& a) {
  a.go_to(1);
  a.rlock();
  a.delete_record();
  a.commit();
  a.unlock();
}

}  // namespace entry::testing
