// Entry fields and the read on a headless console: keys typed into fields with the
// program's pictures, checks that refuse, the keys that move and end the read, hot
// keys and readers of their own.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/get_read.h"
#include "console/headless.h"
#include "console/keys.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace {

using namespace console;
using xbase::Value;

struct Form {
  HeadlessBackend* term;
  std::unique_ptr<Console> con;
  std::unique_ptr<ReadContext> ctx;
  xbase::Variables vars;
  Form() {
    auto b = std::make_unique<HeadlessBackend>();
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
    con->set_colour("gr/n,w+/g,n,n,gr+/n");
    ctx = std::make_unique<ReadContext>(*con);
  }
  void type(std::string_view s) {
    for (char c : s) term->key(static_cast<unsigned char>(c));
  }
  void keys(std::initializer_list<int> k) { term->keys(k); }
  GetField& get(int row, int col, const char* name, Value v, const char* pic = "") {
    vars.assign(name, std::move(v));
    return ctx->getlist().add(*con, vars, row, col, name, pic);
  }
  bool read() { return read_pending(*ctx); }
  Value var(const char* name) { return *vars.find(name); }
  std::string text(int row, int col, int len) {
    std::string out;
    for (int c = col; c < col + len; ++c) out += static_cast<char>(con->screen().at(row, c).ch);
    return out;
  }
};

TEST(GetPictures, TypingIntoTheProgramsMasks) {
  Form f;
  f.get(1, 0, "XOSSZ", Value::num(0, 8, 0), "@Z 99999999");
  f.get(2, 0, "XSZEMSZAM", Value::str("8123456789"), "@KR XXXXXXXXXX");
  f.get(3, 0, "XTAJ", Value::str("         "), "@R 999 999 999");
  f.get(4, 0, "XVKOD", Value::str("001"), "@K 999");
  f.get(5, 0, "XJEL", Value::str("x"), "!");
  f.get(6, 0, "XOSSZ2", Value::num(0), "@EZ 999,999,999");
  EXPECT_EQ(f.text(1, 0, 8), "        ");  // zero shows blank
  EXPECT_EQ(f.text(3, 0, 11), "           ");
  EXPECT_EQ(f.con->col(), 0 + 11);  // the column just after the last field placed

  f.type("1234");
  f.keys({key::kEnter});
  f.type("8");  // the first key clears the old identifier
  f.keys({key::kEnter});
  f.type("123456789");  // the literals are skipped; the last digit moves on
  f.type("5");
  f.keys({key::kEnter});
  f.type("i");           // fills the one position: moves on
  f.type("1234567");
  f.keys({key::kEnter});  // leaving the last field ends the read
  EXPECT_TRUE(f.read());

  EXPECT_EQ(f.var("XOSSZ").as_num(), 1234);
  EXPECT_EQ(f.text(1, 0, 8), "    1234");  // right-aligned when left
  EXPECT_EQ(f.var("XSZEMSZAM").as_str(), "8         ");
  EXPECT_EQ(f.var("XTAJ").as_str(), "123456789");
  EXPECT_EQ(f.text(3, 0, 11), "123 456 789");
  EXPECT_EQ(f.var("XVKOD").as_str(), "5  ");
  EXPECT_EQ(f.var("XJEL").as_str(), "I");
  EXPECT_EQ(f.var("XOSSZ2").as_num(), 1234567);
  EXPECT_EQ(f.text(6, 0, 11), "  1.234.567");
  EXPECT_TRUE(f.ctx->updated());
}

