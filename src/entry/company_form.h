// The company form: code, name, representative, seat and mailing address, tax
// numbers, telephone and clerk of one record of the company table.
#pragma once

#include <vector>

#include "entry/field_rules.h"
#include "entry/form.h"
#include "entry/form_page.h"

namespace entry {

// DBEDGET for the company table: draws the form and places its fields in the
// screen's pending field list. In modify mode the code is shown, not edited.
void company_form(Form& form);

// The form's fields in reading order, with their rules (the code first: in modify
// mode it is shown, not edited).
const std::vector<FieldSpec>& company_fields();

// The rules of the kinds of public space and of the tax numbers: a kind in the
// public-space table and not "postafiók" (an empty one only when `may_be_empty`);
// JOCEG (an empty one only when `may_be_empty`).
Verdict public_space_kind_verdict(const RuleValues& values, std::string_view kind,
                                  bool may_be_empty);
Verdict company_tax_id_verdict(std::string_view value, bool may_be_empty);

// The checks of the form's fields, for its tests and for the other forms.
// A kind of public space: in the public-space table and not "postafiók"; an empty
// one only when `may_be_empty`.
bool public_space_kind_ok(shell::Context& ctx, std::string_view kind, bool may_be_empty);
// A tax number or a private payer's tax identifier (JOCEG); an empty one only when
// `may_be_empty`.
bool company_tax_id_ok(shell::Context& ctx, std::string_view value, bool may_be_empty);

}  // namespace entry
