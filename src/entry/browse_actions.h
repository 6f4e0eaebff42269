// The actions of the browse screen that change or search the table: the deletion
// (with a company's persons) and the search by form. Used by browse_screen.cpp.
#pragma once

#include "entry/form.h"

namespace entry {

// T: asks twice and deletes the current record; a company with its persons, under
// the year table's file lock and the company's record lock, taken always in this
// order. True when something was deleted.
bool delete_current(shell::Context& ctx, TableKind kind);

// The search after the criteria were entered: a new search (`first`) from the top,
// a continued one from the current record onward, after it when the criteria were
// not changed. Not found: "Nem található..." (new) or "Nincs több..." (continued,
// and the next search is a new one); the record pointer goes back where it was.
// Found: the next search continues. `first` is updated.
void search_by_form(shell::Context& ctx, bool& first);

}  // namespace entry