TEST(GetPictures, NumbersDatesAndEditingKeys) {
  Form f;
  f.get(1, 0, "N", Value::num(0, 7, 2), "9999.99");
  f.get(2, 0, "M", Value::num(50, 5, 0), "99999");
  f.get(3, 0, "D", Value::date(xbase::Date()));
  f.get(4, 0, "S", Value::str("abcdef"));
  f.type("12.5");  // "." jumps to the decimals
  f.keys({key::kEnter});
  f.type("-7");
  f.keys({key::kEnter});
  f.type("20230230");  // no such day: refused, the cursor stays
  f.keys({key::kEnter});
  f.keys({key::kHome});
  f.type("20230228");  // filled: on to the next field
  // abcdef: Del on "a", End, Backspace, Home, insert "X", then Ctrl+Y after it.
  f.keys({key::kDel, key::kEnd, key::kBackspace, key::kHome, key::kIns});
  f.type("X");
  f.keys({key::kIns, key::kRight, key::ctrl('y'), key::kPgDn});
  f.read();
  EXPECT_EQ(f.var("N").as_num(), 12.5);
  EXPECT_EQ(f.text(1, 0, 7), "  12.50");
  EXPECT_EQ(f.var("M").as_num(), -7);
  EXPECT_EQ(xbase::dtoc(f.var("D").as_date()), "2023.02.28");
  EXPECT_EQ(f.var("S").as_str(), "Xb    ");
  // The refused date stayed in the field with the cursor at its start.
  bool refused_shown = false;
  for (const Screen& w : f.term->waits())
    if (w.row_utf8(3).substr(0, 10) == "2023.02.30" && w.cursor_row() == 3 && w.cursor_col() == 0)
      refused_shown = true;
  EXPECT_TRUE(refused_shown);
}

TEST(GetPictures, CtrlUGivesBackTheValueFromBeforeTheEdit) {
  Form f;
  f.get(1, 0, "S", Value::str("alma"));
  f.type("kor");
  f.keys({key::ctrl('u'), key::kRight});
  f.type("x");
  f.keys({key::kPgDn});
  EXPECT_TRUE(f.read());
  EXPECT_EQ(f.var("S").as_str(), "axma");
}

// "@S<n>": the field takes n columns, the view scrolls over the whole value.
TEST(GetPictures, ScrollingFieldHoldsTheWholeValue) {
  Form f;
  GetField& name = f.get(3, 46, "XVNEV", Value::str(std::string(40, ' ')), "@S33");
  f.get(5, 13, "XVKEPV", Value::str("kovacs    "), "@!S5");
  EXPECT_EQ(name.width(), 33);
  EXPECT_EQ(f.con->col(), 13 + 5);  // the cursor after the last field placed
  std::string copied;
  f.con->set_key(key::kF2, [&](Console&) { f.ctx->active_text(copied); });
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += static_cast<char>('A' + i % 26);
  f.type(forty.substr(0, 39));
  f.keys({key::kF2});
  f.type(forty.substr(39));  // the 40th character fills the value: on to the next field
  f.type("x");               // "@!" with "@S": upper case in a 5-column view
  f.keys({key::kEnd, key::kPgDn});
  EXPECT_TRUE(f.read());
  EXPECT_EQ(f.var("XVNEV").as_str(), forty);
  EXPECT_EQ(copied, forty.substr(0, 39) + " ");  // the whole value, not the view
  EXPECT_EQ(f.var("XVKEPV").as_str(), "XOVACS    ");
  const auto& w = f.term->waits();
  // After 30 characters the cursor keeps three columns on its right; after 39 the
  // view has reached the value's end. Nothing ever passes column 78.
  EXPECT_EQ(w[30].cursor_col(), 46 + 29);
  EXPECT_EQ(w[30].row_utf8(3).substr(46, 33), forty.substr(1, 29) + "    ");
  EXPECT_EQ(w[39].cursor_col(), 78);
  EXPECT_EQ(w[39].row_utf8(3).substr(46, 33), forty.substr(7, 32) + " ");
  for (const Screen& s : w) EXPECT_EQ(s.at(3, 79).ch, ' ');
  // Left alone the fields show their first columns.
  EXPECT_EQ(f.text(3, 46, 34), forty.substr(0, 33) + " ");
  EXPECT_EQ(f.text(5, 13, 6), "XOVAC ");
  // End in the narrow view: the cursor after "XOVACS", in the middle of the view.
  const Screen& end = w[w.size() - 1];
  EXPECT_EQ(end.cursor_col(), 13 + 2);
  EXPECT_EQ(end.row_utf8(5).substr(13, 5), "CS   ");
}

