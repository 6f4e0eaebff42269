// The question box, the frame and the window stack on a headless console: where the
// box lands, what the keys answer, and that the screen comes back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/frames.h"
#include "console/headless.h"
#include "ui/dialogs.h"
#include "ui/windows.h"
#include "xbase/hutext.h"

namespace {

using console::Console;
using console::HeadlessBackend;
using console::Screen;
namespace key = console::key;

struct Fixture {
  HeadlessBackend* term;
  std::unique_ptr<Console> con;
  explicit Fixture(bool colour = true) {
    auto b = std::make_unique<HeadlessBackend>(colour);
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
    con->set_colour("w/n");
    con->clear_screen();
  }
};

// CP852 bytes of `len` cells from (row, col).
std::string cells(const Screen& s, int row, int col, int len) {
  std::string out;
  for (int c = col; c < col + len; ++c) out += static_cast<char>(s.at(row, c).ch);
  return out;
}

// Checks a single frame from (top, left) to (bottom, right).
void expect_frame(const Screen& s, int top, int left, int bottom, int right) {
  auto f = console::kSingleFrame;
  EXPECT_EQ(s.at(top, left).ch, static_cast<unsigned char>(f[0])) << top << "," << left;
  EXPECT_EQ(s.at(top, right).ch, static_cast<unsigned char>(f[2])) << top << "," << right;
  EXPECT_EQ(s.at(bottom, right).ch, static_cast<unsigned char>(f[4])) << bottom << "," << right;
  EXPECT_EQ(s.at(bottom, left).ch, static_cast<unsigned char>(f[6])) << bottom << "," << left;
  for (int c = left + 1; c < right; ++c) {
    EXPECT_EQ(s.at(top, c).ch, static_cast<unsigned char>(f[1])) << top << "," << c;
    EXPECT_EQ(s.at(bottom, c).ch, static_cast<unsigned char>(f[5])) << bottom << "," << c;
  }
  for (int r = top + 1; r < bottom; ++r) {
    EXPECT_EQ(s.at(r, left).ch, static_cast<unsigned char>(f[7])) << r << "," << left;
  }
}

TEST(Kerdez, OneLineOneButtonBoxOnRows17To21) {
  Fixture f;
  f.con->say(18, 60, "under");
  Screen before = f.con->screen();
  f.term->keys({key::kEnter});
  EXPECT_EQ(ui::kerdez(*f.con, HU("Indexelés kész"), {HU("Tovább")}), 1);
  const Screen& s = f.term->last_wait();
  // W = 14, so the box spans columns 76 - 14 - 6 = 56 to 76.
  expect_frame(s, 17, 56, 21, 76);
  EXPECT_EQ(s.at(16, 56).ch, ' ');
  EXPECT_EQ(cells(s, 18, 57, 16), std::string(" ") + std::string(HU("Indexelés kész")) + " ");
  EXPECT_EQ(cells(s, 19, 57, 19), std::string(19, ' '));  // the empty row
  EXPECT_EQ(cells(s, 20, 58, 18), std::string(HU("Tovább")) + std::string(12, ' '));
  // The box in black on cyan, the highlighted button bright cyan on black over
  // W + 4 columns.
  EXPECT_EQ(s.at(18, 58).attr, 0x30);
  EXPECT_EQ(s.at(17, 56).attr, 0x30);
  for (int c = 58; c <= 75; ++c) EXPECT_EQ(s.at(20, c).attr, 0x0B) << c;
  EXPECT_EQ(s.at(20, 76).attr, 0x30);
  // Everything comes back: screen, colour, cursor.
  EXPECT_TRUE(f.con->screen().text_utf8() == before.text_utf8());
  EXPECT_EQ(f.con->colour_string(), "W/N,N/W,N/N,N/N,N/W");
  EXPECT_EQ(f.con->row(), 18);
  EXPECT_EQ(f.con->col(), 65);
}

TEST(Kerdez, AnswersByKey) {
  struct Case {
    std::vector<int> keys;
    int answer;
  };
  const std::vector<Case> cases = {
      {{'t'}, 1}, {{'T'}, 1}, {{key::kEsc}, 0}, {{'x', key::kLeft, key::kEsc}, 0}, {{key::kEnter}, 1}};
  for (const auto& c : cases) {
    Fixture f;
    for (int k : c.keys) f.term->key(k);
    EXPECT_EQ(ui::kerdez(*f.con, HU("Indexelés kész"), {HU("Tovább")}), c.answer);
    EXPECT_EQ(f.term->keys_left(), 0u);
  }
}

TEST(Kerdez, ButtonsOnlyBoxStartsTwoRowsLower) {
  Fixture f;
  f.term->keys({key::kEnter});
  EXPECT_EQ(ui::kerdez(*f.con, "", {"Nincs t\x94" "bb..."}), 1);
  const Screen& s = f.term->last_wait();
  // W = 13: columns 57 to 76; the frame starts on row 19 instead of 17.
  expect_frame(s, 19, 57, 21, 76);
  EXPECT_EQ(s.at(18, 57).ch, ' ');
  EXPECT_EQ(s.at(18, 57).attr, 0x07);
  EXPECT_EQ(s.at(20, 59).ch, 'N');
}

TEST(Kerdez, TwoLinesTwoButtonsAndInitials) {
  const std::vector<std::string_view> text = {HU("A megadott könyvtár nem létezik."), HU("Létrehozás?")};
  const std::vector<std::string_view> buttons = {HU("Igen"), HU("Nem")};
  {
    Fixture f;
    f.term->keys({'n'});
    EXPECT_EQ(ui::kerdez(*f.con, text, buttons), 2);
    const Screen& s = f.term->waits().front();
    // W = 32: T = 15, C = 38.
    expect_frame(s, 15, 38, 21, 76);
    EXPECT_EQ(cells(s, 16, 40, 32), std::string(text[0]));
    EXPECT_EQ(cells(s, 17, 40, 11), std::string(text[1]));
    EXPECT_EQ(cells(s, 19, 40, 4), "Igen");
    EXPECT_EQ(cells(s, 20, 40, 3), "Nem");
    EXPECT_EQ(s.at(19, 40).attr, 0x0B);
    EXPECT_EQ(s.at(20, 40).attr, 0x30);
  }
  struct Case {
    std::vector<int> keys;
    int answer;
  };
  for (const Case& c : std::vector<Case>{{{'N'}, 2},
                                         {{'i'}, 1},
                                         {{key::kDown, key::kEnter}, 2},
                                         {{key::kDown, key::kDown, key::kUp, key::kEnter}, 1},
                                         {{key::kEnd, key::kEnter}, 2},
                                         {{'q', key::kDown, key::kEsc}, 0}}) {
    Fixture f;
    for (int k : c.keys) f.term->key(k);
    EXPECT_EQ(ui::kerdez(*f.con, text, buttons), c.answer) << c.keys.front();
  }
  // The highlight moved by Down shows on the second button.
  Fixture f;
  f.term->keys({key::kDown, key::kEsc});
  ui::kerdez(*f.con, text, buttons);
  EXPECT_EQ(f.term->last_wait().at(20, 40).attr, 0x0B);
  EXPECT_EQ(f.term->last_wait().at(19, 40).attr, 0x30);
}

TEST(Kerdez, SameInitialReachedInTurnFromHighlight) {
  const std::vector<std::string_view> buttons = {"Igen", "Nem", HU("Ismét")};
  Fixture f;
  f.term->keys({'i'});
  EXPECT_EQ(ui::kerdez(*f.con, "?", buttons), 3);
  Fixture g;
  g.term->keys({key::kDown, key::kDown, 'i'});
  EXPECT_EQ(ui::kerdez(*g.con, "?", buttons), 1);
}

TEST(Kerdez, SixButtonsThreeLinesSpanRows10To21) {
  Fixture f;
  f.term->keys({key::kPgDn, key::kEnter});
  EXPECT_EQ(ui::kerdez(*f.con, std::vector<std::string_view>{"egy", "ketto", "harom"},
                       {"A1", "B2", "C3", "D4", "E5", "F6"}),
            6);
  const Screen& s = f.term->waits().front();
  // W = 5: columns 65 to 76.
  expect_frame(s, 10, 65, 21, 76);
  EXPECT_EQ(cells(s, 11, 67, 3), "egy");
  EXPECT_EQ(cells(s, 13, 67, 5), "harom");
  EXPECT_EQ(cells(s, 14, 66, 10), std::string(10, ' '));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.at(15 + i, 67).ch, 'A' + i);
}

