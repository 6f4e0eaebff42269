// The console over a headless terminal: screen writes and refresh batching, the
// keyboard buffer, the key filter with the clipboard, hot keys, the printer device,
// the list chooser and the alert box.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "console/achoice.h"
#include "console/alert.h"
#include "console/console.h"
#include "console/frames.h"
#include "console/headless.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/value.h"

namespace {

using namespace console;

struct Fixture {
  HeadlessBackend* term;
  std::unique_ptr<Console> con;
  Fixture() {
    auto b = std::make_unique<HeadlessBackend>();
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
  }
};

std::string cells(const Screen& s, int row, int col, int len) {
  std::string out;
  for (int c = col; c < col + len; ++c) out += static_cast<char>(s.at(row, c).ch);
  return out;
}

TEST(Screen, WritesClipFramesAndRestores) {
  Fixture f;
  Console& c = *f.con;
  c.set_colour("gr+/b");
  c.say(3, 76, "abcdefg");  // runs off the right edge
  EXPECT_EQ(cells(c.screen(), 3, 76, 4), "abcd");
  EXPECT_EQ(c.screen().at(4, 0).ch, ' ');
  EXPECT_EQ(c.screen().at(3, 76).attr, 0x1E);
  EXPECT_EQ(c.row(), 3);
  EXPECT_EQ(c.col(), 83);
  c.say(30, 0, "x");  // off the screen: nothing
  c.say(0, 0, "x", 0x4F);
  EXPECT_EQ(c.screen().at(0, 0).attr, 0x4F);

  Screen::Saved saved = c.screen().save(2, 70, 5, 79);
  c.box(2, 70, 5, 79, std::string(kDoubleFrame) + std::string(HU("▒")));
  EXPECT_EQ(cells(c.screen(), 3, 70, 3), std::string(HU("║▒▒")));
  EXPECT_EQ(cells(c.screen(), 5, 78, 2), std::string(HU("═╝")));
  c.screen().restore(saved);
  EXPECT_EQ(cells(c.screen(), 3, 76, 4), "abcd");
  EXPECT_EQ(c.screen().row_utf8(11).size(), 80u);

  // UTF-8 view of CP852 text.
  c.clear_screen();
  c.say(1, 0, HU("őűŐŰáé ▒ ┌─┐"));
  EXPECT_EQ(c.screen().row_utf8(1).substr(0, 26), "őűŐŰáé ▒ ┌─┐");
  EXPECT_EQ(c.screen().row_attrs_hex(1).substr(0, 4), "1e1e");
}

TEST(Screen, ScrollAndOut) {
  Fixture f;
  Console& c = *f.con;
  for (int r = 0; r < 5; ++r) c.say(r, 0, std::string(1, static_cast<char>('a' + r)) + "xyz");
  c.scroll(1, 0, 3, 1, 1);  // rows 1-3, columns 0-1, up by one
  EXPECT_EQ(cells(c.screen(), 1, 0, 4), "cxyz");
  EXPECT_EQ(cells(c.screen(), 2, 0, 4), "dxyz");
  EXPECT_EQ(cells(c.screen(), 3, 0, 4), "  yz");
  EXPECT_EQ(cells(c.screen(), 4, 0, 1), "e");
  c.scroll(0, 0, 4, 0, -2);
  EXPECT_EQ(cells(c.screen(), 0, 0, 1), " ");
  EXPECT_EQ(cells(c.screen(), 2, 0, 1), "a");
  EXPECT_EQ(cells(c.screen(), 4, 0, 1), "d");
  c.scroll(0, 0, 4, 0, 9);
  EXPECT_EQ(cells(c.screen(), 2, 0, 1), " ");
  c.set_pos(6, 3);
  c.out("ab");
  c.out("cd");
  EXPECT_EQ(cells(c.screen(), 6, 3, 4), "abcd");
  EXPECT_EQ(c.col(), 7);
}

TEST(Screen, MessageRowAndTitle) {
  Fixture f;
  Console& c = *f.con;
  c.show_message("no row set");
  EXPECT_EQ(c.screen().row_utf8(24), std::string(80, ' '));
  c.set_message_row(24, true);
  c.say(24, 0, "old text on the row");
  c.show_message("M30 nyomtat\xa0sa");  // 14 characters: from column (79 - 14) / 2
  EXPECT_EQ(cells(c.screen(), 24, 0, 3), "   ");
  EXPECT_EQ(c.screen().row_utf8(24).substr(32, 15), "M30 nyomtatása");
  c.set_title(HU("Szja adatszolgáltatás 2023"));
  EXPECT_EQ(f.term->title(), std::string(HU("Szja adatszolgáltatás 2023")));
}

TEST(Screen, RefreshOncePerWait) {
  Fixture f;
  Console& c = *f.con;
  for (int i = 0; i < 100; ++i) c.say(i % 25, 0, "line");
  EXPECT_EQ(f.term->presents(), 0);
  f.term->keys({'a', 'b'});
  EXPECT_EQ(c.inkey(0), 'a');
  EXPECT_EQ(f.term->presents(), 1);
  EXPECT_EQ(c.inkey(0), 'b');  // nothing changed in between
  EXPECT_EQ(f.term->presents(), 1);
  EXPECT_EQ(f.term->waits().size(), 2u);
  EXPECT_EQ(cells(f.term->last_wait(), 24, 0, 4), "line");
}

TEST(Keyboard, BufferLastNextAndTimeouts) {
  Fixture f;
  Console& c = *f.con;
  f.term->keys({key::kDown, 'x'});
  EXPECT_EQ(c.next_key(), key::kDown);  // left in place, last key unchanged
  EXPECT_EQ(c.last_key(), 0);
  EXPECT_EQ(c.inkey(), key::kDown);
  EXPECT_EQ(c.last_key(), key::kDown);
  c.keyboard("\r");  // KEYBOARD clears the buffer first
  c.put_key(key::kEsc);
  EXPECT_EQ(c.inkey(0), key::kEnter);
  EXPECT_EQ(c.inkey(0), key::kEsc);
  EXPECT_EQ(c.inkey(0), 'x');
  // Nothing typed: no wait returns 0 at once, a timed wait after its time, and the
  // last key stays; a wait for ever with nothing scripted fails the test loudly.
  EXPECT_EQ(c.inkey(), 0);
  EXPECT_EQ(c.inkey(2.5), 0);
  EXPECT_GE(f.term->waited_ms(), 2400);
  EXPECT_LE(f.term->waited_ms(), 2500);
  EXPECT_EQ(c.last_key(), 'x');
  c.put_key('q');
  c.clear_keyboard();
  EXPECT_TRUE(c.keyboard_empty());
  EXPECT_THROW(c.inkey(0), ScriptExhausted);
}

TEST(Keyboard, ClearingDropsWhatWasTypedAheadButNotWhatComesLater) {
  Fixture f;
  Console& c = *f.con;
  // "4o" arrives at once: the program reads the 4, clears, and the o is gone; the
  // key typed later (after the program asked) is read.
  f.term->input("4o");
  f.term->keys({'n'});
  EXPECT_EQ(c.inkey(0), '4');
  c.clear_keyboard();
  EXPECT_EQ(f.term->drained(), 1);
  EXPECT_EQ(c.inkey(0), 'n');
  // What the program itself puts in after clearing stays (a pick list's KEYBOARD).
  f.term->input("ab");
  EXPECT_EQ(c.inkey(0), 'a');
  c.clear_keyboard();
  c.keyboard("\r");
  EXPECT_EQ(c.inkey(0), key::kEnter);
  EXPECT_EQ(f.term->keys_left(), 0u);
  // An escape sequence typed ahead goes whole: no stray Esc is left behind.
  f.term->input("x\x1b[A\x1b[B");
  EXPECT_EQ(c.inkey(0), 'x');
  c.clear_keyboard();
  EXPECT_EQ(c.inkey(), 0);
}

TEST(Keyboard, FilterCopiesAndPastesOnlyWithCtrlInAField) {
  Fixture f;
  Console& c = *f.con;
  bool in_field = true;
  std::string value = "  12345678  ";
  c.set_key_filter(clipboard_filter([&](std::string& v) {
    v = value;
    return in_field;
  }));
  f.term->input("\x03");      // Ctrl+C: copied, dropped
  f.term->input("\x1b[6~");   // PgDn: passes
  f.term->input("\x16");      // Ctrl+V: the clipboard typed in
  f.term->input("\x1b[2~");   // Ins: passes
  f.term->key(key::kEsc);
  EXPECT_EQ(c.inkey(0), key::kPgDn);
  EXPECT_EQ(c.clipboard(), "12345678");
  EXPECT_EQ(f.term->clipboard(), "12345678");  // also handed to the terminal
  std::string pasted;
  for (int i = 0; i < 8; ++i) pasted += static_cast<char>(c.inkey(0));
  EXPECT_EQ(pasted, "12345678");
  EXPECT_EQ(c.inkey(0), key::kIns);
  EXPECT_EQ(c.inkey(0), key::kEsc);

  // Without an active field Ctrl+C is the key 3 (PgDn) and Ctrl+V 22 (Ins).
  in_field = false;
  f.term->input("\x03\x16");
  EXPECT_EQ(c.inkey(0), 3);
  EXPECT_EQ(c.shift_state() & key::kShiftBitCtrl, key::kShiftBitCtrl);
  EXPECT_EQ(c.inkey(0), 22);
}

TEST(HotKeys, RunWhereFieldsWaitNotInPlainWaitsAndCanBeRestored) {
  Fixture f;
  Console& c = *f.con;
  std::string log;
  c.set_key(key::kAltS, [&](Console& cn) {
    log += "S";
    EXPECT_TRUE(cn.hot_key_running(key::kAltS));
    // Inside its own handler the key does nothing; another hot key still runs.
    EXPECT_EQ(cn.read_key(), 'z');
  });
  c.set_key(key::kAltV, [&](Console&) { log += "V"; });
  Console::HotKeys saved = c.hot_keys();

  f.term->keys({key::kAltS, key::kAltS, key::kAltV, 'z', 'a'});
  EXPECT_EQ(c.read_key(), 'a');
  EXPECT_EQ(log, "SV");
  EXPECT_FALSE(c.hot_key_running(key::kAltS));

  // A plain timed wait returns the key itself.
  f.term->keys({key::kAltV});
  EXPECT_EQ(c.inkey(1), key::kAltV);
  EXPECT_EQ(log, "SV");

  c.clear_key(key::kAltV);
  c.set_key(key::kF2, [&](Console&) { log += "2"; });
  f.term->keys({key::kAltV, key::kF2, 'b'});
  EXPECT_EQ(c.read_key(), key::kAltV);
  EXPECT_EQ(c.read_key(), 'b');
  c.restore_hot_keys(saved);
  EXPECT_EQ(c.hot_keys().count(key::kF2), 0u);
  EXPECT_EQ(c.hot_keys().count(key::kAltV), 1u);

  // A handler that throws does not leave its key blocked.
  c.set_key(key::kF2, [&](Console&) { throw std::runtime_error("x"); });
  f.term->keys({key::kF2});
  EXPECT_THROW(c.read_key(), std::runtime_error);
  EXPECT_FALSE(c.hot_key_running(key::kF2));
}

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(Printer, PositionedPageBytes) {
  std::string path = ::testing::TempDir() + "console_printer_page.prn";
  Fixture f;
  Console& c = *f.con;
  ASSERT_TRUE(c.printer().set_printer(path));
  EXPECT_EQ(c.set_device(Device::Printer), Device::Screen);
  c.say(1, 10, "B");  // one row down, ten blanks
  c.say(1, 2, "A");   // back on the same line: CR, then blanks
  c.say(1, 20, "C");
  EXPECT_EQ(c.printer().prow(), 1);
  EXPECT_EQ(c.printer().pcol(), 21);
  c.say(3, 0, "D");
  c.say(2, 1, "E");  // an earlier row: a new page first
  c.printer().setprc(0, 0);
  c.say(0, 3, "F");  // SETPRC(0,0): no feed for row 0
  c.printer().eject();
  EXPECT_EQ(c.printer().prow(), 0);
  EXPECT_EQ(c.printer().pcol(), 0);
  EXPECT_EQ(c.set_device(Device::Screen), Device::Printer);
  c.say(0, 0, "S");  // on the screen, not in the file
  c.printer().set_printer("");
  EXPECT_FALSE(c.printer().is_open());
  EXPECT_EQ(read_all(path),
            "\r\n          B"
            "\r  A"
            "                 C"
            "\r\n\r\nD"
            "\f\r\r\n\r\n E"
            "   F"
            "\f\r");
  EXPECT_EQ(c.screen().at(0, 0).ch, 'S');
  // ADDITIVE appends; a path that cannot be opened reports it.
  ASSERT_TRUE(c.printer().set_printer(path, true));
  c.printer().say(0, 1, "G");
  c.printer().close();
  EXPECT_EQ(read_all(path).substr(read_all(path).size() - 4), "\f\r G");
  EXPECT_FALSE(c.printer().set_printer("/nonexistent-dir/x.prn"));
  std::remove(path.c_str());
}

TEST(Achoice, WithoutUserFunction) {
  const std::vector<std::string> items = {"alma", "barack", "citrom", "dinnye", "eper", "fuge", "goji"};
  struct Case {
    std::vector<int> keys;
    int answer;
  };
  const std::vector<Case> cases = {
      {{key::kEnter}, 1},
      {{key::kDown, key::kDown, key::kEnter}, 3},
      {{key::kUp, key::kEnter}, 1},  // no wrap at the top
      {{key::kEnd, key::kEnter}, 7},
      {{key::kEnd, key::kDown, key::kHome, key::kEnter}, 1},
      {{key::kPgDn, key::kEnter}, 3},  // by the height less one
      {{key::kPgDn, key::kPgDn, key::kPgDn, key::kEnter}, 7},
      {{key::kEnd, key::kPgUp, key::kEnter}, 5},
      {{key::kCtrlPgDn, key::kEnter}, 7},
      {{'e', key::kEnter}, 5},
      {{'D', key::kEnter}, 4},
      {{key::kEsc}, 0},
      {{key::kLeft}, 0},
      {{key::kRight}, 0},
  };
  for (const auto& c : cases) {
    Fixture f;
    for (int k : c.keys) f.term->key(k);
    EXPECT_EQ(achoice(*f.con, 5, 10, 7, 19, items), c.answer) << c.keys.size() << " " << c.keys[0];
  }
}

// A 30-item list in a window of 10 rows (rows 2 to 11): where PgDn, PgUp, first
// letters and Home put the item and the window.
TEST(Achoice, PagesLettersAndItemsAboveTheFirstChoice) {
  std::vector<std::string> items;
  for (int i = 0; i < 30; ++i) items.push_back(std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i + 1));
  // The item shown on a window row, and the row of the highlighted item.
  auto item_at = [](const Screen& s, int row) { return xbase::rtrim(cells(s, 2 + row, 10, 6)); };
  auto lit_row = [](const Screen& s, Attr enhanced) {
    for (int r = 0; r < 10; ++r)
      if (s.at(2 + r, 10).attr == enhanced) return r;
    return -1;
  };

