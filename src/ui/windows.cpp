#include "ui/windows.h"

#include <string>

namespace ui {

using console::Console;

int WindowStack::open(Console& con, int top, int left, int bottom, int right,
                      std::optional<std::string_view> frame, std::optional<std::string_view> title,
                      std::optional<std::string_view> colours, int offset) {
  bool framed = frame && !frame->empty();
  windows_.push_back(Window{top, left, bottom, right, con.screen().save(top, left, bottom, right),
                            framed, offset, con.row(), con.col()});
  console::Attr frame_attr = con.attr(console::kStandard);
  console::Attr title_attr = frame_attr;
  if (colours) {
    std::string_view c = *colours;
    std::size_t comma = c.find(',');
    console::Attr a;
    if (console::parse_slot(c.substr(0, comma), a)) frame_attr = title_attr = a;
    if (comma != std::string_view::npos && console::parse_slot(c.substr(comma + 1), a)) title_attr = a;
  }
  con.screen().fill(top, left, bottom, right, ' ', con.attr(console::kStandard));
  int ft = top + offset, fl = left + offset, fb = bottom - offset, fr = right - offset;
  if (framed) con.screen().frame(ft, fl, fb, fr, *frame, frame_attr);
  if (title && !title->empty()) {
    int width = fr - fl + 1;
    int len = static_cast<int>(title->size());
    con.screen().write(ft, fl + (width - len) / 2, *title, title_attr);
  }
  con.set_pos(ft, fl);
  return count();
}

void WindowStack::close(Console& con) {
  if (windows_.empty()) return;
  const Window& w = windows_.back();
  con.screen().restore(w.saved);
  con.set_pos(w.cursor_row, w.cursor_col);
  windows_.pop_back();
}

int WindowStack::offmax(int n) const {
  if (windows_.empty()) return 0;
  const Window& w = windows_.back();
  int in = w.framed ? 1 + w.offset : 0;
  switch (n) {
    case 1: return w.top + in;
    case 2: return w.left + in;
    case 3: return w.bottom - in;
    case 4: return w.right - in;
    default: return 0;
  }
}

}  // namespace ui
