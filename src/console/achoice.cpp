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
  bool goto_letter(int k);
  // Acts on a user function's answer; returns true when the chooser ends.
  bool answer(int action, int& result);
  int call_user(int mode) { return opt_.user(con_, mode, cur_ + 1, cur_ - first_); }

  Console& con_;
  int top_, left_;
  const std::vector<std::string>& items_;
  const AchoiceOptions& opt_;
  int n_, h_, w_;
  int cur_ = 0;
  int first_ = 0;
};

void Chooser::draw() {
  keep_visible();
  for (int r = 0; r < h_; ++r) {
    int i = first_ + r;
    std::string text = i < n_ ? items_[static_cast<std::size_t>(i)] : std::string();
    text.resize(static_cast<std::size_t>(w_), ' ');
    Attr a = i == cur_ ? con_.attr(kEnhanced) : selectable(i) || i >= n_ ? con_.attr(kStandard)
                                                                         : con_.attr(kUnselected);
    con_.screen().write(top_ + r, left_, text, a);
  }
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

int Chooser::run() {
  if (n_ == 0 || find(0, 1) < 0) {
    if (opt_.user) call_user(kAcNoItem);
    return 0;
  }
  move_to(opt_.initial - 1, 1);
  first_ = cur_ - std::clamp(opt_.initial_row, 0, h_ - 1);
  keep_visible();
  int result = 0;
  for (;;) {
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
        first_ -= h_;
        move_to(cur_ - h_, -1);
        break;
      case key::kPgDn:
        if (cur_ == find(n_ - 1, -1)) mode = kAcHitBottom;
        first_ += h_;
        move_to(cur_ + h_, 1);
        break;
      case key::kHome:
      case key::kCtrlPgUp: move_to(0, 1); break;
      case key::kEnd:
      case key::kCtrlPgDn: move_to(n_ - 1, -1); break;
      case key::kCtrlHome: move_to(first_, 1); break;
      case key::kCtrlEnd: move_to(std::min(first_ + h_ - 1, n_ - 1), -1); break;
      default:
        if (opt_.user) {
          mode = kAcException;
        } else {
          if (k == key::kEnter) return cur_ + 1;
          if (k == key::kEsc || k == key::kLeft || k == key::kRight) return 0;
          goto_letter(k);
        }
    }
    if (!opt_.user) continue;
    if (mode == kAcIdle && !con_.keyboard_empty()) continue;
    keep_visible();
    if (answer(call_user(mode), result)) return result;
  }
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
