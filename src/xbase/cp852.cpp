// Code page 852 conversions: Unicode (terminal), Windows-1250 (XML and exports)
// and the HU852 case rules used by UPPER(), LOWER() and index keys.
#include "xbase/cp852.h"

#include <array>

#include "xbase/hutext.h"

namespace xbase {
namespace {

// Unicode code points of Windows-1250 bytes 0x80-0xFF; 0 where the code page has
// no character.
constexpr char32_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// ASCII stand-ins for the CP852 box-drawing and block characters, which
// Windows-1250 lacks: lines keep their look in a plain-text export.
constexpr char box_fallback(char32_t cp) {
  switch (cp) {
    case 0x2500: return '-';  // ─
    case 0x2550: return '=';  // ═
    case 0x2502:              // │
    case 0x2551: return '|';  // ║
    case 0x2591: case 0x2592: case 0x2593:  // ░ ▒ ▓
    case 0x2588: case 0x2584: case 0x2580:  // █ ▄ ▀
    case 0x25A0: return '#';               // ■
    default: break;
  }
  if (cp >= 0x2500 && cp <= 0x257F) return '+';  // corners, tees and crossings
  return '?';
}

// The Latin-1 stand-ins õ û Õ Û for ő ű Ő Ű, which old Hungarian texts use and a
// keyboard without the Hungarian long accents types.
constexpr int long_accent(char32_t cp) {
  switch (cp) {
    case 0x00F5: return 0x8B;  // õ → ő
    case 0x00FB: return 0xFB;  // û → ű
    case 0x00D5: return 0x8A;  // Õ → Ő
    case 0x00DB: return 0xEB;  // Û → Ű
    default: return -1;
  }
}

// Typographic punctuation from outside text (word processors, web pages) that
// CP852 lacks, folded to its plain form; and the stand-ins for the long accents.
constexpr int fold_foreign(char32_t cp) {
  switch (cp) {
    case 0x2018: case 0x2019: case 0x201A: case 0x2039: case 0x203A: return '\'';
    case 0x201C: case 0x201D: case 0x201E: return '"';
    case 0x2013: case 0x2014: return '-';
    default: return long_accent(cp);
  }
}

struct Tables {
  std::array<unsigned char, 256> to1250{};
  std::array<int, 256> from1250{};
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
};

constexpr Tables make_tables() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.upper[b] = t.lower[b] = static_cast<unsigned char>(b);
    if (b < 0x80) {
      t.to1250[b] = static_cast<unsigned char>(b);
      t.from1250[b] = b;
      continue;
    }
    char32_t cp = detail::kCp852High[b - 0x80];
    t.to1250[b] = static_cast<unsigned char>(box_fallback(cp));
    for (int k = 0; k < 128; ++k)
      if (kCp1250High[k] == cp) t.to1250[b] = static_cast<unsigned char>(0x80 + k);
    char32_t w = kCp1250High[b - 0x80];
    int c = w ? detail::to_cp852(w) : -1;
    if (c < 0 && w) c = fold_foreign(w);
    t.from1250[b] = c;
  }
  for (int b = 'a'; b <= 'z'; ++b) {
    t.upper[b] = static_cast<unsigned char>(b - 32);
    t.lower[b - 32] = static_cast<unsigned char>(b);
  }
  // á é í ó ö ő ú ü ű ä and their capitals.
  constexpr unsigned char pairs[][2] = {{0xA0, 0xB5}, {0x82, 0x90}, {0xA1, 0xD6}, {0xA2, 0xE0},
                                        {0x94, 0x99}, {0x8B, 0x8A}, {0xA3, 0xE9}, {0x81, 0x9A},
                                        {0xFB, 0xEB}, {0x84, 0x8E}};
  for (const auto& p : pairs) {
    t.upper[p[0]] = p[1];
    t.lower[p[1]] = p[0];
  }

  return t;
}

