// The field editor's rules, each as one field read on the headless console: the
// picture, the value it starts with, the keys, and then the value stored and the
// text the field showed at its last wait. The values are those the clerks' amount,
// code, identifier and date fields get from the runtime the forms were written for.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/get_read.h"
#include "console/headless.h"
#include "console/keys.h"
#include "xbase/functions.h"
#include "xbase/vars.h"

namespace {

using namespace console;
using xbase::Value;

// The editing keys all have codes below 32, so a script is a plain string.
std::string k(int code) { return std::string(1, static_cast<char>(code)); }
const std::string kEnter = k(key::kEnter), kHome = k(key::kHome), kEnd = k(key::kEnd),
                  kLeft = k(key::kLeft), kRight = k(key::kRight), kDel = k(key::kDel),
                  kBack = k(key::kBackspace), kIns = k(key::kIns), kUndo = k(key::ctrl('u')),
                  kWord = k(key::ctrl('t')), kWordLeft = k(key::kCtrlLeft),
                  kWordRight = k(key::kCtrlRight);
std::string times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

Value num(double v, int width, int decimals = 0) { return Value::num(v, width, decimals); }
Value date(const char* ymd) { return Value::date(xbase::ctod(ymd)); }

std::string stored_text(const Value& v) {
  switch (v.type()) {
    case xbase::Type::Numeric: return xbase::alltrim(xbase::str(v));
    case xbase::Type::Date: return xbase::dtoc(v.as_date());
    default: return v.as_str();
  }
}

struct Case {
  const char* rule;
  const char* picture;
  Value value;
  std::string keys;    // the read must end with the last of them
  std::string stored;  // the value afterwards (numbers trimmed, dates as shown)
  std::string edit;    // the field's text at the last wait for a key
  int cursor = -1;     // the cursor's column at that wait, when it matters
};

// What a case ran into.
struct Outcome {
  std::string stored, edit;
  int cursor = 0;
  std::size_t keys_left = 0;
};

// The field's check: refuses the values it is given (as stored texts) and, for a
// code, first fills the typed digits up with zeros from the left, as the forms'
// code fields do.
struct Check {
  std::vector<std::string> refused;
  bool zero_fill = false;
};

Outcome run(const Case& c, const Check* check = nullptr) {
  auto b = std::make_unique<HeadlessBackend>();
  HeadlessBackend* term = b.get();
  Console con(std::move(b));
  ReadContext ctx(con);
  xbase::Variables vars;
  vars.assign("F", c.value);
  GetField& f = ctx.getlist().add(con, vars, 0, 0, "F", c.picture);
  if (check) {
    f.valid = [check, &vars](ReadSession&) {
      Value v = *vars.find("F");
      if (check->zero_fill) {
        std::string code = xbase::alltrim(v.as_str());
        v = Value::str(code.empty() ? xbase::padr(code, 3) : xbase::padl(code, 3, '0'));
        vars.assign("F", v);
      }
      for (const std::string& r : check->refused)
        if (stored_text(v) == r) return false;
      return true;
    };
  }
  int width = f.width();
  for (char ch : c.keys) term->key(static_cast<unsigned char>(ch));
  Outcome o;
  try {
    read_pending(ctx);
  } catch (const ScriptExhausted&) {
    o.keys_left = 1;  // the field was not left
  }
  o.stored = stored_text(*vars.find("F"));
  const Screen& last = term->last_wait();
  o.edit = last.row_utf8(0).substr(0, static_cast<std::size_t>(width));
  o.cursor = last.cursor_col();
  o.keys_left += term->keys_left();
  return o;
}

TEST(FieldEditorRules, EachRuleAsTheClerkMeetsIt) {
  const std::string blanks(22, ' ');
  const std::vector<Case> cases = {
      // A zero under "@Z" is edited as "0"; a key that cancels the first-key clear
      // leaves it in the text, and it counts.
      {"@Z zero, Home", "@Z 999999999", num(0, 9), kHome + "150000" + kEnter, "1500000", "150000  0"},
      {"@Z zero, first digit clears", "@Z 999999999", num(0, 9), "42" + kEnter, "42", "42       "},
      // Ctrl+U gives the old value back and the next key clears again.
      {"Ctrl+U re-arms (number)", "@Z 999999999", num(1234, 9), "7" + kUndo + "500" + kEnter, "500",
       "500      "},
      {"Ctrl+U re-arms (@K)", "@K 999", Value::str("001"), kUndo + "5" + kEnter, "5  ", "5  "},
      // Del, Backspace and insert shift only between two literals.
      {"insert in a mask", "@R 999 999 999", Value::str("123456789"), times(kRight, 3) + kIns + "0" + kEnter,
       "123045789", "123 045 789"},
      {"Del in a mask", "@R 99999999-9-99", Value::str("12345678901"), kDel + kEnter, "2345678 901",
       "2345678 -9-01"},
      {"Del in a date's month", "", date("2023.12.15"), times(kRight, 4) + kDel + kEnter, "2023.02.15",
       "2023.2 .15"},
      {"Del before the point", "9999.99", num(123.45, 7, 2), kDel + kEnter, "123.45", "123 .45"},
      {"Backspace in a mask", "@R 999 999 999", Value::str("123456789"), times(kRight, 3) + kBack + kEnter,
       "12 456789", "12  456 789"},
      // Signs.
      {"minus after a digit", "999999999", num(0, 9), "12-" + kEnter, "12", "12-      "},
      {"minus first", "999999999", num(0, 9), "-12" + kEnter, "-12", "-12      "},
      {"plus clears and counts nothing", "999999999", num(1234, 9), "+5" + kEnter, "5", "+5       "},
      // Words.
      {"Ctrl+T", "", Value::str("alma korte"), kWord + kEnter, "korte     ", "korte     "},
      {"Ctrl+Left to the word's start", "", Value::str("alma korte"), kEnd + kWordLeft + "K" + kEnter,
       "alma Korte", "alma Korte"},
      {"Ctrl+Right: a mask is one word", "@R 99999999-9-99", Value::str("12345678901"), kWordRight + "5",
       "12345678905", "12345678-9-01", 12},
      {"Ctrl+Right over a blank literal", "@R 999 999 999", Value::str("123456789"), kWordRight + "0" + kEnter,
       "123056789", "123 056 789"},
      // End, then End again: the last position.
      {"End End", "@K", Value::str("C:\\KVAD" + blanks + ' '), kEnd + kEnd + "x",
       "C:\\KVAD" + blanks + 'x', "C:\\KVAD" + blanks + ' ', 29},
      {"End once", "@K", Value::str("C:\\KVAD" + blanks + ' '), kEnd + "x" + kEnter,
       "C:\\KVADx" + blanks, "C:\\KVADx" + blanks},
      // Pushed past an end, a refused key leaves the field as Enter does.
      {"Left on the first, then a letter", "999", num(123, 3), kLeft + "a", "123", "123"},
      {"Backspace on the first, then a letter", "@K 999", Value::str("001"), kBack + "x", "001", "001"},
      {"Right on the last, then a letter", "@K 999", Value::str("001"), times(kRight, 3) + "x", "001", "001"},
      {"Right inside, then a letter: stays", "@K 999", Value::str("001"), kRight + "x" + kEnter, "001", "001"},
      {"Ctrl+Right on the last, then a digit", "AA", Value::str("ab"), kWordRight + kWordRight + "1", "ab", "ab"},
      // Dates: a year typed as "00yy" goes through the century window.
      {"year 0024", "", date("2024.02.29"), "0" + kEnter, "2024.02.29", "0024.02.29"},
      // Separators of a numeric template hide while typing.
      {"separators while typing", "999,999,999", num(7654321, 9), "1234567" + kEnter, "1234567",
       "123 456 7  "},
      {"@E separators and the decimal comma", "@E 999,999.99", num(5, 9, 2), "1234,5" + kEnter, "1234.50",
       "  1 234,5 "},
      // A point or comma in a number without decimals is ignored (a clerk's
      // thousands separator), so the whole amount is stored.
      {"\"150.000\" into an amount", "@Z 999999999", num(0, 9), "150.000" + kEnter, "150000", "150000   "},
      {"\"150,000\" into an amount", "@Z 999999999", num(0, 9), "150,000" + kEnter, "150000", "150000   "},
      // With decimals "," is the point as "." is.
      {"comma as the point", "999999.99", num(0, 9, 2), "12,5" + kEnter, "12.50", "    12.5 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    Outcome o = run(c);
    EXPECT_EQ(o.keys_left, 0u) << "the field was not left with the last key";
    EXPECT_EQ(o.stored, c.stored);
    EXPECT_EQ(o.edit, c.edit);
    if (c.cursor >= 0) {
      EXPECT_EQ(o.cursor, c.cursor);
    }
  }
}

// A value the field's check refused stands in the field again as it did when the
// cursor entered it: a number or an @K field is cleared by the first typed key, any
// other field is typed over from its first position; a cursor key first keeps the
// value for editing. Esc and Ctrl+U give back the value from before the field was
// entered, however many values were refused since.
TEST(FieldEditorRules, AfterARefusedValue) {
  const Check code{{"001", "002"}, true};        // a company code: 001 and 002 are taken
  const Check cost{{"600000", "700000"}, false};  // an amount over its limit
  const Check year{{"2024.12.15", "2025.12.15"}, false};
  const Check name{{"korte     "}, false};
  struct Row {
    Case c;
    const Check* check;
  };
  const std::vector<Row> rows = {
      // The company form's new code: "1" is refused as 001, then "8" gives 008.
      {{"@K code: the next digit clears", "@K 999", Value::str("   "), "1" + kEnter + "8" + kEnter, "008", "8  ",
        1},
       &code},
      {{"@K code: refused twice", "@K 999", Value::str("   "), "1" + kEnter + "2" + kEnter + "8" + kEnter, "008",
        "8  ", 1},
       &code},
      {{"@K code: Right keeps the refused code", "@K 999", Value::str("   "), "1" + kEnter + kRight + "8" + kEnter,
        "081", "081", 2},
       &code},
      {{"@K code: Esc after a refusal", "@K 999", Value::str("   "), "1" + kEnter + k(key::kEsc), "   ", "001", 0},
       &code},
      // An amount: 600000 refused, then 560400.
      {{"amount: the next digit clears", "999999999", num(0, 9), "600000" + kEnter + "560400" + kEnter, "560400",
        "560400   ", 6},
       &cost},
      {{"amount: End and Backspace edit the refused value", "999999999", num(0, 9),
        "600000" + kEnter + kEnd + kBack + kEnter, "60000", "   60000 ", 7},
       &cost},
      {{"amount: Esc after two refusals", "@Z 999999999", num(1234, 9),
        "600000" + kEnter + "700000" + kEnter + k(key::kEsc), "1234", "   700000", 0},
       &cost},
      {{"amount: Ctrl+U after a refusal", "@Z 999999999", num(1234, 9), "600000" + kEnter + kUndo + kEnter, "1234",
        "     1234", 0},
       &cost},
      // A date and a plain text are not cleared: the cursor is back on the first
      // position and typing overwrites from there.
      {{"date: typed over from the year", "", date("2023.12.15"), "2024" + kEnter + "2022" + kEnter, "2022.12.15",
        "2022.12.15", 5},
       &year},
      {{"date: Esc after a refusal", "", date("2023.12.15"), "2024" + kEnter + k(key::kEsc), "2023.12.15",
        "2024.12.15", 0},
       &year},
      {{"date: Esc after two refusals", "", date("2023.12.15"), "2024" + kEnter + "2025" + kEnter + k(key::kEsc),
        "2023.12.15", "2025.12.15", 0},
       &year},
      {{"text: typed over from the first position", "", Value::str("alma      "), "korte" + kEnter + "x" + kEnter,
        "xorte     ", "xorte     ", 1},
       &name},
      {{"text: Esc after a refusal", "", Value::str("alma      "), "korte" + kEnter + k(key::kEsc), "alma      ",
        "korte     ", 0},
       &name},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.c.rule);
    Outcome o = run(r.c, r.check);
    EXPECT_EQ(o.keys_left, 0u) << "the field was not left with the last key";
    EXPECT_EQ(o.stored, r.c.stored);
    EXPECT_EQ(o.edit, r.c.edit);
    if (r.c.cursor >= 0) {
      EXPECT_EQ(o.cursor, r.c.cursor);
    }
  }
}

// The field's looks when it is not being edited do not change with the rules.
TEST(FieldEditorRules, ZeroBlankOnlyWhenNotEdited) {
  auto b = std::make_unique<HeadlessBackend>();
  HeadlessBackend* term = b.get();
  Console con(std::move(b));
  ReadContext ctx(con);
  xbase::Variables vars;
  vars.assign("A", num(0, 9));
  vars.assign("B", num(1234567, 9));
  ctx.getlist().add(con, vars, 0, 0, "A", "@Z 999999999");
  ctx.getlist().add(con, vars, 1, 0, "B", "@E 999,999,999");
  EXPECT_EQ(con.screen().row_utf8(0).substr(0, 9), "         ");
  term->keys({key::kEnter, key::kEnter});
  read_pending(ctx);
  const auto& w = term->waits();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].row_utf8(0).substr(0, 9), "        0");    // being edited
  EXPECT_EQ(w[1].row_utf8(0).substr(0, 9), "         ");    // left
  EXPECT_EQ(w[1].row_utf8(1).substr(0, 11), "  1.234.567");  // separators while not typed over
}

}  // namespace
