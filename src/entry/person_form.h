// The person form: the six pages of one record of the year table with the bottom
// menu that moves between them and stores.
//
// An existing record is shown page by page, not editable; "Javít" makes the shown
// page editable, "Tárolás" is offered on every page. A new record is read page after
// page and can be stored from page 6 only. Search criteria are taken on page 1 alone.
// All pages edit one set of buffer variables, so values stay while the user moves
// between pages.
#pragma once

#include <string>
#include <vector>

#include "entry/form_dispatch.h"

namespace entry {

// DBEDGET for the year table: the form colour GETSZIN, then DBEDGET2.
FormOutcome person_form(Form& form);

// DBEDGET2: the form run. Returns Discard at once when the selected table is not the
// year table. Esc in the bottom menu leaves at once when the entries are as the form
// got them, and asks "Kilépés tárolás nélkül?" otherwise (always when adding):
// "Nem" goes back to the menu. "Tárolás" computes the certificate's derived amounts
// (SZAMOL) and returns Store.
FormOutcome DBEDGET2(Form& form);

// The items of the bottom menu on `page` of `last`: "Javít", "Következő kép" before
// the last page, "Előző kép" after the first, "Tárolás" on the last page and on every
// page of an existing record. CP852.
std::vector<std::string> person_menu_items(FormMode mode, int page, int last);

}  // namespace entry