constexpr Tables kTables = make_tables();

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i] and advances i; returns -1 for a malformed
// sequence (bad lead byte, missing continuation, overlong form, surrogate).
long next_utf8(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
  else return -1;
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size()) return -1;
    unsigned char d = static_cast<unsigned char>(s[i]);
    if ((d & 0xC0) != 0x80) return -1;  // leave the byte for the next character
    cp = (cp << 6) | (d & 0x3F);
    ++i;
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return static_cast<long>(cp);
}

}  // namespace

char32_t cp852_to_unicode(unsigned char byte) {
  return byte < 0x80 ? byte : detail::kCp852High[byte - 0x80];
}

int unicode_to_cp852(char32_t cp) { return detail::to_cp852(cp); }

int typed_to_cp852(char32_t cp) {
  int b = detail::to_cp852(cp);
  return b >= 0 ? b : long_accent(cp);
}

std::string cp852_to_utf8(std::string_view cp852) {
  std::string out;
  out.reserve(cp852.size() + cp852.size() / 4);
  for (char ch : cp852) append_utf8(out, cp852_to_unicode(static_cast<unsigned char>(ch)));
  return out;
}

std::string utf8_to_cp852(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    long cp = next_utf8(utf8, i);
    int b = cp < 0 ? -1 : detail::to_cp852(static_cast<char32_t>(cp));
    if (b < 0 && cp >= 0) b = fold_foreign(static_cast<char32_t>(cp));
    out += b < 0 ? replacement : static_cast<char>(b);
  }
  return out;
}

std::string cp852_to_cp1250(std::string_view cp852) {
  std::string out(cp852.size(), '\0');
  for (std::size_t i = 0; i < cp852.size(); ++i)
    out[i] = static_cast<char>(kTables.to1250[static_cast<unsigned char>(cp852[i])]);
  return out;
}

std::string cp1250_to_cp852(std::string_view cp1250, char replacement) {
  std::string out(cp1250.size(), '\0');
  for (std::size_t i = 0; i < cp1250.size(); ++i) {
    int b = kTables.from1250[static_cast<unsigned char>(cp1250[i])];
    out[i] = b < 0 ? replacement : static_cast<char>(b);
  }
  return out;
}

unsigned char hu852_upper(unsigned char c) { return kTables.upper[c]; }
unsigned char hu852_lower(unsigned char c) { return kTables.lower[c]; }

std::string hu852_upper(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(kTables.upper[static_cast<unsigned char>(ch)]);
  return out;
}

std::string hu852_lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(kTables.lower[static_cast<unsigned char>(ch)]);
  return out;
}

bool hu852_is_alpha(unsigned char c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  // Every letter of CP852 lies in Unicode's Latin-1 letters and Latin Extended-A.
  char32_t cp = detail::kCp852High[c - 0x80];
  return cp >= 0xC0 && cp <= 0x17F && cp != 0xD7 && cp != 0xF7;
}

std::string cp1250_to_utf8(std::string_view cp1250) {
  std::string out;
  out.reserve(cp1250.size() + cp1250.size() / 4);
  for (char ch : cp1250) {
    const unsigned char b = static_cast<unsigned char>(ch);
    const char32_t w = b < 0x80 ? 0 : kCp1250High[b - 0x80];
    append_utf8(out, w ? w : b);
  }
  return out;
}

Utf8Fault utf8_to_cp1250(std::string_view utf8, std::string& out) {
  out.clear();
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long cp = next_utf8(utf8, i);
    if (cp < 0) return Utf8Fault::NotUtf8;
    int b = cp < 0x100 && (cp < 0x80 || kCp1250High[cp - 0x80] == 0) ? static_cast<int>(cp) : -1;
    for (int k = 0; b < 0 && k < 128; ++k)
      if (kCp1250High[k] == static_cast<char32_t>(cp)) b = 0x80 + k;
    if (b < 0) return Utf8Fault::NotInCp1250;
    out += static_cast<char>(b);
  }
  return Utf8Fault::None;
}

}  // namespace xbase
