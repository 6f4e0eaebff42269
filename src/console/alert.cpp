#include "console/alert.h"

#include <algorithm>
#include <string>

#include "console/frames.h"
#include "xbase/cp852.h"

namespace console {

std::vector<std::string_view> alert_lines(std::string_view message) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    std::size_t semi = message.find(';', start);
    lines.push_back(message.substr(start, semi == std::string_view::npos ? semi : semi - start));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  return lines;
}

int alert(Console& con, std::string_view message, const std::vector<std::string_view>& given,
          std::string_view colour) {
  std::vector<std::string_view> choices = given;
  if (choices.empty()) choices.push_back("Ok");
  std::vector<std::string_view> lines = alert_lines(message);
  if (std::optional<int> given = con.backend().answer(lines, choices)) return *given;
  constexpr int kMaxInner = Screen::kCols - 6;
  int buttons_width = 0;
  for (auto c : choices) buttons_width += static_cast<int>(c.size()) + 2;
  buttons_width += 2 * (static_cast<int>(choices.size()) - 1);
  int inner = buttons_width;
  for (auto l : lines) inner = std::max(inner, static_cast<int>(l.size()));
  inner = std::min(inner, kMaxInner);
  if (static_cast<int>(lines.size()) > Screen::kRows - 6) lines.resize(Screen::kRows - 6);
  int n = static_cast<int>(lines.size());
  int width = inner + 4, height = n + 4;
  int top = (Screen::kRows - height) / 2, left = (Screen::kCols - width) / 2;
  int bottom = top + height - 1, right = left + width - 1;

  Device device = con.set_device(Device::Screen);
  std::string old_colour = con.set_colour(colour);
  Screen::Saved saved = con.screen().save_all();
  int cur_row = con.row(), cur_col = con.col();
  CursorShape shape = con.screen().cursor_shape();
  con.set_cursor(CursorShape::Off);

  con.screen().fill(top, left, bottom, right, ' ', con.attr(kStandard));
  con.screen().frame(top, left, bottom, right, kSingleFrame, con.attr(kStandard));
  for (int i = 0; i < n; ++i) {
    std::string_view l = lines[static_cast<std::size_t>(i)].substr(0, static_cast<std::size_t>(inner));
    con.screen().write(top + 1 + i, left + 2 + (inner - static_cast<int>(l.size())) / 2, l, con.attr(kStandard));
  }
  int bx = left + 2 + std::max(0, (inner - buttons_width) / 2);
  int by = bottom - 1;
  int cur = 0, result = -1;
  while (result < 0) {
    int x = bx;
    for (std::size_t i = 0; i < choices.size(); ++i) {
      std::string label(1, ' ');
      label.append(choices[i]).push_back(' ');
      con.screen().write(by, x, label,
                         static_cast<int>(i) == cur ? con.attr(kEnhanced) : con.attr(kStandard));
      x += static_cast<int>(label.size()) + 2;
    }
    int k = con.inkey(0);  // the alert box is no place for hot keys
    int count = static_cast<int>(choices.size());
    if (k == key::kEsc) result = 0;
    else if (k == key::kEnter) result = cur + 1;
    else if (k == key::kLeft || k == key::kUp || k == key::kShiftTab) cur = (cur + count - 1) % count;
    else if (k == key::kRight || k == key::kDown || k == key::kTab) cur = (cur + 1) % count;
    else if (k > 0 && k < 256) {
      unsigned char want = xbase::hu852_upper(static_cast<unsigned char>(k));
      for (int i = 0; i < count; ++i) {
        auto c = choices[static_cast<std::size_t>(i)];
        if (!c.empty() && xbase::hu852_upper(static_cast<unsigned char>(c[0])) == want) {
          result = i + 1;
          break;
        }
      }
    }
  }
  con.screen().restore(saved);
  con.set_pos(cur_row, cur_col);
  con.set_cursor(shape);
  con.set_colour(old_colour);
  con.set_device(device);
  return result;
}

}  // namespace console
