#include "certs/szamol.h"

#include <cmath>
#include <string>
#include <utility>

namespace certs {
namespace {

int64_t buffer_amount(const xbase::Variables& vars, const char* field) {
  const xbase::Value* v = vars.find(std::string("X") + field);
  if (!v || !v->is_num()) return 0;
  return static_cast<int64_t>(std::llround(v->as_num()));
}

}  // namespace

DerivedAmounts compute_derived_amounts(const xbase::Variables& vars) {
  auto x = [&](const char* field) { return buffer_amount(vars, field); };
  DerivedAmounts d;
  d.KMVKTGJOV = x("MVKTGTER") - x("MVKTGBIZN");
  d.KKULSZOLG = x("KULSZOLG") - x("KULSZBIZN");
  d.KKTGJOV = x("KTGTELJES") - x("KTGBIZNEL");
  d.KONALLJOV = x("ONALLOTEV") - x("ONALLKTG");
  d.KINGBERJOV = x("INGBERBE") - x("INGBERKTG");
  d.KEGYEBJOGC = x("EGYEBJOGC") - x("EGYEBJKTG");
  d.KKULFEJOV = x("KULFEGYEZ") - x("KULFEKTG");
  d.KKULFHJOV = x("KULFHIANY") - x("KULFHKTG");
  // Rows 8 to 12 break row 7 down and are not added again.
  d.KOSSZJOV = x("JOVEDELEM") + d.KKULSZOLG + d.KMVKTGJOV + x("MASBERJOV") + x("NEMONALLO") +
               d.KKTGJOV + d.KONALLJOV + d.KEGYEBJOGC + d.KKULFEJOV + d.KKULFHJOV;
  d.KELOLEG = x("ELOLEG");
  d.KKULALAP = x("ARFNYERP") + x("OSZT16P") + x("PRIVLIZP") + x("KIVONTP") + x("EGYFORRP");
  d.KKULJOVLEV = x("ARFNYERL") + x("OSZT16L") + x("PRIVLIZL") + x("KIVONTL") + x("EGYFORRL");
  d.KELSOHAZ30 = x("ELSOHAZ30");
  d.KGYERK30 = x("GYERK30");
  return d;
}

DerivedAmounts SZAMOL(xbase::Variables& vars) {
  DerivedAmounts d = compute_derived_amounts(vars);
  const std::pair<const char*, int64_t> publics[] = {
      {"KMVKTGJOV", d.KMVKTGJOV},   {"KKULSZOLG", d.KKULSZOLG},   {"KKTGJOV", d.KKTGJOV},
      {"KONALLJOV", d.KONALLJOV},   {"KINGBERJOV", d.KINGBERJOV}, {"KEGYEBJOGC", d.KEGYEBJOGC},
      {"KKULFEJOV", d.KKULFEJOV},   {"KKULFHJOV", d.KKULFHJOV},   {"KOSSZJOV", d.KOSSZJOV},
      {"KELOLEG", d.KELOLEG},       {"KKULALAP", d.KKULALAP},     {"KKULJOVLEV", d.KKULJOVLEV},
      {"KELSOHAZ30", d.KELSOHAZ30}, {"KGYERK30", d.KGYERK30}};
  for (const auto& [name, amount] : publics) {
    vars.make_public(name);
    vars.assign(name, xbase::Value::num(static_cast<double>(amount)));
  }
  return d;
}

}  // namespace certs
