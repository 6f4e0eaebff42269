// DBEDGET: the form of the selected table, chosen by its alias. The company form
// draws itself and places its fields in the screen's pending field list (the browse
// then reads them); the person form with its pages and the dependant form run their
// read themselves. The browse stores or searches by the outcome.
#pragma once

#include <string>

#include "entry/form.h"

namespace entry {

enum class FormOutcome {
  FieldsPlaced,  // the browse reads the pending fields; Esc there discards
  Store,         // the entries are to be stored
  Discard,       // nothing is stored
  Search,        // the entries are search criteria
};

FormOutcome DBEDGET(Form& form);

// The key of a record that no other record of the table may have, as an expression
// over buffer variables, and its index order; "" when the table has none.
struct UniqueKey {
  std::string text;
  int order = 1;
};
UniqueKey unique_key(TableKind kind);

}  // namespace entry
