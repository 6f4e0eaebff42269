// The company pick list UGYFELVAL: the companies of "vallal" in code order with
// their mark, with which the payroll takeover chooses the companies to take over.
//
//   Space   marks or unmarks the company under the cursor
//   M       marks every company
//   T       asks for a first and a last code and marks the companies between them
//           (the marks made before stay)
//   K       ends the list; Esc ends it too, and the caller takes it as cancelling
//
// The mark is the company's FLAG field: "■" marked, " " not marked. The list clears
// every mark before it opens; afterwards the marked companies are the chosen ones.
#pragma once

#include <string>

#include "shell/context.h"
#include "xbase/workarea.h"

namespace certs {

// The mark of a chosen company (CP852 0xFE).
inline constexpr char kCompanyMark = '\xFE';

// UGYFELVAL(top, left, bottom, right): the list in a single-framed window with these
// corners, titled "Ügyfél kiválasztás". The company table (alias VALLAL) must be open
// for writing; its marks are written without locks, so the caller holds it
// exclusively. The company table's record position, the selected work area and the
// colour are the caller's again afterwards; the last key tells how the list ended
// ("K" or Esc). Returns true.
bool UGYFELVAL(shell::Context& ctx, int top, int left, int bottom, int right);

// The marks the list sets, for a caller that chooses without the list (the company
// table's work area; the marks made before stay): every company, as "M" marks them;
// the companies with codes from `from` to `to`, each filled with leading zeros, as
// "T" marks them; no company, as the list opens.
void mark_all(xbase::WorkArea& vallal);
void mark_between(xbase::WorkArea& vallal, std::string from, std::string to);
void clear_marks(xbase::WorkArea& vallal);

// UGYFELVFN(mode, column): the list's key handler under the browse's protocol
// (0 ends the browse, 1 goes on, 2 redraws). Works on the selected work area.
int UGYFELVFN(shell::Context& ctx, int mode, int column);

}  // namespace certs
