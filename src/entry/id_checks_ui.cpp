#include "entry/id_checks_ui.h"

#include "store/identifiers.h"
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

Verdict tax_id_verdict(std::string_view id, std::string_view prefix) {
  return unless(ids::tax_id_valid(id), tax_id_message(prefix), true);
}

Verdict tax_number_verdict(std::string_view number, std::string_view prefix) {
  return unless(ids::tax_number_valid(number), tax_number_message(prefix), true);
}

Verdict company_id_verdict(std::string_view value, std::string_view prefix) {
  switch (ids::company_id_kind(value)) {
    case ids::CompanyIdKind::TaxNumber: return tax_number_verdict(value, prefix);
    case ids::CompanyIdKind::TaxId: return tax_id_verdict(value.substr(0, 10), prefix);
    case ids::CompanyIdKind::WrongLength: break;
  }
  return refused(company_id_message(prefix), true);
}

Verdict taj_verdict(std::string_view number) {
  switch (ids::check_taj(number)) {
    case ids::TajResult::Valid: return {};
    case ids::TajResult::WrongLength: return refused(std::string(HU("a TAJ-szám 9 számjegyű")));
    case ids::TajResult::Invalid: break;
  }
  return refused(std::string(HU("Hibás TAJ-szám!")), true);
}

bool SZEMSZAM(console::Console& con, std::string_view id, std::string_view prefix) {
  return accepted(con, tax_id_verdict(id, prefix));
}

bool JOADOSZAM(console::Console& con, std::string_view number, std::string_view prefix) {
  return accepted(con, tax_number_verdict(number, prefix));
}

bool JOCEG(console::Console& con, std::string_view value, std::string_view prefix) {
  return accepted(con, company_id_verdict(value, prefix));
}

bool TAJELLEN(console::Console& con, std::string_view number) {
  return accepted(con, taj_verdict(number));
}

xbase::Date SZULIDO(std::string_view id) { return ids::birth_date_of(id); }

bool JOBBZERO(std::string& value) {
  value = ids::zero_fill(value);
  return true;
}

}  // namespace entry
