#include "ui/dialogs.h"

#include <algorithm>
#include <string>

#include "console/achoice.h"
#include "console/frames.h"
#include "xbase/cp852.h"

namespace ui {

using console::Console;

int doboz(Console& con, int top, int left, int bottom, int right, std::optional<std::string_view> colour) {
  console::Colours old = con.colours();
  if (colour) con.set_colour(*colour);
  con.clear_rect(top, left, bottom, right);
  con.box(top, left, bottom, right, console::kSingleFrame);
  if (colour) con.set_colours(old);
  return 0;
}

namespace {

// The chooser's decision for the question box: an initial letter of a button
// (labels compared as written) puts Enter into the keyboard buffer and moves to
// that button; otherwise Enter chooses and Esc aborts.
int kerdfunc(Console& con, const std::vector<std::string_view>& buttons, int mode) {
  int k = con.last_key();
  if (mode == console::kAcException && k > 0 && k < 256) {
    char up = static_cast<char>(xbase::hu852_upper(static_cast<unsigned char>(k)));
    for (auto b : buttons) {
      if (!b.empty() && b[0] == up) {
        con.keyboard(std::string(1, static_cast<char>(console::key::kEnter)));
        return console::kAcGoto;
      }
    }
  }
  if (k == console::key::kEnter) return console::kAcSelect;
  if (k == console::key::kEsc) return console::kAcAbort;
  return console::kAcContinue;
}

}  // namespace

int kerdez(Console& con, const std::vector<std::string_view>& given_lines,
           const std::vector<std::string_view>& buttons) {
  if (std::optional<int> given = con.backend().answer(given_lines, buttons)) return *given;
  std::vector<std::string_view> lines = given_lines;
  if (lines.empty()) lines.push_back("");
  bool no_text = lines.size() == 1 && lines[0].empty();
  console::Device device = con.set_device(console::Device::Screen);
  con.clear_keyboard();

  const int l = static_cast<int>(lines.size());
  const int p = static_cast<int>(buttons.size());
  int w = 0;
  for (auto s : lines) w = std::max(w, static_cast<int>(s.size()));
  for (auto s : buttons) w = std::max(w, static_cast<int>(s.size()));
  w = std::min(w, 70);
  const int t = 21 - p - 2 - l;
  const int c = 76 - w - 6;

  console::Screen::Saved saved = con.screen().save_all();
  int cur_row = con.row(), cur_col = con.col();
  console::Colours old = con.colours();
  con.set_colour(con.is_colour() ? kKerdezColour : kKerdezMono);

  doboz(con, no_text ? t + 2 : t, c, 21, 76);
  for (int i = 1; i <= l; ++i) con.say(t + i, c + 2, lines[static_cast<std::size_t>(i - 1)]);

  std::vector<std::string> items(buttons.begin(), buttons.end());
  console::AchoiceOptions opt;
  opt.user = [&buttons](Console& cn, int mode, int, int) { return kerdfunc(cn, buttons, mode); };
  int result = console::achoice(con, t + l + 2, c + 2, 20, 75, items, opt);

  con.screen().restore(saved);
  con.set_pos(cur_row, cur_col);
  con.set_colours(old);
  con.set_device(device);
  return result;
}

int kerdez(Console& con, std::string_view line, const std::vector<std::string_view>& buttons) {
  return kerdez(con, std::vector<std::string_view>{line}, buttons);
}

}  // namespace ui
