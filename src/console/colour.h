// Colour strings of the runtime: "gr+/b", "w/n,i,n,n,w+/n".
// An attribute is the PC text-screen byte: bits 0-2 foreground, bit 3 bright
// foreground, bits 4-6 background, bit 7 blink.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace console {

using Attr = std::uint8_t;

inline constexpr Attr kBright = 0x08;
inline constexpr Attr kBlink = 0x80;

constexpr int attr_fg(Attr a) { return a & 0x0F; }         // 0-15, bright included
constexpr int attr_bg(Attr a) { return (a >> 4) & 0x07; }  // 0-7
constexpr bool attr_blink(Attr a) { return (a & kBlink) != 0; }
constexpr Attr make_attr(int fg, int bg, bool blink = false) {
  return static_cast<Attr>((fg & 0x0F) | ((bg & 0x07) << 4) | (blink ? kBlink : 0));
}

// The five slots of a colour string, in the order the string lists them.
enum Slot : int { kStandard = 0, kEnhanced = 1, kBorder = 2, kBackground = 3, kUnselected = 4 };

struct Colours {
  // The runtime's start-up colours "W/N,N/W,N/N,N/N,N/W".
  std::array<Attr, 5> slot{0x07, 0x70, 0x00, 0x00, 0x70};
  Attr operator[](int s) const { return slot[static_cast<std::size_t>(s)]; }
  bool operator==(const Colours&) const = default;
};

// One slot ("w+/b", "N/GR", "i", "w/n*", "+w/n"): colour letters n b g bg r rb gr w
// (any case, any order: "gr" and "rg" are brown), u (underline: blue on a colour
// screen), x (blank: the background colour also as foreground), i (inverse, black on
// white), or a number 0-15; "+" bright and "*" blink on either side of the slash.
// A side that is missing is black. Returns false on an unknown character.
bool parse_slot(std::string_view text, Attr& out);

// Applies a colour string to `current` as SETCOLOR() does: a slot that is empty or
// not given keeps its value, except that an unselected slot not given follows the
// enhanced one. Unknown slots are left as they were.
Colours apply_colour_string(const Colours& current, std::string_view text);

// The colour string SETCOLOR() returns: "W/N,N/W,N/N,N/N,N/W", "GR+/B*".
std::string colour_string(const Colours& c);
std::string slot_string(Attr a);

}  // namespace console