TEST(Kerdez, LongLineOverflowsTheFrame) {
  Fixture f;
  std::string line;
  for (int i = 0; i < 75; ++i) line += static_cast<char>('a' + i % 26);
  f.term->keys({key::kEsc});
  EXPECT_EQ(ui::kerdez(*f.con, line, {"OK"}), 0);
  const Screen& s = f.term->last_wait();
  // W is capped at 70: columns 0 to 76; the line runs from column 2 to 76.
  EXPECT_EQ(s.at(17, 0).ch, static_cast<unsigned char>(console::kSingleFrame[0]));
  EXPECT_EQ(s.at(17, 76).ch, static_cast<unsigned char>(console::kSingleFrame[2]));
  EXPECT_EQ(s.at(21, 76).ch, static_cast<unsigned char>(console::kSingleFrame[4]));
  EXPECT_EQ(cells(s, 18, 2, 75), line);
  EXPECT_EQ(s.at(18, 77).ch, ' ');
  EXPECT_EQ(s.at(19, 76).ch, static_cast<unsigned char>(console::kSingleFrame[3]));
}

TEST(Kerdez, TypeAheadClearedDeviceAndColoursRestored) {
  Fixture f;
  f.con->keyboard("n\r");  // typed ahead: must not answer
  f.con->set_device(console::Device::Printer);
  f.term->keys({key::kEsc});
  EXPECT_EQ(ui::kerdez(*f.con, "x", {"Igen", "Nem"}), 0);
  EXPECT_EQ(f.con->device(), console::Device::Printer);
  EXPECT_TRUE(f.con->keyboard_empty());
  // The box went to the screen although the device was the printer.
  EXPECT_EQ(f.term->last_wait().at(17, 68).ch, 'x');
}

