// The store step of the record forms: the buffer variables written into the form's
// table under the table's file lock.
//
// No lock is held while the user edits; the whole-file lock is taken for the write
// only, and the last writer's values win every field. The record written is the one
// the form loaded (its number is remembered at loading), never "the current record",
// which pick lists and nested browses move. No question is asked while a lock is
// held.
#pragma once

#include <string_view>

#include "entry/form.h"

namespace entry {

enum class StoreResult {
  Stored,      // written; form.recno is the record
  Discarded,   // the user threw the entries away
  BackToForm,  // not written: the form opens again with the entries kept
};

// Stores the buffer of `form` into the selected table: a new record in add mode, the
// form's record otherwise. `unique_key` (an expression over buffer variables, "" for
// none) must not belong to another record in index order `unique_order`; it is
// checked again under the lock, since another workstation may have stored the same
// key since the form checked it.
//
// - File lock given up (Esc in its wait): "Az adatok nincsenek tárolva: az állomány
//   foglalt." with "Újra próbálja" (wait again) or "Vissza az adatokhoz" (BackToForm).
// - The key exists already: "Ez már volt. Nem lehet újra felvinni !" (BackToForm).
// - The form's record was deleted by another workstation meanwhile: "A tételt közben
//   egy másik munkaállomás törölte." with "Újként tárolja" (stored as a new record,
//   the form turns into an adding one) or "Elveti" (Discarded).
StoreResult store_record(Form& form, std::string_view unique_key = "", int unique_order = 1);

}  // namespace entry
