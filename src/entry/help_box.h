// The field help box (GET_MESS): a small framed box of lines that a field shows while
// the cursor is in it. A field's entry condition shows it, its check removes it.
//
//   HelpBox box;
//   field.when = [&](auto&) { return box.show(con, {"Érvényesítés", "1 - egyedül"}, 12, 50); };
//   field.valid = [&](auto&) { … ; return box.remove(con) && ok; };
//
// One box is open at a time per HelpBox: showing a second without removing the first
// loses what the first one covered.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/screen.h"

namespace entry {

class HelpBox {
 public:
  // Shows `lines` (the first is the title, "" for none) in a box whose top-left
  // corner is at row, column: as wide as the longest line + 4 (moved left to end at
  // column 78 when it would pass column 79), one row per line plus the bottom edge.
  // `box_colour` is "frame colour,title colour" (default "g,n/g", monochrome
  // "g,n/w"), `text_colour` that of the lines (default "gr"). Returns true.
  bool show(console::Console& con, const std::vector<std::string>& lines, int row, int col,
            std::string_view box_colour = "", std::string_view text_colour = "");
  // Puts back what the box covered. Returns true.
  bool remove(console::Console& con);

 private:
  console::Screen::Saved saved_;
  bool open_ = false;
};

// GET_MESS(mode, lines, row, column, box colour, text colour): "be" (or "") shows the
// box, any other mode removes the last one shown. Returns true, so that it can end a
// field's check.
bool GET_MESS(HelpBox& box, console::Console& con, std::string_view mode,
              const std::vector<std::string>& lines = {}, int row = 0, int col = 0,
              std::string_view box_colour = "", std::string_view text_colour = "");

}  // namespace entry
