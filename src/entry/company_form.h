// The company form: code, name, representative, seat and mailing address, tax
// numbers, telephone and clerk of one record of the company table.
#pragma once

#include "entry/form.h"

namespace entry {

// DBEDGET for the company table: draws the form and places its fields in the
// screen's pending field list. In modify mode the code is shown, not edited.
void company_form(Form& form);

// The checks of the form's fields, for its tests and for the other forms.
// A kind of public space: in the public-space table and not "postafiók"; an empty
// one only when `may_be_empty`.
bool public_space_kind_ok(shell::Context& ctx, std::string_view kind, bool may_be_empty);
// A tax number or a private payer's tax identifier (JOCEG); an empty one only when
// `may_be_empty`.
bool company_tax_id_ok(shell::Context& ctx, std::string_view value, bool may_be_empty);

}  // namespace entry
