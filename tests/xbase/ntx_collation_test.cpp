// Key order under HU852 and the key bytes of each value type.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace xbase {
namespace {

using collation::compare;

TEST(NtxCollation, WeightsArePermutationWithInverse) {
  const auto& w = collation::weight();
  const auto& u = collation::unweight();
  std::vector<bool> used(256, false);
  for (int b = 0; b < 256; ++b) {
    ASSERT_FALSE(used[w[b]]) << "weight used twice, byte " << b;
    used[w[b]] = true;
    EXPECT_EQ(u[w[b]], b);
  }
}

TEST(NtxCollation, HungarianLetterOrder) {
  // Each row must be strictly increasing.
  std::vector<std::vector<std::string_view>> rows = {
      {" ", "0", "9", "@", "A", HU("Á"), HU("Ä"), "B", "C", "D", "E", HU("É"), "F", "I", HU("Í"), "J"},
      {"N", "O", HU("Ó"), HU("Ö"), HU("Ő"), "P", "U", HU("Ú"), HU("Ü"), HU("Ű"), "V", "Z", "[", "`"},
      {"a", HU("á"), HU("ä"), "b", "e", HU("é"), "f", "i", HU("í"), "j", "o", HU("ó"), HU("ö"), HU("ő"), "p"},
      {"u", HU("ú"), HU("ü"), HU("ű"), "v", "z", "{", "\x7f", "\x80", "\x83", "\x85", "\xff"},
  };
  for (const auto& row : rows)
    for (std::size_t i = 1; i < row.size(); ++i)
      EXPECT_LT(compare(row[i - 1], row[i]), 0) << "position " << i;
  // Every capital, accented ones included, before every small letter.
  EXPECT_LT(compare("Z", "a"), 0);
  EXPECT_LT(compare(HU("Ű"), "a"), 0);
  EXPECT_LT(compare(HU("Ő"), HU("á")), 0);
  // No digraphs: CS sorts as C then S, so before CZ, and both before D.
  EXPECT_LT(compare("CSA", "CZA"), 0);
  EXPECT_LT(compare("CZ", "D"), 0);
  // Bytes outside the letters keep byte order: the box characters between them.
  EXPECT_LT(compare("\x86", "\x87"), 0);
  EXPECT_LT(compare("\xB4", "\xB6"), 0);
  // A shorter prefix first; weight space gives the same order under memcmp.
  EXPECT_LT(compare("KOV", "KOVACS"), 0);
  EXPECT_EQ(compare("ABC", "ABC"), 0);
  EXPECT_GT(compare(HU("ŐRI"), HU("ÖRI")), 0);
  EXPECT_LT(compare(HU("ÁZSIA"), "BALOGH"), 0);  // Á before B, not after Z
  auto s = [](std::string_view v) { return std::string(v); };
  std::vector<std::string> names = {s(HU("ÖRDÖG")), "ORBAN", s(HU("ŐRI")), s(HU("ÓVÁRI")), "OTT", s(HU("ÁBEL")), "ABA", "BAK"};
  std::vector<std::string> by_weight = names;
  std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return compare(a, b) < 0; });
  std::sort(by_weight.begin(), by_weight.end(), [](auto& a, auto& b) {
    return collation::to_weights(a) < collation::to_weights(b);
  });
  EXPECT_EQ(names, by_weight);
  EXPECT_EQ(names, (std::vector<std::string>{"ABA", s(HU("ÁBEL")), "BAK", "ORBAN", "OTT", s(HU("ÓVÁRI")), s(HU("ÖRDÖG")), s(HU("ŐRI"))}));
  EXPECT_EQ(collation::from_weights(collation::to_weights(names[5])), names[5]);
}

TEST(NtxCollation, NumericKeys) {
  EXPECT_EQ(collation::key_num(12, 5, 0), "00012");
  EXPECT_EQ(collation::key_num(0, 4, 0), "0000");
  EXPECT_EQ(collation::key_num(3.5, 6, 2), "003.50");
  // Negative: blanks and the sign become zeros, then each digit d becomes 0x2C - d.
  EXPECT_EQ(collation::key_num(-5, 5, 0), ",,,,'");
  EXPECT_EQ(collation::key_num(-12.5, 6, 2), ",+*.',");
  EXPECT_EQ(collation::key_num(-0.001, 6, 2), "000.00");  // rounds to zero, no sign
  EXPECT_EQ(collation::key_num(123456, 4, 0), "****");
  std::vector<double> values = {-1000, -100, -99.5, -12.25, -1, -0.5, 0, 0.25, 3, 99.99, 250, 99999};
  for (std::size_t i = 1; i < values.size(); ++i) {
    std::string a = collation::key_num(values[i - 1], 9, 2), b = collation::key_num(values[i], 9, 2);
    EXPECT_LT(compare(a, b), 0) << values[i - 1] << " " << values[i];
    EXPECT_DOUBLE_EQ(collation::num_of_key(b), values[i]);
  }
}

TEST(NtxCollation, CharDateLogicalKeys) {
  EXPECT_EQ(collation::key_char("ABC", 5), "ABC  ");
  EXPECT_EQ(collation::key_char("ABCDEF", 4), "ABCD");
  EXPECT_EQ(collation::key_date(Date()), "        ");
  EXPECT_EQ(collation::key_date(Date::from_ymd(2023, 1, 31)), "20230131");
  EXPECT_EQ(collation::key_of(Value::logical(true), 1, 0), "T");
  EXPECT_EQ(collation::key_of(Value::logical(false), 1, 0), "F");
  EXPECT_EQ(collation::key_of(Value::num(-5), 5, 0), ",,,,'");
  EXPECT_EQ(collation::key_of(Value::str("x"), 3, 0), "x  ");
  EXPECT_LT(compare(collation::key_date(Date()), collation::key_date(Date::from_ymd(1900, 1, 1))), 0);
}

}  // namespace
}  // namespace xbase
