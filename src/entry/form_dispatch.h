// DBEDGET: the form of the selected table, chosen by its alias. The company and
// dependant forms draw themselves and place their fields in the screen's pending
// field list (the browse then reads and stores them); the person form runs its whole
// read itself.
#pragma once

#include <string>

#include "entry/form.h"

namespace entry {

void DBEDGET(Form& form);

// Whether the form of `kind` runs its read itself (the person form, with its pages).
bool form_runs_own_read(TableKind kind);

// The key of a record that no other record of the table may have, as an expression
// over buffer variables, and its index order; "" when the table has none.
struct UniqueKey {
  std::string text;
  int order = 1;
};
UniqueKey unique_key(TableKind kind);

}  // namespace entry