TEST(GetRead, ChecksKeepTheCursorAndTheTypedValue) {
  Form f;
  GetField& a = f.get(1, 0, "A", Value::num(0, 2, 0), "@Z 99");
  a.valid = [&](ReadSession&) {
    return f.var("A").as_num() < 50 || f.con->last_key() == key::kUp;
  };
  GetField& b = f.get(2, 0, "B", Value::str("  "));
  b.valid = [&](ReadSession&) { return f.var("B").as_str() == "ok"; };
  f.type("77");  // fills the field: the check refuses, the cursor stays
  f.keys({key::kDown});  // still refused
  f.type("12");  // over the refused value
  f.type("no");  // filled: refused in B
  f.keys({key::kUp});  // B's check refuses Up too
  f.keys({key::kHome});
  f.type("ok");  // accepted: the read ends after the last field
  EXPECT_TRUE(f.read());
  EXPECT_EQ(f.var("A").as_num(), 12);
  EXPECT_EQ(f.var("B").as_str(), "ok");
  // The refused 77 stood in the field while the cursor stayed there.
  bool seen77 = false;
  for (const Screen& s : f.term->waits())
    if (s.at(1, 0).ch == '7' && s.at(1, 1).ch == '7' && s.cursor_row() == 1) seen77 = true;
  EXPECT_TRUE(seen77);

  Form g;  // a check that lets Up through
  GetField& c = g.get(1, 0, "C", Value::str("x"));
  GetField& d = g.get(2, 0, "D", Value::str("  "));
  d.valid = [&](ReadSession&) { return g.con->last_key() == key::kUp; };
  (void)c;
  g.keys({key::kDown, key::kUp});  // back to C
  g.keys({key::kPgDn});
  g.read();
  EXPECT_EQ(g.term->waits().back().cursor_row(), 1);
}

TEST(GetRead, KeysThatMoveAndEnd) {
  Form f;
  f.get(1, 0, "A", Value::str("aa"));
  GetField& b = f.get(2, 0, "B", Value::str("bb"));
  f.get(3, 0, "C", Value::str("cc"));
  b.when = [](ReadSession&) { return false; };  // skipped both ways
  f.keys({key::kDown});
  EXPECT_EQ(f.con->row(), 3);  // the cursor after placing: row of the last field
  f.type("x");  // in C
  f.keys({key::kUp});  // over B back to A
  f.type("y");
  f.keys({key::kCtrlHome, key::kDown, key::kDown});  // Down on the last field stays
  f.type("z");
  f.keys({key::kEsc});  // undoes "z" in C; ends the read
  EXPECT_TRUE(f.read());
  EXPECT_EQ(f.var("A").as_str(), "ya");
  EXPECT_EQ(f.var("C").as_str(), "xc");
  EXPECT_EQ(f.con->last_key(), key::kEsc);
  EXPECT_TRUE(f.ctx->getlist().empty());

  Form g;  // SET ESCAPE off: Esc does nothing; Ctrl+W ends
  g.ctx->escape = false;
  g.get(1, 0, "A", Value::str("aa"));
  g.keys({key::kEsc});
  g.type("q");
  g.keys({key::kCtrlEnd});
  EXPECT_TRUE(g.read());
  EXPECT_EQ(g.var("A").as_str(), "qa");

  Form h;  // nothing changed: not updated
  h.get(1, 0, "A", Value::str("aa"));
  h.keys({key::kPgUp});
  EXPECT_FALSE(h.read());
  EXPECT_FALSE(h.ctx->updated());
}

