// The dependant form: one record of the dependants table, opened from the dependants
// browse of a person (ELTARBE).
#pragma once

#include "entry/form_dispatch.h"
#include "entry/form_page.h"

namespace entry {

// DBEDGET for the dependants table: the supporting person's keys (MVKOD, MSZEMSZAM)
// into the buffer, the form with "Eltartó neve : " and the name the person form holds,
// and its read. Esc (confirmed) discards; otherwise the browse stores the record.
FormOutcome dependant_form(Form& form);

// The form's labels and fields in reading order.
const PageSpec& dependant_page();

// The dependant's composed name: family name, given name 1 and given name 2, trimmed,
// a blank between them, padded or cut to `width`.
std::string dependant_name(std::string_view family, std::string_view given1,
                           std::string_view given2, int width);

}  // namespace entry
