#include "store/tools/demo_random.h"

#include <algorithm>

#include "store/identifiers.h"
#include "store/tools/demo_names.h"

namespace store::demo {

std::string digits(Rng& r, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.below(10));
  return s;
}

std::string num_text(int n, int width) {
  std::string s = std::to_string(n);
  return std::string(static_cast<size_t>(std::max(0, width - static_cast<int>(s.size()))), '0') + s;
}

std::string join_name(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) {
    if (p.empty()) continue;
    if (!s.empty()) s += ' ';
    s += p;
  }
  return s;
}

std::string Identifiers::tax_id(xbase::Date birth) {
  const std::string days = num_text(store::ids::days_since_1867(birth), 5);
  for (;;) {
    std::string id = "8" + days + digits(r_, 3);
    const int check = store::ids::tax_id_check_digit(id);
    if (check < 0) continue;
    id += static_cast<char>('0' + check);
    if (used_.insert(id).second) return id;
  }
}

std::string Identifiers::taj() {
  for (;;) {
    std::string t = std::to_string(r_.range(1, 9)) + digits(r_, 7);
    t += static_cast<char>('0' + store::ids::taj_check_digit(t));
    if (used_.insert(t).second) return t;
  }
}

std::string Identifiers::tax_number() {
  for (;;) {
    std::string t = std::to_string(r_.range(1, 2)) + digits(r_, 6);
    t += static_cast<char>('0' + store::ids::tax_number_check_digit(t));
    static constexpr int kCounties[] = {2, 3, 5, 7, 9, 13, 15, 19, 41, 42, 43, 44};
    t += std::to_string(r_.chance(0.8) ? 2 : r_.range(1, 5));
    t += num_text(kCounties[r_.below(12)], 2);
    if (used_.insert(t).second) return t;
  }
}

Address make_address(Rng& r) {
  Address a;
  const Town& t = r.pick(towns());
  int pc = r.range(t.postcode_low, t.postcode_high);
  a.irszam = num_text(pc, 4);
  a.helyseg = std::string(t.name);
  a.koztnev = std::string(r.pick(street_names()));
  a.kozter = std::string(r.pick(street_kinds()));
  a.hazszam = std::to_string(r.range(1, 180));
  if (r.chance(0.15)) a.hazszam += static_cast<char>('A' + r.below(3));
  if (r.chance(0.35)) {  // a block of flats
    if (r.chance(0.3)) a.epulet = std::string(1, static_cast<char>('A' + r.below(4)));
    if (r.chance(0.4)) a.lepcso = std::to_string(r.range(1, 4));
    a.emelet = r.chance(0.1) ? std::string("fszt") : std::to_string(r.range(1, 10));
    a.ajto = std::to_string(r.range(1, 24));
  }
  return a;
}

std::string street_line(const Address& a) {
  return a.koztnev + " " + a.kozter + " " + a.hazszam + " " + a.epulet + " " + a.lepcso + " " +
         a.emelet + " " + a.ajto;
}

}  // namespace store::demo
