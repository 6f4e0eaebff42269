#include "console/menu_prompt.h"

#include "console/keys.h"
#include "xbase/cp852.h"

namespace console {

void MenuPrompts::add(Console& con, int row, int col, std::string_view text, std::string_view message) {
  con.say(row, col, text);
  items_.push_back(MenuPrompt{row, col, std::string(text), std::string(message)});
}

void MenuPrompts::add_here(Console& con, std::string_view text, std::string_view message) {
  add(con, con.row(), con.col(), text, message);
}

namespace {

unsigned char hot_char(const std::string& text) {
  for (char c : text)
    if (c != ' ') return xbase::hu852_upper(static_cast<unsigned char>(c));
  return 0;
}

class Menu {
 public:
  Menu(Console& con, const std::vector<MenuPrompt>& items, const MenuOptions& opt)
      : con_(con), items_(items), opt_(opt), n_(static_cast<int>(items.size())) {}

  int run(int initial) {
    cur_ = initial >= 1 && initial <= n_ ? initial - 1 : 0;
    show(cur_, true);
    for (;;) {
      int k = con_.read_key();
      int to = cur_;
      switch (k) {
        case key::kUp:
        case key::kLeft: to = step(-1); break;
        case key::kDown:
        case key::kRight: to = step(1); break;
        case key::kHome: to = 0; break;
        case key::kEnd: to = n_ - 1; break;
        case key::kEnter:
        case key::kPgUp:
        case key::kPgDn: return cur_ + 1;
        case key::kEsc: return 0;
        default:
          if (k > 32 && k <= 255) {
            int hit = letter(k);
            if (hit >= 0) {
              move(hit);
              return hit + 1;
            }
          }
          break;
      }
      move(to);
    }
  }

 private:
  int step(int dir) const {
    int to = cur_ + dir;
    if (to < 0) return opt_.wrap ? n_ - 1 : 0;
    if (to >= n_) return opt_.wrap ? 0 : n_ - 1;
    return to;
  }
  // A letter shared by several prompts chooses the first of them from the top.
  int letter(int k) const {
    unsigned char want = xbase::hu852_upper(static_cast<unsigned char>(k));
    for (int j = 0; j < n_; ++j)
      if (hot_char(items_[static_cast<std::size_t>(j)].text) == want) return j;
    return -1;
  }
  void move(int to) {
    if (to == cur_) return;
    show(cur_, false);
    cur_ = to;
    show(cur_, true);
  }
  void show(int i, bool on) {
    const MenuPrompt& p = items_[static_cast<std::size_t>(i)];
    con_.screen().write(p.row, p.col, p.text, con_.attr(on ? kEnhanced : kStandard));
    if (on) {
      message(p.message);
      con_.set_pos(p.row, p.col);
    }
  }
  void message(const std::string& text) {
    if (opt_.message_row < 0) return;
    if (shown_len_ > 0)
      con_.screen().fill(opt_.message_row, shown_col_, opt_.message_row, shown_col_ + shown_len_ - 1, ' ',
                         con_.attr(kStandard));
    shown_len_ = static_cast<int>(text.size());
    shown_col_ = opt_.message_centre ? Console::message_column(shown_len_) : 0;
    if (shown_len_ > 0) con_.screen().write(opt_.message_row, shown_col_, text, con_.attr(kStandard));
  }

  Console& con_;
  const std::vector<MenuPrompt>& items_;
  const MenuOptions& opt_;
  int n_;
  int cur_ = 0;
  int shown_col_ = 0;
  int shown_len_ = 0;
};

}  // namespace

int menu_to(Console& con, MenuPrompts& prompts, int initial, const MenuOptions& options) {
  std::vector<MenuPrompt> items = prompts.items();
  prompts.clear();
  if (items.empty()) return 0;
  return Menu(con, items, options).run(initial);
}

}  // namespace console
