// The CP852 tables checked byte by byte against glibc's iconv, an independent
// implementation, plus the HU852 case rules and the literal macro.
#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace xbase {
namespace {

// Converts with iconv; nullopt when iconv rejects the input.
std::optional<std::string> iconv_convert(const char* to, const char* from, std::string in) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " -> " << to;
  std::string out(in.size() * 4 + 8, '\0');
  char* ip = in.data();
  size_t il = in.size();
  char* op = out.data();
  size_t ol = out.size();
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - ol);
  return out;
}

TEST(Cp852, EveryByteMatchesIconvAndRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    auto expected = iconv_convert("UTF-8", "CP852", one);
    ASSERT_TRUE(expected) << b;
    std::string utf8 = cp852_to_utf8(one);
    EXPECT_EQ(utf8, *expected) << "byte " << b;
    EXPECT_EQ(utf8_to_cp852(utf8), one) << "byte " << b;
    EXPECT_EQ(unicode_to_cp852(cp852_to_unicode(static_cast<unsigned char>(b))), b);
  }
}

TEST(Cp852, Windows1250AgreesWithIconvWhereBothHaveTheCharacter) {
  int without_1250 = 0;
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    auto expected = iconv_convert("CP1250", "CP852", one);
    std::string got = cp852_to_cp1250(one);
    if (expected) {
      EXPECT_EQ(got, *expected) << "byte " << b;
      EXPECT_EQ(cp1250_to_cp852(got), one) << "byte " << b;
    } else {
      ++without_1250;  // box drawing and blocks: an ASCII stand-in
      unsigned char c = static_cast<unsigned char>(got[0]);
      EXPECT_TRUE(c == '-' || c == '=' || c == '|' || c == '+' || c == '#') << "byte " << b;
    }
  }
  EXPECT_EQ(without_1250, 29);
}

TEST(Cp852, Windows1250AndUtf8BothWaysAgreeWithIconvAndKeepEveryByte) {
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    std::string utf8 = cp1250_to_utf8(one);
    auto expected = iconv_convert("UTF-8", "CP1250", one);
    if (expected) {
      EXPECT_EQ(utf8, *expected) << "byte " << b;
    } else {  // no character: the control character of that number
      EXPECT_EQ(utf8, "\xC2" + std::string(1, static_cast<char>(0x80 + (b & 0x3F)))) << "byte " << b;
    }
    std::string back;
    EXPECT_EQ(utf8_to_cp1250(utf8, back), Utf8Fault::None) << "byte " << b;
    EXPECT_EQ(back, one) << "byte " << b;
  }
  std::string out;
  // Latin-2 "á" before a letter is no UTF-8; the text before the fault is kept.
  EXPECT_EQ(utf8_to_cp1250("M30 \xE1t", out), Utf8Fault::NotUtf8);
  EXPECT_EQ(out, "M30 ");
  EXPECT_EQ(utf8_to_cp1250("\xC3", out), Utf8Fault::NotUtf8);  // cut short
  EXPECT_EQ(utf8_to_cp1250("x\xC3\x80y", out), Utf8Fault::NotInCp1250);  // "À"
  EXPECT_EQ(utf8_to_cp1250("\xE2\x82\xAC \xC5\x91", out), Utf8Fault::None);  // "€ ő"
  EXPECT_EQ(out, "\x80 \xF5");
}

TEST(Cp852, Windows1250ToCp852AgreesWithIconv) {
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    auto expected = iconv_convert("CP852", "CP1250", one);
    std::string got = cp1250_to_cp852(one, '?');
    if (expected) {
      EXPECT_EQ(got, *expected) << "byte " << b;
    }
  }
  // Typographic quotes and dashes fold to ASCII; the euro sign has no CP852 form.
  EXPECT_EQ(cp1250_to_cp852("\x84" "a\x94 \x96 \x80", '?'), "\"a\" - ?");
}

TEST(Cp852, BoxDrawingExportsAsAscii) {
  EXPECT_EQ(cp852_to_cp1250(HU("╔═══╗")), "+===+");
  EXPECT_EQ(cp852_to_cp1250(HU("│─┼")), "|-+");
}

TEST(Cp852, MalformedUtf8BecomesReplacement) {
  EXPECT_EQ(utf8_to_cp852("a\xC3", '?'), "a?");          // cut short
  EXPECT_EQ(utf8_to_cp852("\xC3" "b", '?'), "?b");       // missing continuation
  EXPECT_EQ(utf8_to_cp852("\xC0\xA1", '?'), "??");       // overlong
  EXPECT_EQ(utf8_to_cp852("\xED\xA0\x80", '?'), "?");    // surrogate
  EXPECT_EQ(utf8_to_cp852("\xE2\x82\xAC", '_'), "_");    // euro: not in CP852
  EXPECT_EQ(utf8_to_cp852("\xF0\x9F\x98\x80", '?'), "?");  // emoji
  EXPECT_EQ(utf8_to_cp852("Kõrös"), HU("Kőrös"));       // Latin-1 stand-in for ő
}

TEST(Cp852, Hu852UpperChangesOnlyHungarianLetters) {
  const unsigned char lower[] = {0xA0, 0x82, 0xA1, 0xA2, 0x94, 0x8B, 0xA3, 0x81, 0xFB, 0x84};
  const unsigned char upper[] = {0xB5, 0x90, 0xD6, 0xE0, 0x99, 0x8A, 0xE9, 0x9A, 0xEB, 0x8E};
  int changed = 0;
  for (int b = 0; b < 256; ++b) {
    unsigned char c = static_cast<unsigned char>(b);
    if (hu852_upper(c) != c) ++changed;
    if (hu852_lower(c) != c) ++changed;
    if (b >= 'a' && b <= 'z') {
      EXPECT_EQ(hu852_upper(c), b - 32);
    }
  }
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(hu852_upper(lower[k]), upper[k]) << k;
    EXPECT_EQ(hu852_lower(upper[k]), lower[k]) << k;
  }
  EXPECT_EQ(changed, 2 * (26 + 10));  // č, ł, ß … stay as they are
  EXPECT_EQ(hu852_upper(HU("árvíztűrő tükörfúrógép")), HU("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"));
  EXPECT_EQ(hu852_lower(HU("ÁRVÍZTŰRŐ Ä")), HU("árvíztűrő ä"));
}

TEST(Cp852, LettersForPictures) {
  EXPECT_TRUE(hu852_is_alpha('q'));
  EXPECT_TRUE(hu852_is_alpha(0x8B));   // ő
  EXPECT_TRUE(hu852_is_alpha(0xE1));   // ß
  EXPECT_FALSE(hu852_is_alpha('5'));
  EXPECT_FALSE(hu852_is_alpha(0xCD));  // ═
  EXPECT_FALSE(hu852_is_alpha(0x9E));  // ×
  EXPECT_FALSE(hu852_is_alpha(0xF5));  // §
}

// HU("…") refuses, at compile time, a character that CP852 lacks; the helper it
// uses reports -1 for such a character.
static_assert(detail::to_cp852(U'€') == -1);
static_assert(detail::to_cp852(U'õ') == -1);
static_assert(detail::to_cp852(U'ő') == 0x8B);
static_assert(HU("Ű").size() == 1 && HU("Ű")[0] == '\xEB');

}  // namespace
}  // namespace xbase
