#include "xbase/collation.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace xbase::collation {
namespace {

struct Tables {
  std::array<unsigned char, 256> weight{};
  std::array<unsigned char, 256> unweight{};
};

// Bytes below 'A' in byte order; the capitals, each followed by its accented forms;
// 5B-60; the small letters likewise; 7B-7F; then every byte not placed yet, in byte order.
constexpr Tables make_tables() {
  Tables t;
  std::array<bool, 256> placed{};
  int next = 0;
  auto place = [&](int b) {
    t.weight[b] = static_cast<unsigned char>(next);
    t.unweight[next] = static_cast<unsigned char>(b);
    ++next;
    placed[b] = true;
  };
  auto letters = [&](int first, const unsigned char (*accents)[2]) {
    for (int b = first; b < first + 26; ++b) {
      place(b);
      for (int k = 0; accents[k][0]; ++k)
        if (accents[k][0] == b) place(accents[k][1]);
    }
  };
  constexpr unsigned char capitals[][2] = {{'A', 0xB5}, {'A', 0x8E}, {'E', 0x90}, {'I', 0xD6},
                                           {'O', 0xE0}, {'O', 0x99}, {'O', 0x8A}, {'U', 0xE9},
                                           {'U', 0x9A}, {'U', 0xEB}, {0, 0}};
  constexpr unsigned char smalls[][2] = {{'a', 0xA0}, {'a', 0x84}, {'e', 0x82}, {'i', 0xA1},
                                         {'o', 0xA2}, {'o', 0x94}, {'o', 0x8B}, {'u', 0xA3},
                                         {'u', 0x81}, {'u', 0xFB}, {0, 0}};
  for (int b = 0; b < 'A'; ++b) place(b);
  letters('A', capitals);
  for (int b = 0x5B; b <= 0x60; ++b) place(b);
  letters('a', smalls);
  for (int b = 0x7B; b <= 0x7F; ++b) place(b);
  for (int b = 0x80; b < 256; ++b)
    if (!placed[b]) place(b);
  return t;
}

constexpr Tables kTables = make_tables();

}  // namespace

const std::array<unsigned char, 256>& weight() { return kTables.weight; }
const std::array<unsigned char, 256>& unweight() { return kTables.unweight; }

int compare(std::string_view a, std::string_view b) {
  // The weights are a permutation: the first byte where the weights differ is the first
  // byte that differs, found eight bytes at a time.
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) {
      i += static_cast<std::size_t>(
          std::endian::native == std::endian::little ? std::countr_zero(x ^ y) / 8 : std::countl_zero(x ^ y) / 8);
      break;
    }
  }
  for (; i < n; ++i) {
    unsigned char wa = kTables.weight[static_cast<unsigned char>(a[i])];
    unsigned char wb = kTables.weight[static_cast<unsigned char>(b[i])];
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void to_weights_inplace(char* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    bytes[i] = static_cast<char>(kTables.weight[static_cast<unsigned char>(bytes[i])]);
}

std::string to_weights(std::string_view key) {
  std::string out(key);
  to_weights_inplace(out.data(), out.size());
  return out;
}

std::string from_weights(std::string_view weights) {
  std::string out(weights);
  for (char& c : out) c = static_cast<char>(kTables.unweight[static_cast<unsigned char>(c)]);
  return out;
}

std::string key_char(std::string_view text, std::size_t size) {
  std::string out(text.substr(0, size));
  out.resize(size, ' ');
  return out;
}

// STR(value, size, decimals): right-aligned, rounded half away from zero, asterisks
// when the number does not fit.
static std::string str_fixed(double value, std::size_t size, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;
  double scale = std::pow(10.0, decimals);
  double r = std::round(value * scale) / scale;
  if (!std::isfinite(r)) return std::string(size, '*');
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf) return std::string(size, '*');
  std::string s(buf, static_cast<std::size_t>(n));
  if (s == "-0" || (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos))
    s.erase(0, 1);  // -0.00 prints as 0.00
  if (s.size() > size) return std::string(size, '*');
  return std::string(size - s.size(), ' ') + s;
}

std::string key_num(double value, std::size_t size, int decimals) {
  std::string s = str_fixed(value, size, decimals);
  bool negative = s.find('-') != std::string::npos;
  for (char& c : s) {
    if (c == ' ') c = '0';
    else break;
  }
  if (negative) {
    // The minus sign becomes a zero, then every digit d becomes 0x2C - d, so that a
    // larger magnitude sorts lower and every negative key sorts below "0…".
    for (char& c : s) {
      if (c == '-') c = '0';
      if (c >= '0' && c <= '9') c = static_cast<char>(0x2C - (c - '0'));
    }
  }
  return s;
}

double num_of_key(std::string_view key) {
  std::string s(key);
  bool negative = false;
  for (char c : s)
    if (c >= 0x23 && c <= 0x2C) negative = true;
  if (negative)
    for (char& c : s)
      if (c >= 0x23 && c <= 0x2C) c = static_cast<char>('0' + (0x2C - c));
  double v = std::strtod(s.c_str(), nullptr);
  return negative ? -v : v;
}

std::string key_date(Date d) { return d.dtos(); }

std::string key_logical(bool b) { return b ? "T" : "F"; }

std::string key_of(const Value& v, std::size_t size, int decimals) {
  switch (v.type()) {
    case Type::Character: return key_char(v.as_str(), size);
    case Type::Numeric: return key_num(v.as_num(), size, decimals);
    case Type::Date: return key_char(key_date(v.as_date()), size);
    case Type::Logical: return key_char(key_logical(v.as_logical()), size);
    default: return std::string(size, ' ');
  }
}

}  // namespace xbase::collation
