#include "entry/help_box.h"

#include <algorithm>

#include "console/colour.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

console::Attr slot_attr(std::string_view text, console::Attr fallback) {
  console::Attr a = fallback;
  console::parse_slot(text, a);
  return a;
}

}  // namespace

bool HelpBox::show(console::Console& con, const std::vector<std::string>& lines, int row, int col,
                   std::string_view box_colour, std::string_view text_colour) {
  if (box_colour.empty()) box_colour = con.is_colour() ? "g,n/g" : "g,n/w";
  if (text_colour.empty()) text_colour = "gr";
  std::size_t comma = box_colour.find(',');
  console::Attr frame = slot_attr(box_colour.substr(0, comma), con.attr());
  console::Attr title =
      comma == std::string_view::npos ? frame : slot_attr(box_colour.substr(comma + 1), frame);
  console::Attr text = slot_attr(text_colour, con.attr());

  int longest = 0;
  for (const auto& l : lines) longest = std::max(longest, static_cast<int>(l.size()));
  const int w = longest + 4;
  if (col + w > 79) col = 78 - w;
  const int n = static_cast<int>(lines.size());
  saved_ = con.screen().save(row, col, row + n, col + w);
  open_ = true;
  con.screen().frame(row, col, row + n, col + w, std::string(HU("┌─┐│┘─└│")) + " ", frame);
  if (!lines.empty() && !lines[0].empty())
    con.screen().write(row, col + 1, xbase::padc(lines[0], w - 1), title);
  for (int i = 1; i < n; ++i) con.screen().write(row + i, col + 2, lines[static_cast<std::size_t>(i)], text);
  return true;
}

bool HelpBox::remove(console::Console& con) {
  if (open_) con.screen().restore(saved_);
  open_ = false;
  return true;
}

bool GET_MESS(HelpBox& box, console::Console& con, std::string_view mode,
              const std::vector<std::string>& lines, int row, int col, std::string_view box_colour,
              std::string_view text_colour) {
  if (mode.empty() || mode == "be") return box.show(con, lines, row, col, box_colour, text_colour);
  return box.remove(con);
}

}  // namespace entry
