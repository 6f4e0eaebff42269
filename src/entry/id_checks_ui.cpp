#include "entry/id_checks_ui.h"

#include "store/identifiers.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

namespace entry {

namespace ids = store::ids;

namespace {

// prefix, a blank and the text, with the blanks around the whole removed.
std::string with_prefix(std::string_view prefix, std::string_view text) {
  std::string s = std::string(prefix) + " " + std::string(text);
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  const size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

bool refuse(console::Console& con, std::string_view message) {
  ui::kerdez(con, message, {"OK"});
  return false;
}

}  // namespace

std::string tax_id_message(std::string_view prefix) {
  return with_prefix(prefix, HU("Hibás adóazonosító!"));
}
std::string tax_number_message(std::string_view prefix) {
  return with_prefix(prefix, HU("Hibás adószám!"));
}
std::string company_id_message(std::string_view prefix) {
  return with_prefix(prefix, HU("Hibás adószám/adóazonosító"));
}

bool SZEMSZAM(console::Console& con, std::string_view id, std::string_view prefix) {
  if (ids::tax_id_valid(id)) return true;
  return refuse(con, tax_id_message(prefix));
}

bool JOADOSZAM(console::Console& con, std::string_view number, std::string_view prefix) {
  if (ids::tax_number_valid(number)) return true;
  return refuse(con, tax_number_message(prefix));
}

bool JOCEG(console::Console& con, std::string_view value, std::string_view prefix) {
  switch (ids::company_id_kind(value)) {
    case ids::CompanyIdKind::TaxNumber: return JOADOSZAM(con, value, prefix);
    case ids::CompanyIdKind::TaxId: return SZEMSZAM(con, value.substr(0, 10), prefix);
    case ids::CompanyIdKind::WrongLength: break;
  }
  return refuse(con, company_id_message(prefix));
}

bool TAJELLEN(console::Console& con, std::string_view number) {
  switch (ids::check_taj(number)) {
    case ids::TajResult::Valid: return true;
    case ids::TajResult::WrongLength: return false;
    case ids::TajResult::Invalid: break;
  }
  return refuse(con, HU("Hibás TAJ-szám!"));
}

xbase::Date SZULIDO(std::string_view id) { return ids::birth_date_of(id); }

bool JOBBZERO(std::string& value) {
  value = ids::zero_fill(value);
  return true;
}

}  // namespace entry
