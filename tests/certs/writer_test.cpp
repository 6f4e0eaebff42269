// The shared writer's rules that the golden files do not show one by one: amounts
// that outgrow their masks, the masks chosen by another amount, and the columns
// the layout computes.
#include "certs/writer.h"

#include <gtest/gtest.h>

#include "certs/cert_fixture.h"

namespace certs::layout {
namespace {

using certs::testing::Station;
using xbase::Value;

TEST(WiderMask, GrowsByOneDigitWithItsSeparatorsAndKeepsItsFunctions) {
  std::string p = "@EZ 99,999,999";
  std::vector<std::string> seen;
  for (int i = 0; i < 3; ++i) seen.push_back(p = widen_picture(p));
  EXPECT_EQ(seen, (std::vector<std::string>{"@EZ 999,999,999", "@EZ 9,999,999,999", "@EZ 99,999,999,999"}));
  EXPECT_EQ(widen_picture("@E 99,999,999"), "@E 999,999,999");
  EXPECT_EQ(widen_picture("@Z 99999"), "@Z 999999");
  EXPECT_EQ(nines_picture("@EZ 999,999,999"), "@Z 99999999999");
  EXPECT_EQ(nines_picture("@ZE 99,999,999,999"), "@Z " + std::string(14, '9'));
}

// One record with the amounts to print, in a table of its own.
struct Amounts : ::testing::Test {
  Station s;
  void SetUp() override {
    xbase::Structure f;
    for (const char* n : {"A", "B", "BASE"}) f.push_back({n, 'N', 11, 0});
    ASSERT_TRUE(s.areas.create(s.file("amounts.dbf"), f));
    ASSERT_TRUE(s.areas.use(s.file("amounts"), "", xbase::OpenMode::Exclusive));
    ASSERT_TRUE(s.areas.current().append_blank());
    s.vars.make_public("PV8", Value::str("@EZ 99,999,999"));
    s.vars.make_public("PV8_0", Value::str("@E 99,999,999"));
    s.vars.make_public("PV9", Value::str("@EZ 999,999,999"));
  }
  // The line the row prints, from column 0, for field A = a (and BASE = base).
  std::string line(const Row& r, double a, double base = 0) {
    xbase::WorkArea& w = s.areas.current();
    w.put("A", Value::num(a));
    w.put("BASE", Value::num(base));
    RunSettings rs;
    rs.vars = &s.vars;
    rs.person = &w.structure();
    Writer writer({r}, rs);
    console::Printer p;
    EXPECT_TRUE(p.set_printer(s.file("out.prn")));
    Certificate c;
    c.person = &w;
    c.company = &w;
    writer.write(p, c);
    p.close();
    return certs::testing::file_bytes(s.file("out.prn"));
  }
};

TEST_F(Amounts, WhereTheColumnsToTheLeftAreFreeTheMaskWidensAndEndsInItsColumn) {
  const Row r = amount_row(same(), {20}, {num("A")}, mask("PV8", Overflow::Widen));
  EXPECT_EQ(line(r, 99999999), std::string(20, ' ') + "99.999.999");
  EXPECT_EQ(line(r, -9999999), std::string(20, ' ') + "-9.999.999");
  EXPECT_EQ(line(r, -99999999), std::string(19, ' ') + "-99.999.999");
  EXPECT_EQ(line(r, 120000000), std::string(19, ' ') + "120.000.000");
  EXPECT_EQ(line(r, 12345678901), std::string(16, ' ') + "12.345.678.901");
  EXPECT_EQ(line(r, 0), std::string(30, ' '));
}

TEST_F(Amounts, WhereTheColumnsTouchTheAmountLosesItsSeparatorsInTheSameColumns) {
  const Row r = amount_row(same(), {49, 60}, {num("A"), num("B")}, mask("PV9"));
  const std::string left(49, ' ');
  EXPECT_EQ(line(r, -99999999), left + "-99.999.999" + std::string(11, ' '));
  EXPECT_EQ(line(r, -150000000), left + " -150000000" + std::string(11, ' '));
  EXPECT_EQ(line(r, -999999999), left + " -999999999" + std::string(11, ' '));
  EXPECT_EQ(line(r, 9999999999), left + " 9999999999" + std::string(11, ' '));
}

TEST_F(Amounts, AMaskChosenByAnotherAmount) {
  // Zero shows as 0 only where the month's base is not zero.
  const Row months = amount_row(same(), {0}, {num("A")}, mask_nonzero("PV8", "PV8_0", num("BASE"), Overflow::Widen));
  EXPECT_EQ(line(months, 0, 1), std::string(9, ' ') + "0");
  EXPECT_EQ(line(months, 0, 0), std::string(10, ' '));
  EXPECT_EQ(line(months, 5000, 0), "     5.000");
  // The dividend's row: plain digits for every amount once the gross is 10 digits.
  const Row dividend =
      amount_row(same(), {0}, {num("A")}, mask_billion("PV9", "@Z 99999999999", num("BASE"), Overflow::Nines));
  EXPECT_EQ(line(dividend, 185185184, 1234567890), "  185185184");
  EXPECT_EQ(line(dividend, 185185184, 999999999), "185.185.184");
}

TEST_F(Amounts, ComputedColumns) {
  s.vars.make_public("CEGNEV", Value::str("  Kft  "));
  const Text user = "Reg. felh.: " + run(RunValue::Cegnev);  // 15 characters
  // 134 - 15 x 17/20 = 121.25: the whole expression's fraction is dropped.
  EXPECT_EQ(line(text_row(same(), right_of(user, 134, 17, 20), user), 0), std::string(121, ' ') + "Reg. felh.: Kft");
  EXPECT_EQ(line(text_row(same(), right_of(user, 105), user), 0), std::string(90, ' ') + "Reg. felh.: Kft");
  // Centred by the visible text, the control sequences around it not counted.
  s.vars.make_public("AHBE", Value::str("\x1b-\x01"));
  const std::string title(HU("Igazolás"));
  EXPECT_EQ(line(text_row(same(), centred(lit(title), 134), ctl("AHBE") + lit(title)), 0),
            std::string(63, ' ') + "\x1b-\x01" + title);
}

}  // namespace
}  // namespace certs::layout
