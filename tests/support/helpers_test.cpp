// Date, number and text helpers.
#include "support/helpers.h"

#include <gtest/gtest.h>

#include "xbase/error.h"
#include "xbase/hutext.h"

namespace support {
namespace {

using xbase::Date;
using xbase::Value;

Value N(double n) { return Value::num(n); }

TEST(Helpers, NumtodBuildsOnlyRealDays) {
  EXPECT_EQ(NUMTOD(1, 9, 2023), Date::from_ymd(2023, 9, 1));
  EXPECT_TRUE(NUMTOD(31, 2, 2023).empty());
  EXPECT_TRUE(NUMTOD(29, 2, 2023).empty());
  EXPECT_EQ(NUMTOD(29, 2, 2024), Date::from_ymd(2024, 2, 29));
  EXPECT_TRUE(NUMTOD(1, 13, 2023).empty());
  EXPECT_TRUE(NUMTOD(0, 1, 2023).empty());
  EXPECT_TRUE(NUMTOD(1, 1, 10000).empty());
  EXPECT_TRUE(NUMTOD(N(1), Value::str("9"), N(2023)).is_nil());
  EXPECT_EQ(NUMTOD(N(31), N(12), N(2023)).as_date(), Date::from_ymd(2023, 12, 31));
}

TEST(Helpers, MonthBoundaries) {
  EXPECT_EQ(FDOFM(1, 2023), Date::from_ymd(2023, 1, 1));
  EXPECT_EQ(LDOFM(12, 2023), Date::from_ymd(2023, 12, 31));
  EXPECT_EQ(LDOFM(2, 2024), Date::from_ymd(2024, 2, 29));
  EXPECT_EQ(LDOFM(2, 2023), Date::from_ymd(2023, 2, 28));
  EXPECT_EQ(LDOFM(4, 2023), Date::from_ymd(2023, 4, 30));
  EXPECT_EQ(FDOFM(Date::from_ymd(2023, 7, 19)), Date::from_ymd(2023, 7, 1));
  EXPECT_EQ(LDOFM(Date::from_ymd(2023, 7, 19)), Date::from_ymd(2023, 7, 31));
  EXPECT_TRUE(LDOFM(13, 2023).empty());
  EXPECT_TRUE(FDOFM(Date()).empty());
}

TEST(Helpers, MonthBoundariesOverValuesGiveNilForAnythingElse) {
  EXPECT_TRUE(FDOFM(Value::str("12"), N(2023)).is_nil());
  EXPECT_TRUE(LDOFM(N(12), Value::str("2023")).is_nil());
  EXPECT_TRUE(FDOFM(N(12)).is_nil());  // a month without its year
  EXPECT_TRUE(LDOFM(Value()).is_nil());
  EXPECT_EQ(LDOFM(N(2), N(2024)).as_date(), Date::from_ymd(2024, 2, 29));
  EXPECT_EQ(FDOFM(Value::date(Date::from_ymd(2023, 3, 15))).as_date(),
            Date::from_ymd(2023, 3, 1));
}

TEST(Helpers, Between) {
  EXPECT_TRUE(BETWEEN(N(5), N(5), N(5)));
  EXPECT_TRUE(BETWEEN(N(5), N(1), N(9)));
  EXPECT_FALSE(BETWEEN(N(10), N(1), N(9)));
  EXPECT_TRUE(BETWEEN(Value::str("015"), Value::str("001"), Value::str("999")));
  EXPECT_TRUE(BETWEEN(Value::date(Date::from_ymd(2023, 6, 1)),
                      Value::date(Date::from_ymd(2023, 1, 1)),
                      Value::date(Date::from_ymd(2023, 12, 31))));
  EXPECT_THROW(BETWEEN(N(5), Value::str("1"), N(9)), xbase::ErrorException);
}

TEST(Helpers, MonthNames) {
  EXPECT_EQ(HONAPNEV(9), "szeptember");
  EXPECT_EQ(HONAPNEV(1), HU("január"));
  EXPECT_EQ(HONAPNEV(12), "december");
  EXPECT_EQ(HONAPNEV(0), "");
  EXPECT_EQ(HONAPNEV(13), "");
}

TEST(Helpers, HungordKeysIgnoreCase) {
  EXPECT_EQ(HUNGORD(HU("kőrösi öröm ágnes")), HUNGORD(HU("KŐRÖSI ÖRÖM ÁGNES")));
  EXPECT_EQ(HUNGORD(HU("űrhajós Ünige")), HU("ŰRHAJÓS ÜNIGE"));
  EXPECT_EQ(HUNGORD(HU("čapek")), HU("čAPEK"));  // letters outside Hungarian stay
}

TEST(Helpers, Lstr) {
  EXPECT_EQ(LSTR(9, 2), "9");
  EXPECT_EQ(LSTR(12, 2), "12");
  EXPECT_EQ(LSTR(123, 2), "**");
  EXPECT_EQ(LSTR(-1234567, 11), "-1234567");
  EXPECT_EQ(LSTR(0, 11), "0");
  EXPECT_EQ(LSTR(2.5, 3), "3");
}

}  // namespace
}  // namespace support
