// The table browse (DBEDIT): the records of a work area, one per row, in its
// controlling order, under its filter and SET DELETED, with columns computed from
// the current record.
//
// Keys the browse handles itself:
//   Up Down PgUp PgDn           by record and by page
//   Ctrl+PgUp Ctrl+PgDn         first and last record
//   Left Right                  by column, scrolling sideways when needed
//   Home End                    first and last column on the screen
//   Ctrl+Home Ctrl+End          first and last column
//   Ctrl+Left Ctrl+Right        the view one column sideways
// Without a user function Enter and Esc end the browse and other keys do nothing.
// With one, every other key goes to it in the key-exception mode; it is also called
// when nothing is waiting in the keyboard buffer (idle, or empty table), and when a
// movement runs into the first or the last record. Its answer: 0 ends the browse,
// 1 goes on, 2 reads the records again and repaints (changes by other workstations
// and by the user function itself show up then). The last key is the console's.
//
// The visible columns are centred as a group in the window; the current cell is
// highlighted over its value's width (off while the user function has a key); an
// empty table shows the phantom record. docs/console.md has the whole layout.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/console.h"
#include "xbase/value.h"

namespace xbase {
class WorkArea;
class WorkAreas;
class Variables;
class Functions;
}  // namespace xbase

namespace console {

// Modes of the user function.
enum BrowseMode { kDeIdle = 0, kDeHitTop = 1, kDeHitBottom = 2, kDeEmpty = 3, kDeException = 4 };
// Its answers.
enum BrowseAnswer { kDeAbort = 0, kDeContinue = 1, kDeRefresh = 2 };

struct BrowseColumn {
  std::string heading;                   // CP852; ";" splits it into lines
  std::string picture;                   // "" for none
  std::function<xbase::Value()> value;   // evaluated on the current record
};

struct BrowseOptions {
  std::optional<std::string> heading_sep;  // default "═"; "" for none
  std::optional<std::string> column_sep;   // default " │ "; "" joins the columns
  // (mode, current column from 1) → BrowseAnswer.
  std::function<int(int mode, int column)> user;
};

// Columns from expression texts as a browse is given them: the lists end at the
// first empty expression; pictures and headings may be shorter. Without headings
// (`headings` null) a column's heading is its expression text. The expressions are
// evaluated on the area selected now, with memory variables from `vars`. Throws
// ErrorException for an expression that does not compile.
std::vector<BrowseColumn> browse_columns(xbase::WorkAreas& areas, const std::vector<std::string>& exprs,
                                         const std::vector<std::string>& pictures,
                                         const std::vector<std::string>* headings,
                                         xbase::Variables* vars = nullptr,
                                         const xbase::Functions* app = nullptr);

// Browses `area` in the rectangle (inclusive) until the user function or the keys
// end it; the area stays on the record the cursor was on.
void dbedit(Console& con, xbase::WorkArea& area, int top, int left, int bottom, int right,
            std::vector<BrowseColumn> columns, const BrowseOptions& options = {});

}  // namespace console
