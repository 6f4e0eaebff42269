// The uniqueness of a record key while a form is filled in (IDXJO), and the same test
// under the lock when the record is stored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "entry/form.h"

namespace entry {

// "Ez már volt. Nem lehet újra felvinni !" (CP852).
std::string duplicate_message();

// The value of a key text over buffer variables ("Xvkod+Xszemszam+Xnyilat").
xbase::Value key_value(shell::Context& ctx, std::string_view key_text);

// Whether a visible record of `area` other than `except` (0: any) has the key of
// `key_text` in index order `order`. The record pointer and the order are left
// where the seek put them. False when the table has no such index.
bool key_taken(shell::Context& ctx, xbase::WorkArea& area, std::string_view key_text, int order,
               uint32_t except);

// IDXJO: the field's check. True when no other record has the key (`key_text`, by
// default the name of the field being read) in index order `order`; otherwise the
// message in the question box and false, unless the last key was Up (the user may
// always go back). In add mode every record counts as another; in modify mode the
// record the form loaded does not. Afterwards the table is past its last record in
// add mode, on the form's record otherwise, in the order it had, and the cursor is
// where it was.
bool IDXJO(Form& form, std::string_view key_text = "", int order = 1);

}  // namespace entry