TEST(GetRead, HotKeysReadersAndKill) {
  Form f;
  f.get(1, 0, "A", Value::str("    "));
  GetField& btn = f.get(2, 0, "BTN", Value::str("Gomb"));
  f.get(3, 0, "C", Value::str("    "));
  std::string seen_var;
  // A hot key sees the field being read with its edit stored, and what it puts
  // into the variable is shown.
  f.con->set_key(key::kF2, [&](Console&) {
    seen_var = f.ctx->read_var() + "=" + f.var("A").as_str();
    f.vars.assign("A", Value::str("HOT "));
  });
  int presses = 0;
  btn.reader = [&](ReadSession& s, GetField&) {
    int k = s.wait_key();
    if (k == key::kEnter) ++presses;
    if (k == 'u') s.set_exit(ReadExit::Up);
  };
  f.con->set_key(key::kF10, [&](Console&) { f.ctx->kill(); });
  f.type("ab");
  f.keys({key::kF2});
  f.keys({key::kEnd});
  f.type("!");  // typed into the last position: on to the button
  f.keys({key::kEnter});  // the button's action; on to C
  f.keys({key::kUp});     // back to the button
  f.type("u");            // the reader says Up
  f.keys({key::kDown, key::kDown});
  f.keys({key::kF10});
  f.read();
  EXPECT_EQ(seen_var, "A=ab  ");
  EXPECT_EQ(f.var("A").as_str(), "HOT!");
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(f.term->keys_left(), 0u);

  // The keyboard buffer is read as typed; Ctrl+C's text is the active field's.
  Form g;
  g.get(1, 0, "A", Value::str("    "));
  std::string copied;
  g.con->set_key(key::kF2, [&](Console&) { g.ctx->active_text(copied); });
  g.con->keyboard("xy");
  g.keys({key::kF2, key::kPgDn});
  g.read();
  EXPECT_EQ(g.var("A").as_str(), "xy  ");
  EXPECT_EQ(copied, "xy  ");
}

TEST(GetRead, FieldListIsKeptAndPutBack) {
  Form f;
  f.get(1, 0, "A", Value::str("a"));
  GetList saved = f.ctx->getlist();  // a browse inside the form starts its own list
  f.ctx->getlist().clear();
  f.get(5, 0, "B", Value::str("b"));
  f.type("z");
  f.read();
  EXPECT_EQ(f.var("B").as_str(), "z");
  f.ctx->getlist() = saved;
  ASSERT_EQ(f.ctx->getlist().size(), 1u);
  EXPECT_EQ(f.ctx->getlist()[0].name, "A");
}

// The ESC-guarded read of the forms works through hot keys: PgDn walks through the
// remaining fields by pushing Tab and PgDn, stopping at a field whose check refuses;
// Esc asks (here: answers yes at once), kills the read and leaves Esc as last key.
TEST(GetRead, PgDnWalkAndEscThroughHotKeys) {
  Form f;
  f.get(1, 0, "A", Value::str("a"));
  GetField& b = f.get(2, 0, "B", Value::str("x "));
  f.get(3, 0, "C", Value::str("c"));
  std::string utget;
  int checks_b = 0;
  b.valid = [&](ReadSession&) {
    ++checks_b;
    return f.var("B").as_str() != "x ";
  };
  f.con->set_key(key::kPgDn, [&](Console& con) {
    ReadSession* s = f.ctx->active();
    GetField* cur = s->active_field();
    if (s->position() == static_cast<int>(s->fields().size())) {
      con.put_key(key::kEnter);
    } else if (cur->name == utget) {
      con.put_key(key::kTab);
    } else {
      utget = cur->name;
      con.put_key(key::kTab);
      con.put_key(key::kPgDn);
    }
  });
  f.keys({key::kPgDn});  // A → B; B refuses twice and the walk stops there
  f.type("ok");
  f.keys({key::kPgDn});  // B accepted → C, the last: Enter ends the read
  EXPECT_TRUE(f.read());
  EXPECT_EQ(checks_b, 3);
  EXPECT_EQ(f.var("B").as_str(), "ok");
  // Waits: in A; in B after the walk stopped; after "o"; after "k".
  EXPECT_EQ(f.term->waits().size(), 4u);
  EXPECT_EQ(f.term->waits()[1].cursor_row(), 2);

  Form g;
  g.get(1, 0, "A", Value::str("aa"));
  g.con->set_key(key::kEsc, [&](Console& con) {
    g.ctx->kill();
    if (con.last_key() != key::kEsc) con.put_key(key::kEsc);
  });
  g.keys({key::kEsc});
  g.read();
  EXPECT_EQ(g.con->last_key(), key::kEsc);
  EXPECT_EQ(g.term->keys_left(), 0u);
}

