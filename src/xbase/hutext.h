// The system's Hungarian texts are written in the C++ source as UTF-8 and used as
// CP852 bytes:  HU("Kilépés a programból")  is a std::string_view of CP852 bytes.
// The conversion runs at compile time; a character that CP852 lacks is a compile error.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace xbase::detail {

// Unicode code points of CP852 bytes 0x80-0xFF.
inline constexpr char32_t kCp852High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,  // 80
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,  // 88
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,  // 90
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,  // A0
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,  // B0
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,  // D0
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,  // E0
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,  // E8
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,  // F8
};

constexpr int to_cp852(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (int i = 0; i < 128; ++i)
    if (kCp852High[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i.
constexpr char32_t decode_utf8(const char* s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) { ++i; return c; }
  int extra = (c >= 0xF0) ? 3 : (c >= 0xE0) ? 2 : 1;
  char32_t cp = c & (0x3F >> extra);
  ++i;
  for (int k = 0; k < extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}

template <std::size_t N>
struct HuText {
  std::array<char, N> bytes{};
  std::size_t size = 0;
  consteval HuText(const char (&utf8)[N]) {
    std::size_t i = 0;
    while (i + 1 < N) {
      int b = to_cp852(decode_utf8(utf8, i));
      if (b < 0) throw "character not in code page 852";  // compile-time error
      bytes[size++] = static_cast<char>(b);
    }
  }
};

template <HuText T>
struct HuLiteral {
  static constexpr auto value = T;
};

}  // namespace xbase::detail

// HU("…"): the CP852 bytes of a UTF-8 literal, as a std::string_view with static storage.
#define HU(utf8)                                                                         \
  (std::string_view(::xbase::detail::HuLiteral<::xbase::detail::HuText(utf8)>::value.bytes.data(), \
                    ::xbase::detail::HuLiteral<::xbase::detail::HuText(utf8)>::value.size))
