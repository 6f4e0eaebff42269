#include "shell/fminber.h"

#include "xbase/functions.h"

namespace shell {

double FMINBER(std::string_view ev4, std::string_view month) {
  double wage = 232000;
  std::string when = std::string(ev4) + std::string(month);
  if (when >= "202312") wage = 266800;
  return wage;
}

std::string BANBEN(std::string_view year) {
  if (!year.empty() && std::string_view("124579").find(year.back()) != std::string_view::npos)
    return "ben";
  return "ban";
}

double kfogyatek(std::string_view ev4) {
  return xbase::round_half_away(FMINBER(ev4, "01") / 3, -2);
}

}  // namespace shell
