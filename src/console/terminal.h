// The real terminal through ncursesw: the 80×25 screen at the top-left of the
// terminal, UTF-8 output, raw keyboard input (Ctrl+C arrives as a key), a repaint
// after a resize, a notice when the terminal is too small, and the terminal put
// back on every way out, including signals and crashes.
#pragma once

#include <memory>

#include "console/backend.h"

namespace console {

class TerminalBackend : public Backend {
 public:
  // Takes over the terminal on standard input and output; throws
  // std::runtime_error when the terminal type is unknown.
  TerminalBackend();
  ~TerminalBackend() override;
  TerminalBackend(const TerminalBackend&) = delete;
  TerminalBackend& operator=(const TerminalBackend&) = delete;

  void present(const Screen& screen) override;
  std::optional<KeyEvent> read_key(int timeout_ms) override;
  void drain_input() override;
  bool has_colours() const override { return colours_; }
  void set_clipboard(std::string_view cp852) override;
  void set_title(std::string_view cp852) override;
  void ring_bell() override;

  // Gives the terminal back (also done by the destructor).
  void shutdown();

 private:
  void draw_all();
  void apply_resize();
  void draw_cell(int row, int col, const Cell& cell);
  int attr_bits(Attr a) const;

  bool active_ = false;
  bool colours_ = false;
  bool sixteen_ = false;  // bright colours as colours 8-15 rather than bold
  bool too_small_ = false;
  Screen shown_;
  bool have_shown_ = false;
  KeyDecoder decoder_;
};

// Builds the backend a program should use: the terminal when standard input and
// output are a terminal, else nothing.
std::unique_ptr<Backend> make_terminal_backend();

}  // namespace console
