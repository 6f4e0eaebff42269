// A terminal for tests: keys come from a script, and the screen shown at every
// wait for a key is kept so tests can compare it as text.
//
// Scripted keys are typed one at a time, each when the program asks for a key, so
// draining the terminal's input drops none of them; the bytes of one input() call
// arrive together, as a fast typist's or a paste, and draining drops what is left of
// them once the program has read the first.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/backend.h"

namespace console {

// Thrown when the program waits for a key with no time-out and the script is over,
// so a test fails instead of hanging.
struct ScriptExhausted : std::runtime_error {
  ScriptExhausted() : std::runtime_error("headless console: no more scripted keys") {}
};

class HeadlessBackend : public Backend {
 public:
  explicit HeadlessBackend(bool colours = true) : colours_(colours) {}

  // Appends key codes to the script.
  void keys(std::initializer_list<int> codes);
  void key(int code, int shift = 0) {
    script_.push_back(Scripted{KeyEvent{code, shift}, ++bursts_});
  }
  // Appends terminal input bytes, decoded as the real terminal decodes them; they
  // arrive together.
  void input(std::string_view bytes);

  void present(const Screen& screen) override;
  std::optional<KeyEvent> read_key(int timeout_ms) override;
  void drain_input() override;
  // Keys dropped by draining, in all.
  int drained() const { return drained_; }
  bool has_colours() const override { return colours_; }
  void set_clipboard(std::string_view cp852) override { clipboard_ = std::string(cp852); }
  void set_title(std::string_view cp852) override { title_ = std::string(cp852); }
  const std::string& title() const { return title_; }
  void ring_bell() override { ++bells_; }
  // How often the bell sounded.
  int bells() const { return bells_; }

  // The screen as it was shown at each wait for a key, oldest first.
  const std::vector<Screen>& waits() const { return waits_; }
  const Screen& last_wait() const;
  int presents() const { return presents_; }
  // Milliseconds that timed waits spent (the clock only moves when asked to).
  long long waited_ms() const { return waited_ms_; }
  const std::string& clipboard() const { return clipboard_; }
  std::size_t keys_left() const { return script_.size(); }

 private:
  struct Scripted {
    KeyEvent key;
    int burst;  // keys of one burst arrive in the terminal's input together
  };
  bool colours_;
  std::deque<Scripted> script_;
  int bursts_ = 0;
  int last_burst_ = 0;  // the burst of the last key read
  int drained_ = 0;
  std::vector<Screen> waits_;
  Screen shown_;
  int presents_ = 0;
  long long waited_ms_ = 0;
  std::string clipboard_;
  std::string title_;
  int bells_ = 0;
};

}  // namespace console
