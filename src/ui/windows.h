// The stack of overlapping windows: WOPENC opens one over the screen and keeps what
// was under it, WCLOSEC closes the newest, _WOFFMAX gives its inner bounds.
// One stack lives for the whole run; windows close in the reverse order of opening.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace ui {

class WindowStack {
 public:
  // WOPENC(top, left, bottom, right, frame, title, , colours, offset): saves the
  // rectangle and the cursor, clears it in the current colour, draws `frame` inset
  // by `offset`, writes `title` centred on the frame's top line, and puts the cursor
  // on the frame's top-left corner. `colours` is "frame colour,title colour".
  // Returns the number of open windows.
  int open(console::Console& con, int top, int left, int bottom, int right,
           std::optional<std::string_view> frame = std::nullopt,
           std::optional<std::string_view> title = std::nullopt,
           std::optional<std::string_view> colours = std::nullopt, int offset = 0);
  // WCLOSEC(): restores the newest window's rectangle and cursor; nothing when none.
  void close(console::Console& con);
  // _WOFFMAX(n): 1 top, 2 left, 3 bottom, 4 right of the newest window's inside
  // (inside the frame and its offset when framed); 0 when no window is open.
  int offmax(int n) const;
  int count() const { return static_cast<int>(windows_.size()); }

 private:
  struct Window {
    int top, left, bottom, right;
    console::Screen::Saved saved;
    bool framed;
    int offset;
    int cursor_row, cursor_col;
  };
  std::vector<Window> windows_;
};

}  // namespace ui
