#include "console/achoice.h"

#include <algorithm>

#include "xbase/cp852.h"

namespace console {

namespace {

class Chooser {
 public:
  Chooser(Console& con, int top, int left, int bottom, int right,
          const std::vector<std::string>& items, const AchoiceOptions& opt)
      : con_(con), top_(top), left_(left), items_(items), opt_(opt),
        n_(static_cast<int>(items.size())), h_(std::max(1, bottom - top + 1)),
        w_(std::max(1, right - left + 1)) {}

  int run();

 private:
  bool selectable(int i) const {
    if (i < 0 || i >= n_) return false;
    return opt_.selectable.empty() || (static_cast<std::size_t>(i) < opt_.selectable.size() &&
                                       opt_.selectable[static_cast<std::size_t>(i)]);
  }
  // The nearest selectable item from `i` in direction `dir`, or -1.
  int find(int i, int dir) const {
    for (; i >= 0 && i < n_; i += dir)
      if (selectable(i)) return i;
    return -1;
  }
  // Moves to `target`, or the nearest selectable item after it in `dir`, or before.
  void move_to(int target, int dir) {
    target = std::clamp(target, 0, n_ - 1);
    int t = find(target, dir);
    if (t < 0) t = find(target, -dir);
    if (t >= 0) cur_ = t;
  }
  void keep_visible() {
    if (cur_ < first_) first_ = cur_;
    if (cur_ >= first_ + h_) first_ = cur_ - h_ + 1;
    first_ = std::clamp(first_, 0, std::max(0, n_ - h_));
  }
  void draw();
  void draw_item(int i, Attr a);
  bool goto_letter(int k);
  // The current item on the window's bottom row, when it is outside the window.
  void bring_to_bottom() {
    if (cur_ < first_ || cur_ >= first_ + h_) first_ = std::max(0, cur_ - h_ + 1);
  }
  // Acts on a user function's answer; returns true when the chooser ends.
  bool answer(int action, int& result);
  // One key; true when the chooser ends (with `result`).
  bool step(int& result);
  int call_user(int mode) { return opt_.user(con_, mode, cur_ + 1, cur_ - first_); }

  Console& con_;
  int top_, left_;
  const std::vector<std::string>& items_;
  const AchoiceOptions& opt_;
  int n_, h_, w_;
  int cur_ = 0;
  int first_ = 0;
};

void Chooser::draw_item(int i, Attr a) {
  std::string text = i < n_ ? items_[static_cast<std::size_t>(i)] : std::string();
  text.resize(static_cast<std::size_t>(w_), ' ');
  con_.screen().write(top_ + i - first_, left_, text, a);
}

void Chooser::draw() {
  keep_visible();
  for (int i = first_; i < first_ + h_; ++i)
    draw_item(i, i == cur_ ? con_.attr(kEnhanced) : selectable(i) || i >= n_ ? con_.attr(kStandard)
                                                                            : con_.attr(kUnselected));
  con_.set_pos(top_ + cur_ - first_, left_);
}

bool Chooser::goto_letter(int k) {
  if (k <= 0 || k > 255) return false;
  unsigned char want = xbase::hu852_upper(static_cast<unsigned char>(k));
  for (int step = 1; step <= n_; ++step) {
    int i = (cur_ + step) % n_;
    const std::string& s = items_[static_cast<std::size_t>(i)];
    if (selectable(i) && !s.empty() && xbase::hu852_upper(static_cast<unsigned char>(s[0])) == want) {
      cur_ = i;
      bring_to_bottom();
      return true;
    }
  }
  return false;
}

bool Chooser::answer(int action, int& result) {
  switch (action) {
    case kAcAbort: result = 0; return true;
    case kAcSelect: result = cur_ + 1; return true;
    case kAcGoto: goto_letter(con_.last_key()); return false;
    default: return false;
  }
}

// PgDn and PgUp go by the window's height less one and put the new item on the
// window's top (PgDn) or bottom (PgUp) row; Home shows the items that cannot be
// chosen above the first that can. The chosen item ends in the standard colour.
int Chooser::run() {
  int result = 0;
  if (n_ == 0 || find(0, 1) < 0) {
    if (opt_.user) call_user(kAcNoItem);
    return result;
  }
  move_to(opt_.initial - 1, 1);
  first_ = cur_ - std::clamp(opt_.initial_row, 0, h_ - 1);
  keep_visible();
  while (!step(result)) {
  }
  if (cur_ >= first_ && cur_ < first_ + h_) draw_item(cur_, con_.attr(kStandard));
  return result;
}

bool Chooser::step(int& result) {
  draw();
  int k = con_.read_key();
  int mode = kAcIdle;
  switch (k) {
    case key::kUp: {
      int t = find(cur_ - 1, -1);
      if (t >= 0) cur_ = t;
      else mode = kAcHitTop;
      break;
    }
    case key::kDown: {
      int t = find(cur_ + 1, 1);
      if (t >= 0) cur_ = t;
      else mode = kAcHitBottom;
      break;
    }
    case key::kPgUp:
      if (cur_ == find(0, 1)) mode = kAcHitTop;
      move_to(cur_ - std::max(1, h_ - 1), -1);
      first_ = cur_ - h_ + 1;
      break;
    case key::kPgDn:
      if (cur_ == find(n_ - 1, -1)) mode = kAcHitBottom;
      move_to(cur_ + std::max(1, h_ - 1), 1);
      first_ = cur_;
      break;
    case key::kHome:
    case key::kCtrlPgUp:
      move_to(0, 1);
      first_ = 0;
      break;
    case key::kEnd:
    case key::kCtrlPgDn: move_to(n_ - 1, -1); break;
    case key::kCtrlHome: move_to(first_, 1); break;
    case key::kCtrlEnd: move_to(std::min(first_ + h_ - 1, n_ - 1), -1); break;
    default:
      if (opt_.user) {
        mode = kAcException;
      } else {
        if (k == key::kEnter) result = cur_ + 1;
        if (k == key::kEnter || k == key::kEsc || k == key::kLeft || k == key::kRight) return true;
        goto_letter(k);
      }
  }
  if (!opt_.user) return false;
  if (mode == kAcIdle && !con_.keyboard_empty()) return false;
  keep_visible();
  return answer(call_user(mode), result);
}

}  // namespace

int achoice(Console& con, int top, int left, int bottom, int right,
            const std::vector<std::string>& items, const AchoiceOptions& options) {
  Chooser c(con, top, left, bottom, right, items, options);
  CursorShape shape = con.screen().cursor_shape();
  con.set_cursor(CursorShape::Off);
  int r = c.run();
  con.set_cursor(shape);
  return r;
}

}  // namespace console
