// What the console needs from a terminal: show the screen, read a key, say whether
// it has colours, hand over clipboard text, sound the bell. The real terminal and the headless test
// terminal implement it.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "console/keydecode.h"
#include "console/screen.h"

namespace console {

class Backend {
 public:
  virtual ~Backend() = default;
  // Shows the screen. Called once per wait for a key, not per write.
  virtual void present(const Screen& screen) = 0;
  // The next key: waits up to `timeout_ms` milliseconds, or for ever when negative.
  virtual std::optional<KeyEvent> read_key(int timeout_ms) = 0;
  // Drops what waits in the terminal's input and has not been read yet: keys typed
  // ahead must not answer a question the user has not seen.
  virtual void drain_input() {}
  virtual bool has_colours() const = 0;
  // Puts CP852 text on the terminal's own clipboard where it takes it.
  virtual void set_clipboard(std::string_view /*cp852*/) {}
  // The terminal window's title, where the terminal has one.
  virtual void set_title(std::string_view /*cp852*/) {}
  // Sounds the bell, where the terminal has one.
  virtual void ring_bell() {}

  // A terminal nobody sits at answers the program's questions itself: the chosen
  // button's number (from 1) for a question box or alert with these text lines and
  // buttons, or none when the question is to be shown and asked (every terminal
  // with a user).
  virtual std::optional<int> answer(const std::vector<std::string_view>& /*lines*/,
                                    const std::vector<std::string_view>& /*buttons*/) {
    return std::nullopt;
  }
  // A message that stops the work until a key is pressed ("Túl nagy szám: ..."):
  // true when the terminal took it as a warning, so nothing is shown or waited for.
  virtual bool take_warning(std::string_view /*cp852*/) { return false; }
  // What the timed waits that follow wait for (a file another workstation holds),
  // for a terminal that reports it when it stops waiting.
  virtual void waiting_for(std::string_view /*what*/) {}
};

}  // namespace console
