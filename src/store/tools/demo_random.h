// The random parts of demonstration and test data, the same from the same seed on
// every platform: the number generator, identifiers with correct check digits,
// Hungarian addresses and the helpers that format them (CP852).
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "xbase/date.h"

namespace store::demo {

// splitmix64: the same numbers from the same seed on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }
  int range(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }
  template <class T>
  const T& pick(std::span<const T> items) {
    return items[static_cast<size_t>(below(static_cast<int>(items.size())))];
  }
  // A whole-forint amount between lo and hi, rounded to hundreds.
  double amount(int lo, int hi) { return std::round(range(lo, hi) / 100.0) * 100.0; }

 private:
  uint64_t s_;
};

// `n` random digits.
std::string digits(Rng& r, int n);
// `n` with leading zeros to `width`.
std::string num_text(int n, int width);
// The non-empty parts with one blank between them.
std::string join_name(std::initializer_list<std::string_view> parts);

// Identifiers, each unique within what one generator makes.
class Identifiers {
 public:
  explicit Identifiers(Rng& r) : r_(r) {}
  // Tax identifier of a private person born on `birth`.
  std::string tax_id(xbase::Date birth);
  std::string taj();
  std::string tax_number();

 private:
  Rng& r_;
  std::unordered_set<std::string> used_;
};

struct Address {
  std::string irszam, helyseg, koztnev, kozter, hazszam, epulet, lepcso, emelet, ajto;
};

Address make_address(Rng& r);

// The street line as the address window composes it: the seven parts with a blank
// between each two, empty parts leaving their blanks.
std::string street_line(const Address& a);

}  // namespace store::demo