  Fixture f;
  f.con->set_colour("w/n,n/w,,,r/n");
  Attr lit = f.con->attr(kEnhanced);
  f.term->keys({key::kPgDn, key::kPgDn, key::kPgDn, key::kPgDn, key::kPgUp, key::kPgUp, key::kPgUp,
                key::kPgUp, key::kEnter});
  EXPECT_EQ(achoice(*f.con, 2, 10, 11, 15, items), 1);
  const auto& w = f.term->waits();
  ASSERT_EQ(w.size(), 9u);
  struct Want {
    const char* top;
    int row;
  };
  const Want want[] = {
      {"A1", 0},                             // start
      {"J10", 0},  {"S19", 0},               // PgDn: nine on, the new item on the top row
      {"U21", 7},  {"U21", 9},               // the window cannot go past the last item
      {"L12", 9},  {"C3", 9},                // PgUp: nine back, the new item on the bottom row
      {"A1", 2},   {"A1", 0},                // the window cannot go before the first
  };
  for (std::size_t i = 0; i < w.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(item_at(w[i], 0), want[i].top);
    EXPECT_EQ(lit_row(w[i], lit), want[i].row);
  }
  // When the list ends the chosen item is in the standard colour again.
  EXPECT_EQ(f.con->screen().at(2, 10).attr, f.con->attr(kStandard));

