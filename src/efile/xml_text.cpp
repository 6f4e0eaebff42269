#include "efile/xml_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "print/text_convert.h"
#include "support/helpers.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace efile {

std::string XMLSZUR(std::string_view cp852) {
  std::string out;
  out.reserve(cp852.size() + 8);
  for (char ch : cp852) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (static_cast<unsigned char>(ch) >= 32) out += ch;
    }
  }
  return out;
}

std::string text_value(std::string_view cp852) {
  return print::k852win(XMLSZUR(xbase::alltrim(cp852)));
}

std::string number_value(double value, bool zero_written) {
  if (value == 0 && !zero_written) return {};
  // A whole number that fits 11 characters: the digits LSTR(value, 11) gives,
  // without its detour through the runtime's STR (the files hold a million of them).
  if (value == std::trunc(value) && std::fabs(value) < 1e10) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    return std::string(buf, r.ptr);
  }
  return support::LSTR(value, 11);
}

std::string date_value(xbase::Date d) { return d.empty() ? std::string() : d.dtos(); }

std::string CEGNEVTISZ(std::string_view nev) {
  std::string s;
  for (char ch : xbase::rtrim(nev))
    if (ch != '.') s += ch;
  if (s.size() > 15) s.resize(15);
  std::string out;
  for (char ch : s) {
    switch (ch) {
      case '/': case '\\': case '\'': case '"': break;
      case '&': out += HU("és"); break;
      case ' ': out += '_'; break;
      default: out += ch;
    }
  }
  return out;
}

std::string xml_file_name(std::string_view ev, int db, std::string_view nev) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", db);
  return std::string(ev) + "M30_" + number + "_" + CEGNEVTISZ(nev) + ".xml";
}

}  // namespace efile