TEST(Kerdez, MonochromeColours) {
  Fixture f(false);
  f.term->keys({key::kEsc});
  ui::kerdez(*f.con, "x", {"Igen", "Nem"});
  const Screen& s = f.term->last_wait();
  EXPECT_EQ(s.at(17, 68).attr, 0x07);  // "w/n"
  EXPECT_EQ(s.at(17, 68).ch, 'x');
  EXPECT_EQ(s.at(19, 68).attr, 0x70);  // "i"
}

TEST(Kerdez, HotKeyRunsInsideAndDoesNotReenter) {
  Fixture f;
  int runs = 0;
  f.con->set_key(key::kF2, [&](Console& c) {
    ++runs;
    // F2 inside its own dialog does nothing; Esc closes the inner box.
    EXPECT_EQ(ui::kerdez(c, "inner", {"Ok"}), 0);
  });
  f.term->keys({key::kF2, key::kF2, key::kEsc, key::kDown, key::kEnter});
  EXPECT_EQ(ui::kerdez(*f.con, "outer", {"Igen", "Nem"}), 2);
  EXPECT_EQ(runs, 1);
}

TEST(Doboz, ClearsFramesAndRestoresColour) {
  Fixture f;
  f.con->say(5, 5, "xxxxxxxxxx");
  EXPECT_EQ(ui::doboz(*f.con, 4, 4, 6, 12, "gr+/b"), 0);
  const Screen& s = f.con->screen();
  expect_frame(s, 4, 4, 6, 12);
  EXPECT_EQ(cells(s, 5, 5, 7), "       ");
  EXPECT_EQ(s.at(5, 13).ch, 'x');
  EXPECT_EQ(s.at(4, 4).attr, 0x1E);
  EXPECT_EQ(s.at(5, 5).attr, 0x1E);
  EXPECT_EQ(f.con->colour_string(), "W/N,N/W,N/N,N/N,N/W");
  ui::doboz(*f.con, 0, 0, 2, 2);
  EXPECT_EQ(f.con->screen().at(0, 0).attr, 0x07);
}

TEST(Windows, OffmaxCloseAndNesting) {
  Fixture f;
  ui::WindowStack w;
  Screen before = f.con->screen();
  w.close(*f.con);  // nothing open: nothing changes
  EXPECT_EQ(w.offmax(1), 0);
  EXPECT_EQ(f.con->screen().text_utf8(), before.text_utf8());

  f.con->set_pos(3, 7);
  EXPECT_EQ(w.open(*f.con, 10, 25, 14, 55, console::kSingleFrame, "Cim"), 1);
  EXPECT_EQ(w.offmax(1), 11);
  EXPECT_EQ(w.offmax(2), 26);
  EXPECT_EQ(w.offmax(3), 13);
  EXPECT_EQ(w.offmax(4), 54);
  EXPECT_EQ(w.offmax(4) - w.offmax(2) + 1, 29);
  const Screen& s = f.con->screen();
  EXPECT_EQ(cells(s, 10, 25, 15), std::string(console::kSingleFrame.substr(0, 1)) +
                                      std::string(13, console::kSingleFrame[1]) + "C");
  EXPECT_EQ(cells(s, 10, 39, 3), "Cim");  // 25 + (31 - 3) / 2
  EXPECT_EQ(s.at(14, 55).ch, static_cast<unsigned char>(console::kSingleFrame[4]));
  EXPECT_EQ(s.at(12, 55).ch, static_cast<unsigned char>(console::kSingleFrame[3]));
  EXPECT_EQ(f.con->row(), 10);
  EXPECT_EQ(f.con->col(), 25);

  // An inner window with an offset and colours, and one without a frame.
  EXPECT_EQ(w.open(*f.con, 2, 2, 8, 20, console::kDoubleFrame, "T", "w+/b,gr+/r", 1), 2);
  EXPECT_EQ(w.offmax(1), 4);
  EXPECT_EQ(w.offmax(4), 18);
  EXPECT_EQ(f.con->screen().at(3, 3).attr, 0x1F);
  EXPECT_EQ(f.con->screen().at(3, 11).attr, 0x4E);
  EXPECT_EQ(f.con->screen().at(2, 2).ch, ' ');
  EXPECT_EQ(w.open(*f.con, 20, 0, 22, 9), 3);
  EXPECT_EQ(w.offmax(1), 20);
  EXPECT_EQ(w.offmax(4), 9);

  w.close(*f.con);
  w.close(*f.con);
  EXPECT_EQ(w.offmax(1), 11);
  w.close(*f.con);
  EXPECT_EQ(w.count(), 0);
  EXPECT_EQ(f.con->screen().text_utf8(), before.text_utf8());
  EXPECT_EQ(f.con->row(), 3);
  EXPECT_EQ(f.con->col(), 7);
}

}  // namespace