  // A first letter outside the window shows its item on the bottom row; inside, the
  // window stays.
  Fixture g;
  g.term->keys({'P', 'c', 'R', 'M', key::kEsc});
  EXPECT_EQ(achoice(*g.con, 2, 10, 11, 15, items), 0);
  const auto& v = g.term->waits();
  EXPECT_EQ(item_at(v[1], 9), "P16");
  EXPECT_EQ(item_at(v[2], 9), "C29");
  EXPECT_EQ(item_at(v[3], 9), "R18");
  EXPECT_EQ(item_at(v[4], 0), "I9");  // M13 was in sight
  EXPECT_EQ(lit_row(v[4], g.con->attr(kEnhanced)), 4);

  // Items that cannot be chosen at the top stay in sight above the first that can
  // after Home and Ctrl+PgUp.
  Fixture h;
  h.con->set_colour("w/n,n/w,,,r/n");
  AchoiceOptions opt;
  opt.selectable.assign(30, true);
  opt.selectable[0] = opt.selectable[1] = opt.selectable[2] = false;
  h.term->keys({key::kEnd, key::kHome, key::kEnd, key::kCtrlPgUp, key::kEnter});
  EXPECT_EQ(achoice(*h.con, 2, 10, 11, 15, items, opt), 4);
  const auto& u = h.term->waits();
  for (int i : {2, 4}) {
    EXPECT_EQ(item_at(u[static_cast<std::size_t>(i)], 0), "A1");
    EXPECT_EQ(lit_row(u[static_cast<std::size_t>(i)], h.con->attr(kEnhanced)), 3);
  }
}

