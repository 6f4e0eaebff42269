// The identifier checks of the forms: each runs when the user leaves its field,
// shows its message in the question box with a single "OK" button, and returns
// whether the value is accepted. The rules themselves are pure functions in
// store/identifiers.h, where the data generators use them too; the verdicts below
// are the checks without the question box, as the data check gives them.
#pragma once

#include <string>
#include <string_view>

#include "console/console.h"
#include "entry/field_rules.h"
#include "xbase/date.h"

namespace entry {

// Tax identifier; message: prefix + " Hibás adóazonosító!" (trimmed).
bool SZEMSZAM(console::Console& con, std::string_view id, std::string_view prefix = "");
// Tax number; message: prefix + " Hibás adószám!" (trimmed).
bool JOADOSZAM(console::Console& con, std::string_view number, std::string_view prefix = "");
// Company identifier: 11 characters the tax number, 10 the tax identifier (first ten
// characters), any other length prefix + " Hibás adószám/adóazonosító" (trimmed).
bool JOCEG(console::Console& con, std::string_view value, std::string_view prefix = "");
// TAJ number: empty or valid; a wrong length is refused without a message, a wrong
// number with "Hibás TAJ-szám!".
bool TAJELLEN(console::Console& con, std::string_view number);
// The birth date held in a tax identifier; the empty date for an empty one.
xbase::Date SZULIDO(std::string_view id);
// Zero fills a code kept in a text variable ("1" -> "001"); always true.
bool JOBBZERO(std::string& value);

// The verdicts of SZEMSZAM, JOADOSZAM, JOCEG and TAJELLEN (messages shown).
Verdict tax_id_verdict(std::string_view id, std::string_view prefix = "");
Verdict tax_number_verdict(std::string_view number, std::string_view prefix = "");
Verdict company_id_verdict(std::string_view value, std::string_view prefix = "");
Verdict taj_verdict(std::string_view number);

// The message texts (CP852), composed as the checks show them.
std::string tax_id_message(std::string_view prefix);
std::string tax_number_message(std::string_view prefix);
std::string company_id_message(std::string_view prefix);

}  // namespace entry
