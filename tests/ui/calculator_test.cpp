// The calculator: its arithmetic and display for the worked cases, the keypad at
// its cells, and what Enter does to the field being edited (a numeric field gets
// the rounded result, a date field or a menu nothing, a narrow field a box).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/get_read.h"
#include "console/headless.h"
#include "console/menu_prompt.h"
#include "ui/calculator.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/vars.h"

namespace {

using console::Console;
using console::HeadlessBackend;
using xbase::Value;
namespace key = console::key;

// The display after typing `keys` ('\r' is Enter), blanks trimmed.
std::string after(std::string_view keys) {
  ui::CalculatorState c;
  for (char k : keys) c.key(k == '\r' ? key::kEnter : static_cast<unsigned char>(k));
  return xbase::alltrim(c.shown());
}

TEST(Calculator, WorkedCases) {
  EXPECT_EQ(after("7+5="), "12");
  EXPECT_EQ(after("7+5=3*2\r"), "6");  // a digit after "=" starts anew
  EXPECT_EQ(after("10/4\r"), "2.5");
  EXPECT_EQ(after("-2.5\r"), "-2.5");
  EXPECT_EQ(after("1/3="), "0.33333333");
  EXPECT_EQ(after("2/3="), "0.66666667");
  EXPECT_EQ(after("100/3="), "33.3333333");
  EXPECT_EQ(after("5/0="), "0");
  EXPECT_EQ(after("5*="), "0");  // an empty input is 0
  EXPECT_EQ(after("2+3*4="), "20");
  EXPECT_EQ(after("7+5=*2="), "24");
  EXPECT_EQ(after("12345678901"), "1234567890");
  EXPECT_EQ(after("1.5.2"), "1.52");
  EXPECT_EQ(after(".999999996="), "1");  // rounding carries into the whole part
  EXPECT_EQ(after("99999*99999="), "9999800001");
  EXPECT_EQ(after("9999999999*10="), "**********");
  EXPECT_EQ(after("0-999999999*10="), "**********");  // ten digits and the sign
  EXPECT_EQ(after("0-99999999.5*1="), "-99999999.");  // a long fraction is cut
  EXPECT_EQ(after("x7%+5="), "12");                   // other keys are ignored

  EXPECT_EQ(ui::calculator_result(2.5), "3");
  EXPECT_EQ(ui::calculator_result(-2.5), "-3");
  EXPECT_EQ(ui::calculator_result(-0.4), "0");
  EXPECT_EQ(ui::calculator_result(2.4999999999), "3");  // as the display rounds it
  EXPECT_EQ(ui::calculator_result(1e11), "");
  EXPECT_EQ(ui::calculator_display(12), "        12");
}

struct Screen {
  HeadlessBackend* term;
  std::unique_ptr<Console> con;
  std::unique_ptr<console::ReadContext> reads;
  xbase::Variables vars;
  Screen() {
    auto b = std::make_unique<HeadlessBackend>();
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
    con->set_colour("w/n");
    con->clear_screen();
    reads = std::make_unique<console::ReadContext>(*con);
    con->set_key(key::kAltS, [this](Console&) { ui::CALCULATOR(*reads); });
  }
  void type(std::string_view s) {
    for (char c : s) term->key(c == '\r' ? key::kEnter : static_cast<unsigned char>(c));
  }
  std::string cells(const console::Screen& s, int row, int col, int n) {
    std::string cp852;
    for (int c = col; c < col + n; ++c) cp852 += static_cast<char>(s.at(row, c).ch);
    return xbase::cp852_to_utf8(cp852);
  }
  // Reads the two fields AMOUNT (picture `pic`) and NEXT with `keys` typed.
  void read(const Value& amount, const char* pic, std::string_view keys) {
    vars.assign("AMOUNT", amount);
    vars.assign("NEXT", Value::num(7, 3, 0));
    reads->getlist().add(*con, vars, 5, 30, "AMOUNT", pic);
    reads->getlist().add(*con, vars, 6, 30, "NEXT", "999");
    type(keys);
    console::read_pending(*reads);
  }
  double num(const char* name) { return vars.find(name)->as_num(); }
};

TEST(CalculatorScreen, TheKeypadAtItsCellsAndTheScreenAsBefore) {
  Screen s;
  s.con->say(3, 5, "under the keypad");
  s.con->set_pos(20, 40);
  console::Screen before = s.con->screen();
  s.type("7+5=");
  s.term->keys({key::kEsc});
  ui::CALCULATOR(*s.reads);
  const console::Screen& shown = s.term->last_wait();
  EXPECT_EQ(s.cells(shown, 2, 2, 10), "        12");
  EXPECT_EQ(s.cells(shown, 1, 10, 1), "=");
  EXPECT_EQ(s.cells(shown, 0, 0, 14), "┌────────────┐");
  EXPECT_EQ(s.cells(shown, 12, 0, 14), "└────────────┘");
  EXPECT_EQ(s.cells(shown, 5, 0, 14), "│ 7  8  9  / │");
  EXPECT_EQ(s.cells(shown, 11, 0, 14), "│ 0  .  =  + │");
  EXPECT_EQ(s.cells(shown, 13, 0, 16), std::string(16, ' '));
  EXPECT_EQ(s.con->screen().text_utf8(), before.text_utf8());
  EXPECT_EQ(s.con->row(), 20);
  EXPECT_EQ(s.con->col(), 40);
}

TEST(CalculatorScreen, EnterTypesTheRoundedResultOverAHalfEditedNumber) {
  Screen s;
  // "42" typed, then the calculator: its 3 replaces the half-edited number.
  s.type("42");
  s.term->key(key::kAltS);
  s.type("10/4\r\r\r");
  s.read(Value::num(1500, 9, 0), "@Z 999999999", "");
  EXPECT_EQ(s.num("AMOUNT"), 3);
  EXPECT_EQ(s.num("NEXT"), 7);

  Screen neg;
  neg.term->key(key::kAltS);
  neg.type("-2.5\r\r\r");
  neg.read(Value::num(8, 5, 0), "99999", "");
  EXPECT_EQ(neg.num("AMOUNT"), -3);
}

TEST(CalculatorScreen, AResultTooWideForTheFieldIsRefusedWithABox) {
  Screen s;
  s.type("42");
  s.term->key(key::kAltS);
  s.type("99999*99999\r");
  s.type("\r");  // the box's OK
  s.type("\r\r");
  s.read(Value::num(1500, 9, 0), "@Z 999999999", "");
  EXPECT_EQ(s.num("AMOUNT"), 42);
  EXPECT_EQ(s.num("NEXT"), 7);  // nothing spilled into the next field
  bool boxed = false;
  for (const console::Screen& w : s.term->waits())
    boxed = boxed || w.row_utf8(18).find("Az eredmény nem fér el a mezőben!") != std::string::npos;
  EXPECT_TRUE(boxed);
}

TEST(CalculatorScreen, NothingIsTypedIntoADateFieldAMenuOrAfterEsc) {
  Screen date;
  date.term->key(key::kAltS);
  date.type("12\r\r");
  date.vars.assign("DAY", Value::date(xbase::Date::from_ymd(2023, 3, 1)));
  date.reads->getlist().add(*date.con, date.vars, 5, 30, "DAY");
  console::read_pending(*date.reads);
  EXPECT_EQ(date.vars.find("DAY")->as_date(), xbase::Date::from_ymd(2023, 3, 1));

  Screen esc;
  esc.term->key(key::kAltS);
  esc.type("12");
  esc.term->keys({key::kEsc});
  esc.type("\r\r");
  esc.read(Value::num(1500, 9, 0), "@Z 999999999", "");
  EXPECT_EQ(esc.num("AMOUNT"), 1500);

  Screen menu;
  console::MenuPrompts prompts;
  prompts.add(*menu.con, 8, 24, " 1  Elso ");
  prompts.add(*menu.con, 9, 24, " 2  Masodik ");
  menu.term->key(key::kAltS);
  menu.type("2\r");
  menu.term->keys({key::kDown, key::kEnter});
  EXPECT_EQ(console::menu_to(*menu.con, prompts, 1), 2);
  EXPECT_TRUE(menu.con->keyboard_empty());
}

}  // namespace