TEST(Achoice, ScrollingColoursAndUnselectable) {
  const std::vector<std::string> items = {"alma", "barack", "citrom", "dinnye", "eper"};
  Fixture f;
  f.con->set_colour("w/n,n/w,,,r/n");
  AchoiceOptions opt;
  opt.selectable = {true, false, true, true, true};
  opt.initial = 4;
  f.term->keys({key::kUp, key::kUp, key::kDown, key::kEnter});
  EXPECT_EQ(achoice(*f.con, 5, 10, 7, 15, items, opt), 3);
  const auto& w = f.term->waits();
  ASSERT_EQ(w.size(), 4u);
  // Item 4 highlighted on the top row of a three-row window showing 4, 5 and blanks
  // is not allowed: the window shows the last three items.
  EXPECT_EQ(cells(w[0], 5, 10, 6), "citrom");
  EXPECT_EQ(cells(w[0], 6, 10, 6), "dinnye");
  EXPECT_EQ(w[0].at(6, 10).attr, 0x70);
  EXPECT_EQ(w[0].at(5, 10).attr, 0x07);
  // Up skips the item that cannot be chosen; it shows in the unselected colour.
  EXPECT_EQ(cells(w[2], 5, 10, 6), "alma  ");
  EXPECT_EQ(w[2].at(5, 10).attr, 0x70);
  EXPECT_EQ(w[2].at(6, 10).attr, 0x04);
  EXPECT_EQ(cells(w[2], 6, 10, 6), "barack");
  // No item can be chosen: 0 at once.
  Fixture g;
  opt.selectable = {false, false};
  EXPECT_EQ(achoice(*g.con, 0, 0, 3, 10, {"a", "b"}, opt), 0);
  EXPECT_EQ(achoice(*g.con, 0, 0, 3, 10, {}, {}), 0);
}

