// Colour strings and terminal key sequences, as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/colour.h"
#include "console/keydecode.h"
#include "console/keys.h"
#include "xbase/hutext.h"

namespace {

using namespace console;

TEST(Colour, SlotStrings) {
  struct Case {
    const char* text;
    int attr;
  };
  const std::vector<Case> cases = {
      {"gr+/b", 0x1E},  {"GR+/B", 0x1E}, {"+gr/b", 0x1E},  {"w+*/n", 0x8F}, {"w/n*", 0x87},
      {"w+/n*", 0x8F},  {"n/bg", 0x30},  {"N/BG", 0x30},   {"bg+/n", 0x0B}, {"n+/bg", 0x38},
      {"rg/b", 0x16},   {"rb/w", 0x75},  {"i", 0x70},      {"I", 0x70},     {"w+", 0x0F},
      {"/b", 0x10},     {"g/n", 0x02},   {"g+/gr", 0x6A},  {"x/b", 0x11},   {"u/n", 0x01},
      {"15/1", 0x1F},   {"7/0", 0x07},   {"w / b", 0x17},
  };
  for (const auto& c : cases) {
    Attr a = 0xEE;
    ASSERT_TRUE(parse_slot(c.text, a)) << c.text;
    EXPECT_EQ(a, c.attr) << c.text;
  }
  Attr a;
  EXPECT_FALSE(parse_slot("q/n", a));
  EXPECT_FALSE(parse_slot("w/99", a));
}

TEST(Colour, StringsFillSlotsAsTheRuntimeDoes) {
  Colours start;  // W/N,N/W,N/N,N/N,N/W
  EXPECT_EQ(colour_string(start), "W/N,N/W,N/N,N/N,N/W");

  // One slot: the others stay, and the unselected slot follows the enhanced one.
  Colours c = apply_colour_string(start, "gr+/b");
  EXPECT_EQ(colour_string(c), "GR+/B,N/W,N/N,N/N,N/W");

  // Empty slots keep their value; a given unselected slot is taken.
  Colours prev = apply_colour_string(start, "w/n,w/n,r/n,g/n,w/n");
  c = apply_colour_string(prev, "n/bg,bg+/n,,,n+/bg");
  EXPECT_EQ(colour_string(c), "N/BG,BG+/N,R/N,G/N,N+/BG");

  c = apply_colour_string(start, "w/n,i,n,n,w+/n");
  EXPECT_EQ(colour_string(c), "W/N,N/W,N/N,N/N,W+/N");

  // Four slots: unselected follows enhanced.
  c = apply_colour_string(prev, "g/n,g+/gr,n,n");
  EXPECT_EQ(c[kUnselected], 0x6A);
  c = apply_colour_string(prev, "n/bg,n/bg,bg,bg");
  EXPECT_EQ(colour_string(c), "N/BG,N/BG,BG/N,BG/N,N/BG");
  c = apply_colour_string(start, "I,W/N");
  EXPECT_EQ(c[kStandard], 0x70);
  EXPECT_EQ(c[kEnhanced], 0x07);
  EXPECT_EQ(slot_string(0x8F), "W+/N*");
  // An unknown slot leaves the old value.
  c = apply_colour_string(prev, "zz,g/n");
  EXPECT_EQ(c[kStandard], prev[kStandard]);
  EXPECT_EQ(c[kEnhanced], 0x02);
}

struct KeyCase {
  const char* name;
  std::string bytes;
  int code;
  int shift;
};

std::vector<KeyEvent> decode(std::string_view bytes) {
  KeyDecoder d;
  d.feed(bytes);
  std::vector<KeyEvent> out;
  while (auto k = d.next(true)) out.push_back(*k);
  return out;
}

TEST(Keys, TerminalSequencesToRuntimeCodes) {
  const int C = key::kShiftBitCtrl, A = key::kShiftBitAlt, S = key::kShiftBitShift;
  const std::vector<KeyCase> cases = {
      // xterm / tmux
      {"Up", "\x1b[A", 5, 0},           {"Down", "\x1b[B", 24, 0},
      {"Right", "\x1b[C", 4, 0},        {"Left", "\x1b[D", 19, 0},
      {"Up app", "\x1bOA", 5, 0},       {"Home", "\x1b[H", 1, 0},
      {"End", "\x1b[F", 6, 0},          {"Home app", "\x1bOH", 1, 0},
      {"Home vt", "\x1b[1~", 1, 0},     {"End vt", "\x1b[4~", 6, 0},
      {"Home rxvt", "\x1b[7~", 1, 0},   {"Ins", "\x1b[2~", 22, 0},
      {"Del", "\x1b[3~", 7, 0},         {"PgUp", "\x1b[5~", 18, 0},
      {"PgDn", "\x1b[6~", 3, 0},        {"F1", "\x1bOP", 28, 0},
      {"F2", "\x1bOQ", -1, 0},          {"F4", "\x1bOS", -3, 0},
      {"F5", "\x1b[15~", -4, 0},        {"F6", "\x1b[17~", -5, 0},
      {"F10", "\x1b[21~", -9, 0},       {"F11", "\x1b[23~", -40, 0},
      {"F12", "\x1b[24~", -41, 0},      {"Shift+F1", "\x1b[1;2P", -10, S},
      {"Ctrl+F2", "\x1b[1;5Q", -21, C}, {"Alt+F10", "\x1b[21;3~", -39, A},
      {"Shift+Tab", "\x1b[Z", 271, S},  {"Ctrl+PgUp", "\x1b[5;5~", 31, C},
      {"Ctrl+PgDn", "\x1b[6;5~", 30, C}, {"Ctrl+Home", "\x1b[1;5H", 29, C},
      {"Ctrl+End", "\x1b[1;5F", 23, C}, {"Ctrl+Left", "\x1b[1;5D", 26, C},
      {"Ctrl+Right", "\x1b[1;5C", 2, C}, {"Ctrl+Up", "\x1b[1;5A", 397, C},
      {"Ctrl+PgDn rxvt", "\x1b[6^", 30, C}, {"Keypad Enter", "\x1bOM", 13, 0},
      // Linux console
      {"F1 linux", "\x1b[[A", 28, 0},   {"F2 linux", "\x1b[[B", -1, 0},
      {"F5 linux", "\x1b[[E", -4, 0},   {"F3 linux", "\x1b[[C", -2, 0},
      {"Shift+F1 linux", "\x1b[25~", -10, S}, {"Shift+F8 linux", "\x1b[34~", -17, S},
      {"Shift+F4 linux", "\x1b[29~", -13, S},
      // plain bytes
      {"Enter", "\r", 13, 0},           {"Esc", "\x1b", 27, 0},
      {"Backspace", "\x7f", 8, 0},      {"Tab", "\t", 9, 0},
      {"Ctrl+C", "\x03", 3, C},         {"Ctrl+V", "\x16", 22, C},
      {"Ctrl+U", "\x15", 21, C},        {"Ctrl+T", "\x14", 20, C},
      {"Ctrl+W", "\x17", 23, C},        {"Ctrl+A", "\x01", 1, C},
      {"Alt+S", "\x1bs", 287, A},       {"Alt+V", "\x1bv", 303, A},
      {"Alt+Shift+S", "\x1bS", 287, A}, {"Alt+1", "\x1b" "1", 376, A},
      {"Alt+0", "\x1b" "0", 385, A},    {"letter", "a", 'a', 0},
      {"o acute", "\xc5\x91", 0x8B, 0}, {"U dbl acute", "\xc5\xb0", 0xEB, 0},
      {"a acute", "\xc3\xa1", 0xA0, 0}, {"E acute", "\xc3\x89", 0x90, 0},
      // A Latin-1 keyboard's stand-ins for the long accents; characters CP852 lacks.
      {"o tilde", "\xc3\xb5", 0x8B, 0}, {"u circumflex", "\xc3\xbb", 0xFB, 0},
      {"O tilde", "\xc3\x95", 0x8A, 0}, {"U circumflex", "\xc3\x9b", 0xEB, 0},
      {"euro", "\xe2\x82\xac", key::kForeignChar, 0}, {"n tilde", "\xc3\xb1", key::kForeignChar, 0},
      {"emoji", "\xf0\x9f\x98\x80", key::kForeignChar, 0}, {"typographic quote", "\xe2\x80\x9e", key::kForeignChar, 0},
  };
  for (const auto& c : cases) {
    auto got = decode(c.bytes);
    ASSERT_EQ(got.size(), 1u) << c.name;
    EXPECT_EQ(got[0].code, c.code) << c.name;
    EXPECT_EQ(got[0].shift, c.shift) << c.name;
  }
  // PgDn and Ctrl+C share code 3, Ins and Ctrl+V code 22: only Ctrl tells them apart.
  EXPECT_EQ(decode("\x1b[6~")[0].code, decode("\x03")[0].code);
  EXPECT_NE(decode("\x1b[6~")[0].shift, decode("\x03")[0].shift);
  EXPECT_EQ(decode("\x1b[2~")[0].code, decode("\x16")[0].code);
}

TEST(Keys, BurstsSplitsAndJunk) {
  // Several keys in one read.
  auto got = decode("\x1b[A\x1b[Bx\r\x1bOP");
  std::vector<int> codes;
  for (auto k : got) codes.push_back(k.code);
  EXPECT_EQ(codes, (std::vector<int>{5, 24, 'x', 13, 28}));

  // A sequence split across reads waits for its end unless the terminal went quiet.
  KeyDecoder d;
  d.feed("\x1b[");
  EXPECT_FALSE(d.next());
  d.feed("6");
  EXPECT_FALSE(d.next());
  d.feed("~");
  EXPECT_EQ(d.next()->code, key::kPgDn);
  d.feed("\x1b");
  EXPECT_FALSE(d.next());
  EXPECT_EQ(d.next(true)->code, key::kEsc);
  d.feed("\xc5");  // half a UTF-8 letter
  EXPECT_FALSE(d.next());
  d.feed("\x91");
  EXPECT_EQ(d.next()->code, 0x8B);

  // Esc Esc is two Esc keys; unknown sequences, stray bytes and overlong forms are
  // dropped; Ctrl+\ would read as F1 and is dropped too. A character outside CP852
  // is a key of its own, for the field to refuse.
  codes.clear();
  for (auto k : decode("\x1b\x1b\x1b[99z\x80\xe2\x82\xac\x1c\x1b[I\xc1\x81\xc0\x8d" "b")) codes.push_back(k.code);
  EXPECT_EQ(codes, (std::vector<int>{27, 27, key::kForeignChar, 'b'}));
  // Garbage never loops or overflows.
  std::string junk(100, '\x1b');
  junk += std::string(50, '[') + "\xff\xfe";
  EXPECT_LE(decode(junk).size(), junk.size());
  EXPECT_EQ(decode(std::string("\x1b[") + std::string(40, '1')).size(), 0u);
}

TEST(Keys, HowInputIsSplitDoesNotMatter) {
  // Terminals hand over input in pieces of any size: as long as the pieces come
  // without a pause, the keys are the same as from one piece.
  const std::string pieces[] = {"\x1b[A", "\x1b[6;5~", "\x1bOP", "\x1b[[B", "\x1bs", "\xc5\x91",
                                "\xc3\xa9", "\x03", "\r", "\x7f", "q", "\x1b[1;5H", "\x1b[21~", "\x1b[Z"};
  unsigned seed = 12345;
  auto rnd = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int round = 0; round < 200; ++round) {
    std::string input;
    for (int i = 0; i < 12; ++i) input += pieces[rnd(std::size(pieces))];
    auto whole = decode(input);
    KeyDecoder d;
    std::vector<KeyEvent> split;
    for (std::size_t pos = 0; pos < input.size();) {
      std::size_t len = 1 + rnd(5);
      d.feed(std::string_view(input).substr(pos, len));
      pos += len;
      while (auto k = d.next()) split.push_back(*k);
    }
    while (auto k = d.next(true)) split.push_back(*k);
    ASSERT_EQ(split.size(), whole.size()) << round;
    EXPECT_TRUE(split == whole) << round;
    EXPECT_EQ(whole.size(), 12u);
  }
}

TEST(Keys, CodeHelpers) {
  EXPECT_EQ(key::ctrl('u'), 21);
  EXPECT_EQ(key::ctrl('T'), 20);
  EXPECT_EQ(key::f(1), 28);
  EXPECT_EQ(key::f(2), -1);
  EXPECT_EQ(key::f(10), -9);
  EXPECT_EQ(key::alt_letter('s'), 287);
  EXPECT_EQ(key::alt_letter('V'), 303);
  EXPECT_EQ(key::alt_letter('q'), 272);
  EXPECT_EQ(key::alt_letter('m'), 306);
}

}  // namespace