TEST(GetBufferEdits, InsertLiteralsLogicalsAndWords) {
  // Insert mode pushes the rest of the run right up to the next literal; the run's
  // last character falls off.
  GetBuffer tax(Value::str("12345678123"), "@R 99999999-9-99");
  EXPECT_EQ(tax.text(), "12345678-1-23");
  EXPECT_EQ(tax.width(), 13);
  tax.home();
  EXPECT_TRUE(tax.type_char('9', true));
  EXPECT_EQ(tax.text(), "91234567-1-23");
  EXPECT_EQ(tax.value().as_str(), "91234567123");
  EXPECT_FALSE(tax.type_char('x', false));  // "9" takes digits only
  for (int i = 0; i < 7; ++i) tax.right();
  EXPECT_EQ(tax.pos(), 9);  // the cursor skips the literal
  tax.del();
  EXPECT_EQ(tax.value().as_str(), "91234567 23");

  // "@E": a comma typed in a number moves to the decimals as the point does.
  GetBuffer amount(Value::num(0, 10, 2), "@E 999,999.99");
  EXPECT_TRUE(amount.type_char('1', false));
  EXPECT_TRUE(amount.type_char('2', false));
  EXPECT_TRUE(amount.type_char(',', false));
  EXPECT_TRUE(amount.type_char('5', false));
  EXPECT_EQ(amount.value().as_num(), 12.5);
  EXPECT_EQ(amount.display(amount.value()), "     12,50");

  // Logicals take T/F/Y/N; "Y" shows Y/N.
  GetBuffer yes(Value::logical(false), "Y");
  EXPECT_EQ(yes.text(), "N");
  EXPECT_TRUE(yes.type_char('t', false));
  EXPECT_EQ(yes.text(), "Y");
  EXPECT_TRUE(yes.value().as_logical());
  EXPECT_TRUE(yes.type_out());
  EXPECT_FALSE(GetBuffer(Value::logical(true), "").type_char('q', false));

  // "@!" without a template: the whole text in upper case; "A" letters only.
  GetBuffer up(Value::str("    "), "@!");
  EXPECT_TRUE(up.type_char(static_cast<unsigned char>(HU("é")[0]), false));
  EXPECT_EQ(up.text()[0], HU("É")[0]);
  GetBuffer letters(Value::str("  "), "AA");
  EXPECT_FALSE(letters.type_char('1', false));
  EXPECT_TRUE(letters.type_char('b', false));

  // Words, and End after the last non-blank character.
  GetBuffer words(Value::str("alma korte   "), "");
  words.end();
  EXPECT_EQ(words.pos(), 10);
  words.word_left();
  EXPECT_EQ(words.pos(), 5);
  words.word_left();
  EXPECT_EQ(words.pos(), 0);
  words.word_right();
  EXPECT_EQ(words.pos(), 5);

  // A date typed only in part is not a date.
  GetBuffer d(Value::date(xbase::Date()), "");
  d.type_char('2', false);
  EXPECT_FALSE(d.valid_date());
  d.del_to_end();
  d.home();
  d.del_to_end();
  EXPECT_TRUE(d.valid_date());
  EXPECT_TRUE(d.value().as_date().empty());
}