TEST(Achoice, UserFunctionProtocol) {
  const std::vector<std::string> items = {"Igen", "Nem", "Ismet"};
  Fixture f;
  std::vector<std::string> calls;
  AchoiceOptions opt;
  opt.user = [&](Console& c, int mode, int cur, int row) {
    calls.push_back(std::to_string(mode) + ":" + std::to_string(cur) + ":" + std::to_string(row));
    int k = c.last_key();
    if (mode == kAcException && k == 'i') return int(kAcGoto);
    if (k == 'x') return int(kAcAbort);
    if (k == key::kEnter) return int(kAcSelect);
    return int(kAcContinue);
  };
  f.term->keys({key::kDown, key::kUp, key::kUp, key::kLeft, 'i', 'i', key::kEnter});
  EXPECT_EQ(achoice(*f.con, 0, 0, 2, 9, items, opt), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"0:2:1", "0:1:0", "1:1:0", "3:1:0", "3:1:0", "3:3:2",
                                             "3:1:0"}));
  Fixture g;
  g.term->keys({key::kDown, 'x'});
  EXPECT_EQ(achoice(*g.con, 0, 0, 2, 9, items, opt), 0);
}

TEST(Alert, LinesChoicesKeysAndRestore) {
  Fixture f;
  Console& c = *f.con;
  c.say(12, 30, "under the box");
  Screen before = c.screen();
  f.term->keys({key::kRight, key::kEnter});
  EXPECT_EQ(alert(c, "Hiba a f\xa0jlban;Folytatja?", {"Igen", "Nem"}), 2);
  const Screen& s = f.term->waits().front();
  // Both lines centred above the buttons, which sit side by side.
  std::string text = s.text_utf8();
  EXPECT_NE(text.find("Hiba a fájlban"), std::string::npos);
  EXPECT_NE(text.find("Folytatja?"), std::string::npos);
  EXPECT_NE(text.find(" Igen    Nem "), std::string::npos);
  int row = -1;
  for (int r = 0; r < 25; ++r)
    if (s.row_utf8(r).find("Igen") != std::string::npos) row = r;
  ASSERT_GT(row, 0);
  EXPECT_EQ(s.row_utf8(row - 3).find("Hiba"), s.row_utf8(row - 2).find("Folytatja") - 2);
  EXPECT_EQ(c.screen().text_utf8(), before.text_utf8());

  for (auto [k, want] : std::vector<std::pair<int, int>>{{key::kEsc, 0}, {'n', 2}, {'I', 1}, {key::kEnter, 1}}) {
    Fixture g;
    g.term->key(k);
    EXPECT_EQ(alert(*g.con, "x", {"Igen", "Nem"}), want);
  }
  Fixture h;
  h.term->keys({key::kEnter});
  EXPECT_EQ(alert(*h.con, "Only ok"), 1);
  EXPECT_NE(h.term->last_wait().text_utf8().find(" Ok "), std::string::npos);
}

TEST(Say, PictureGoesThroughTransform) {
  Fixture f;
  f.con->say_picture(2, 4, xbase::Value::num(1234567), "@E 99,999,999");
  EXPECT_EQ(cells(f.con->screen(), 2, 4, 10), " 1.234.567");
}

}  // namespace
