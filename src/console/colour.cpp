#include "console/colour.h"

#include <cctype>
#include <vector>

namespace console {

namespace {

// Colour number of a run of letters; -1 for an unknown letter.
int letters_colour(std::string_view side, bool& underline, bool& blank, bool& inverse) {
  int colour = 0;
  bool seen_digit = false;
  int number = 0;
  for (char ch : side) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    switch (c) {
      case 'n': break;
      case 'b': colour |= 1; break;
      case 'g': colour |= 2; break;
      case 'r': colour |= 4; break;
      case 'w': colour |= 7; break;
      case 'u': underline = true; break;
      case 'x': blank = true; break;
      case 'i': inverse = true; break;
      case ' ': break;
      default:
        if (c >= '0' && c <= '9') {
          seen_digit = true;
          number = number * 10 + (c - '0');
          if (number > 15) return -1;
          break;
        }
        return -1;
    }
  }
  return seen_digit ? number : colour;
}

}  // namespace

bool parse_slot(std::string_view text, Attr& out) {
  bool bright = false, blink = false;
  std::string fg_part, bg_part;
  bool after_slash = false;
  for (char c : text) {
    if (c == '+') bright = true;
    else if (c == '*') blink = true;
    else if (c == '/') after_slash = true;
    else (after_slash ? bg_part : fg_part) += c;
  }
  bool u = false, x = false, inv = false;
  bool bu = false, bx = false, binv = false;
  int fg = letters_colour(fg_part, u, x, inv);
  int bg = letters_colour(bg_part, bu, bx, binv);
  if (fg < 0 || bg < 0) return false;
  if (inv || binv) {  // inverse: black on white
    fg = 0;
    bg = 7;
  }
  if (u) fg = 1;
  if (fg > 7) {  // a number 8-15 is a bright colour
    bright = true;
    fg &= 7;
  }
  bg &= 7;
  if (x) fg = bg;
  out = make_attr(fg | (bright ? kBright : 0), bg, blink);
  return true;
}

Colours apply_colour_string(const Colours& current, std::string_view text) {
  Colours result = current;
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  for (std::size_t i = 0; i < parts.size() && i < 5; ++i) {
    std::string_view p = parts[i];
    while (!p.empty() && p.front() == ' ') p.remove_prefix(1);
    while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
    if (p.empty()) continue;
    Attr a;
    if (parse_slot(p, a)) result.slot[i] = a;
  }
  if (parts.size() < 5) result.slot[kUnselected] = result.slot[kEnhanced];
  return result;
}

std::string slot_string(Attr a) {
  static const char* const kNames[8] = {"N", "B", "G", "BG", "R", "RB", "GR", "W"};
  std::string s = kNames[a & 7];
  if (a & kBright) s += '+';
  s += '/';
  s += kNames[attr_bg(a)];
  if (a & kBlink) s += '*';
  return s;
}

std::string colour_string(const Colours& c) {
  std::string s;
  for (int i = 0; i < 5; ++i) {
    if (i) s += ',';
    s += slot_string(c[i]);
  }
  return s;
}

}  // namespace console