// Letters come from the terminal as UTF-8. A Latin-1 keyboard's stand-ins for the
// long accents become them; any other character the code page lacks is refused as a
// letter in a number is: the text stays as it was and, with SET BELL on, the bell
// rings for it.
TEST(GetRead, CharactersOutsideTheCodePage) {
  for (bool bell : {true, false}) {
    SCOPED_TRACE(bell ? "SET BELL ON" : "SET BELL OFF");
    Form f;
    f.ctx->bell = bell;
    f.get(1, 0, "NAME", Value::str(std::string(10, ' ')));
    f.get(2, 0, "CITY", Value::str(std::string(6, ' ')));
    f.get(3, 0, "AMOUNT", Value::num(0, 5, 0), "99999");
    f.get(4, 0, "CODE", Value::str("001"), "@K 999");
    f.term->input("K\xc3\xb5v\xe2\x82\xac\xc3\xa1" "cs\r");  // "Kõv€ács"
    f.term->input("\xc3\x95\xc3\x9b\xc3\xbb\xf0\x9f\x98\x80" "\r");  // "ÕÛû" and an emoji
    f.type("1a2\r");
    // Pushed past the end, an outside character leaves the field as a refused key does.
    f.keys({key::kRight, key::kRight, key::kRight});
    f.term->input("\xe2\x82\xac");
    EXPECT_TRUE(f.read());
    EXPECT_EQ(f.term->keys_left(), 0u);
    EXPECT_EQ(f.var("NAME").as_str(), std::string(HU("Kővács    ")));
    EXPECT_EQ(f.var("CITY").as_str(), std::string(HU("ŐŰű   ")));
    EXPECT_EQ(f.var("AMOUNT").as_num(), 12);
    EXPECT_EQ(f.var("CODE").as_str(), "001");
    // Row 1, columns 0-9 and row 2, columns 0-5 as the fields show them at the end.
    EXPECT_EQ(f.text(1, 0, 10), std::string(HU("Kővács    ")));
    EXPECT_EQ(f.text(2, 0, 6), std::string(HU("ŐŰű   ")));
    // "€", the emoji, "a" and the last "€": four refused keys, four rings.
    EXPECT_EQ(f.term->bells(), bell ? 4 : 0);
  }

  // With SET BELL on the bell also rings when typing fills the field's last position.
  Form g;
  g.ctx->bell = true;
  g.get(1, 0, "CODE", Value::str("   "), "@K 999");
  g.type("123");
  g.read();
  EXPECT_EQ(g.var("CODE").as_str(), "123");
  EXPECT_EQ(g.term->bells(), 1);
}

TEST(GetRead, FieldColours) {
  Form f;
  GetField& a = f.get(1, 0, "A", Value::str("ab"));
  GetField& b = f.get(2, 0, "B", Value::str("cd"));
  b.colour = "gr/n,n/gr";
  b.show(*f.con);  // placed before its colour was given
  Attr unsel = 0, btn = 0, n_gr = 0;
  ASSERT_TRUE(parse_slot("gr+/n", unsel));
  ASSERT_TRUE(parse_slot("gr/n", btn));
  ASSERT_TRUE(parse_slot("n/gr", n_gr));
  (void)a;
  f.keys({key::kDown, key::kPgDn});
  f.read();
  const auto& w = f.term->waits();
  EXPECT_EQ(w[0].at(1, 0).attr, f.con->attr(kEnhanced));  // the field being edited
  EXPECT_EQ(w[0].at(2, 0).attr, btn);                       // its own unselected colour
  EXPECT_EQ(w[1].at(1, 0).attr, unsel);                     // the unselected slot
  EXPECT_EQ(w[1].at(2, 0).attr, n_gr);
}

}  // namespace
