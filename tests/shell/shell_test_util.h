// What the shell tests share: a context over a terminal whose timed waits really
// wait, a scratch directory with small tables, and a forked "other workstation".
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "common/forked_process.h"
#include "console/headless.h"
#include "shell/context.h"
#include "shell/error_setup.h"

namespace shell::testing {

// A headless terminal whose timed waits take their time (so a wait loop polls at
// the pace of the real program) and that can answer Esc after a number of them.
class PacedBackend : public console::HeadlessBackend {
 public:
  int esc_after = -1;  // timed waits without a key before an Esc arrives
  int timed_waits = 0;
  // Runs before every wait without a time-out (a dialog waiting for its answer).
  std::function<void()> before_untimed_wait;
  // Runs before every timed wait (a wait window polling).
  std::function<void()> before_timed_wait;

  std::optional<console::KeyEvent> read_key(int timeout_ms) override {
    if (timeout_ms < 0 && before_untimed_wait) before_untimed_wait();
    if (timeout_ms > 0 && before_timed_wait) before_timed_wait();
    if (timeout_ms > 0 && keys_left() == 0) {
      ++timed_waits;
      if (esc_after >= 0 && timed_waits > esc_after) {
        return console::KeyEvent{console::key::kEsc, 0};
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
    }
    return HeadlessBackend::read_key(timeout_ms);
  }
};

struct ProgramEnd {
  int code;
};

// One workstation: console, work areas, variables, windows, reads, error handler,
// all over a scratch program directory. The program's end is recorded, not taken.
struct Station {
  std::string dir;
  PacedBackend* term;
  std::unique_ptr<console::Console> con;
  xbase::WorkAreas areas;
  xbase::Variables vars;
  ui::WindowStack windows;
  std::unique_ptr<console::ReadContext> reads;
  std::unique_ptr<support::ErrorSystem> errors;
  std::unique_ptr<Context> ctx;
  int exit_code = -1;

  explicit Station(std::string directory = "") : dir(std::move(directory)) {
    if (dir.empty()) {
      std::string base = std::filesystem::temp_directory_path().string() + "/shelltest-XXXXXX";
      dir = ::mkdtemp(base.data());
      owns_dir_ = true;
    }
    auto b = std::make_unique<PacedBackend>();
    term = b.get();
    con = std::make_unique<console::Console>(std::move(b));
    con->set_colour("w/n");
    con->clear_screen();
    reads = std::make_unique<console::ReadContext>(*con);
    support::ErrorHooks hooks = console_error_hooks(*con);
    hooks.exit = [this](int code) { exit_code = code; };
    hooks.error_stream = [](std::string_view) {};
    errors = std::make_unique<support::ErrorSystem>(dir, std::move(hooks));
    support::ERRORSYS(*errors, areas);
    ctx = std::make_unique<Context>(*con, areas, vars, windows, *reads);
    ctx->errors = errors.get();
    ctx->program_dir = dir;
  }
  ~Station() {
    areas.close_all();
    if (owns_dir_) std::filesystem::remove_all(dir);
  }
  std::string file(const std::string& name) const { return dir + "/" + name; }

 private:
  bool owns_dir_ = false;
};

using Other = mvirda_test::ForkedProcess;
using mvirda_test::say_ready;
using mvirda_test::wait_parent;

// Row `row` of a screen as UTF-8 text.
inline std::string row_text(const console::Screen& s, int row) { return s.row_utf8(row); }

}  // namespace shell::testing
