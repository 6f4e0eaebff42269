// A whole number given on the command line of the generators: the whole argument
// must be the number.
#pragma once

#include <charconv>
#include <cstring>

namespace store::demo {

template <class T>
bool parse_number(const char* text, T* out) {
  const char* end = text + std::strlen(text);
  auto [p, ec] = std::from_chars(text, end, *out);
  return ec == std::errc() && p == end;
}

}  // namespace store::demo
