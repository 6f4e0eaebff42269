// A terminal nobody sits at: the program run from a script or from cron. It draws
// nothing and reads no input. Questions are answered by the answerer it is given
// before anything is drawn; a wait for a key with a time-out (a wait for a file or
// record another workstation holds) sleeps and spends a budget of waiting shared
// by the whole run; what cannot be answered ends the run.
//
// The run ends by throwing RunEnded, so that whatever the program holds is given
// back on the way out; the caller closes the tables and leaves with its code.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/backend.h"

namespace console {

// The exit codes of an unattended run that ends here.
inline constexpr int kExitBusy = 5;        // the budget of waiting is spent
inline constexpr int kExitUnanswered = 6;  // a question nobody can answer

struct RunEnded {
  int code = 0;
  std::vector<std::string> text;  // what to say, CP852 lines
};

class UnattendedBackend : public Backend {
 public:
  // The answer to a question box or alert: a button's number (from 1), or none when
  // the question must not be answered unattended (the run ends with
  // kExitUnanswered and the question's text).
  using Answerer = std::function<std::optional<int>(
      UnattendedBackend&, const std::vector<std::string_view>& lines,
      const std::vector<std::string_view>& buttons)>;
  // A message that waits for a key, taken as a warning (CP852).
  using Warner = std::function<void(std::string_view cp852)>;
  // The signal that asks the run to stop (0 while none came); the run then ends
  // with 128 + the signal at its next wait.
  using StopSignal = std::function<int()>;

  // `wait_ms`: how long the run may wait in all; 0 gives up at the first wait.
  explicit UnattendedBackend(long long wait_ms) : wait_left_ms_(wait_ms) {}

  void set_answerer(Answerer a) { answerer_ = std::move(a); }
  void set_warner(Warner w) { warner_ = std::move(w); }
  void set_stop_signal(StopSignal s) { stop_ = std::move(s); }

  void present(const Screen& screen) override { shown_ = screen; }
  std::optional<KeyEvent> read_key(int timeout_ms) override;
  bool has_colours() const override { return true; }
  std::optional<int> answer(const std::vector<std::string_view>& lines,
                            const std::vector<std::string_view>& buttons) override;
  bool take_warning(std::string_view cp852) override;
  void waiting_for(std::string_view what) override { waiting_for_ = std::string(what); }

  // Sleeps `ms` out of the budget of waiting; once the budget is spent the run ends
  // with kExitBusy, naming what it waited for.
  void spend_wait(int ms);
  long long wait_left_ms() const { return wait_left_ms_; }
  // Ends the run (throws RunEnded).
  [[noreturn]] void end(int code, std::vector<std::string> text);
  // Ends the run when a stop signal came.
  void check_stop();

  // The text lines of the screen last shown (CP852, frames left out, trimmed).
  std::vector<std::string> shown_text() const;

 private:
  Screen shown_;
  long long wait_left_ms_;
  std::string waiting_for_;
  Answerer answerer_;
  Warner warner_;
  StopSignal stop_;
};

}  // namespace console
