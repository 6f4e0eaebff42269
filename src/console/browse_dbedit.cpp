#include "console/browse_dbedit.h"

#include <algorithm>
#include <memory>

#include "console/keys.h"
#include "xbase/expr.h"
#include "xbase/expr_workareas.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/workarea.h"

namespace console {

using xbase::Value;
using xbase::WorkArea;

namespace {

std::vector<std::string> split_heading(const std::string& h) {
  std::vector<std::string> lines;
  if (h.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t semi = h.find(';', start);
    lines.push_back(h.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return lines;
}

std::string cell_text(const BrowseColumn& c) {
  Value v = c.value ? c.value() : Value();
  if (!c.picture.empty()) return xbase::transform(v, c.picture);
  switch (v.type()) {
    case xbase::Type::Character:
      return v.as_str();
    case xbase::Type::Numeric:
      return xbase::str(v);
    case xbase::Type::Date:
      return xbase::dtoc(v.as_date());
    case xbase::Type::Logical:
      return v.as_logical() ? "T" : "F";
    default:
      return std::string();
  }
}

class Browser {
 public:
  Browser(Console& con, WorkArea& area, int top, int left, int bottom, int right,
          std::vector<BrowseColumn> cols, const BrowseOptions& opt)
      : con_(con),
        area_(area),
        top_(top),
        left_(left),
        width_(std::max(1, right - left + 1)),
        height_(std::max(1, bottom - top + 1)),
        cols_(std::move(cols)),
        opt_(opt) {
    head_sep_ = opt.heading_sep ? *opt.heading_sep : std::string(HU("═"));
    col_sep_ = opt.column_sep ? *opt.column_sep : std::string(HU(" │ "));
  }

  void run();

 private:
  int ncols() const { return static_cast<int>(cols_.size()); }
  int sep_width() const { return static_cast<int>(col_sep_.size()); }
  void layout();
  // The window with record `rec` on row `row` (as near as the records allow).
  void place(uint32_t rec, int row);
  // Screen columns (from the window's left edge) of the visible columns, centred as
  // a group when they leave room.
  std::vector<int> column_x() const;
  void paint();
  // The current cell alone, highlighted or not.
  void show_current(bool highlighted);
  void paint_row(int r, const std::vector<int>& xs);
  void put_cell(int row, int x, int c, bool highlighted);
  // The last visible column from left_col_.
  int last_visible() const;
  void keep_column_visible();
  uint32_t current() const { return empty_ ? 0 : recs_[static_cast<std::size_t>(cur_row_)]; }
  // The record the area stands on, or where it should stand when that is hidden.
  uint32_t visible_record();
  void refresh();
  // Movement; false when it ran into the first or last record.
  bool down();
  bool up();
  bool page_down();
  bool page_up();
  // Calls the user function; returns true when the browse ends.
  bool call(int mode);
  int data_top() const { return top_ + head_lines_ + (head_sep_.empty() ? 0 : 1); }

  Console& con_;
  WorkArea& area_;
  int top_, left_, width_, height_;
  std::vector<BrowseColumn> cols_;
  const BrowseOptions& opt_;
  std::string head_sep_, col_sep_;
  std::vector<int> widths_;
  std::vector<std::vector<std::string>> headings_;
  int head_lines_ = 0;
  int rows_ = 1;
  std::vector<uint32_t> recs_;
  int cur_row_ = 0;
  int cur_col_ = 0;
  int left_col_ = 0;
  bool empty_ = true;
};

void Browser::layout() {
  head_lines_ = 0;
  headings_.clear();
  for (const auto& c : cols_) {
    headings_.push_back(split_heading(c.heading));
    head_lines_ = std::max(head_lines_, static_cast<int>(headings_.back().size()));
  }
  int data_top = head_lines_ + (head_sep_.empty() ? 0 : 1);
  rows_ = std::max(1, height_ - data_top);
  recs_.assign(static_cast<std::size_t>(rows_), 0);
  widths_.clear();
  for (int i = 0; i < ncols(); ++i) {
    int w = static_cast<int>(cell_text(cols_[static_cast<std::size_t>(i)]).size());
    for (const auto& line : headings_[static_cast<std::size_t>(i)])
      w = std::max(w, static_cast<int>(line.size()));
    widths_.push_back(std::max(1, w));
  }
}

int Browser::last_visible() const {
  int x = 0, last = left_col_;
  for (int c = left_col_; c < ncols(); ++c) {
    int need = widths_[static_cast<std::size_t>(c)] + (c > left_col_ ? sep_width() : 0);
    if (c > left_col_ && x + need > width_) break;
    x += need;
    last = c;
  }
  return last;
}

void Browser::keep_column_visible() {
  if (cur_col_ < left_col_) left_col_ = cur_col_;
  while (left_col_ < cur_col_ && last_visible() < cur_col_) ++left_col_;
}

void Browser::place(uint32_t rec, int row) {
  if (rec == 0) {
    empty_ = true;
    recs_.assign(static_cast<std::size_t>(rows_), 0);
    cur_row_ = 0;
    return;
  }
  empty_ = false;
  row = std::clamp(row, 0, rows_ - 1);
  area_.go_to(rec);
  int back = 0;
  while (back < row) {
    area_.skip(-1);
    if (area_.bof()) break;
    ++back;
  }
  auto fill = [&](uint32_t first) {
    area_.go_to(first);
    int n = 0;
    for (int i = 0; i < rows_; ++i) {
      if (area_.eof()) {
        recs_[static_cast<std::size_t>(i)] = 0;
        continue;
      }
      recs_[static_cast<std::size_t>(i)] = area_.recno();
      ++n;
      area_.skip(1);
    }
    return n;
  };
  uint32_t first = area_.recno();
  int n = fill(first);
  if (n < rows_ && back == row) {  // room at the bottom: show more records above
    area_.go_to(first);
    for (int i = n; i < rows_; ++i) {
      area_.skip(-1);
      if (area_.bof()) break;
      first = area_.recno();
    }
    fill(first);
  }
  cur_row_ = 0;
  for (int i = 0; i < rows_; ++i)
    if (recs_[static_cast<std::size_t>(i)] == rec) cur_row_ = i;
  area_.go_to(rec);
}

std::vector<int> Browser::column_x() const {
  std::vector<int> xs;
  int x = 0;
  for (int c = left_col_, last = last_visible(); c <= last; ++c) {
    if (c > left_col_) x += sep_width();
    xs.push_back(x);
    x += widths_[static_cast<std::size_t>(c)];
  }
  int spare = width_ - x;
  if (spare > 0)
    for (int& v : xs) v += spare / 2;
  return xs;
}

// A cell shows its column's width; the highlight covers the value's own width.
void Browser::put_cell(int row, int x, int c, bool highlighted) {
  if (x >= width_) return;
  int w = std::min(widths_[static_cast<std::size_t>(c)], width_ - x);
  std::string t = cell_text(cols_[static_cast<std::size_t>(c)]);
  int lit = highlighted ? std::min(w, static_cast<int>(t.size())) : 0;
  t.resize(static_cast<std::size_t>(w), ' ');
  Screen& s = con_.screen();
  s.write(row, left_ + x, t, con_.attr(kStandard));
  if (lit > 0)
    s.write(row, left_ + x, t.substr(0, static_cast<std::size_t>(lit)), con_.attr(kEnhanced));
}

void Browser::show_current(bool highlighted) {
  if (cur_col_ < left_col_ || cur_col_ > last_visible()) return;
  if (!empty_) area_.go_to(current());
  put_cell(data_top() + cur_row_, column_x()[static_cast<std::size_t>(cur_col_ - left_col_)],
           cur_col_, highlighted);
}

// One data row: its cells, re-read from the record, and the column separators.
void Browser::paint_row(int r, const std::vector<int>& xs) {
  Screen& s = con_.screen();
  Attr std_attr = con_.attr(kStandard);
  int row = data_top() + r;
  s.fill(row, left_, row, left_ + width_ - 1, ' ', std_attr);
  uint32_t rec = recs_[static_cast<std::size_t>(r)];
  bool shown = rec != 0 || (empty_ && r == 0);
  if (rec != 0) area_.go_to(rec);
  for (int c = left_col_; c <= last_visible(); ++c) {
    int cx = xs[static_cast<std::size_t>(c - left_col_)];
    if (c > left_col_ && cx - sep_width() < width_) {
      std::string sep = col_sep_;
      sep.resize(static_cast<std::size_t>(std::min(sep_width(), width_ - (cx - sep_width()))), ' ');
      s.write(row, left_ + cx - sep_width(), sep, std_attr);
    }
    if (shown) put_cell(row, cx, c, r == cur_row_ && c == cur_col_);
  }
}

// An empty window shows the phantom record (blank texts, zero numbers) on its
// first row; rows without a record still carry the column separators.
void Browser::paint() {
  keep_column_visible();
  Screen& s = con_.screen();
  Attr std_attr = con_.attr(kStandard);
  int last = last_visible();
  std::vector<int> xs = column_x();
  auto put = [&](int row, int col, const std::string& text, int width, Attr a) {
    if (col >= width_) return;
    int w = std::min(width, width_ - col);
    std::string t = text;
    t.resize(static_cast<std::size_t>(w), ' ');
    s.write(row, left_ + col, t, a);
  };
  auto blank_row = [&](int row) { s.fill(row, left_, row, left_ + width_ - 1, ' ', std_attr); };
  for (int h = 0; h < head_lines_; ++h) {
    blank_row(top_ + h);
    for (int c = left_col_; c <= last; ++c) {
      const auto& lines = headings_[static_cast<std::size_t>(c)];
      std::string text =
          h < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(h)] : "";
      put(top_ + h, xs[static_cast<std::size_t>(c - left_col_)], text,
          widths_[static_cast<std::size_t>(c)], std_attr);
    }
  }
  if (!head_sep_.empty()) {  // a plain line: no junctions under the column separators
    unsigned char hc = static_cast<unsigned char>(head_sep_.back());
    s.write(top_ + head_lines_, left_,
            std::string(static_cast<std::size_t>(width_), static_cast<char>(hc)), std_attr);
  }
  for (int r = 0; r < rows_; ++r) paint_row(r, xs);
  if (!empty_) area_.go_to(current());
  int cx = cur_col_ >= left_col_ && cur_col_ <= last
               ? xs[static_cast<std::size_t>(cur_col_ - left_col_)]
               : 0;
  con_.set_pos(data_top() + cur_row_, left_ + std::min(cx, width_ - 1));
}

uint32_t Browser::visible_record() {
  if (area_.eof()) {
    area_.go_bottom();
    return area_.eof() ? 0 : area_.recno();
  }
  uint32_t r = area_.recno();
  bool hidden = area_.deleted() && area_.owner().deleted_hidden();
  if (!hidden && area_.has_filter()) {  // the area knows its filter: ask it by moving
    area_.skip(1);
    area_.skip(-1);
    hidden = area_.eof() || area_.recno() != r;
    area_.go_to(r);
  }
  if (!hidden) return r;
  area_.skip(1);
  if (area_.eof()) area_.go_bottom();
  return area_.eof() ? 0 : area_.recno();
}

void Browser::refresh() {
  area_.skip(0);  // see what others wrote
  place(visible_record(), cur_row_);
}

bool Browser::down() {
  if (empty_) return false;
  if (cur_row_ + 1 < rows_ && recs_[static_cast<std::size_t>(cur_row_ + 1)] != 0) {
    ++cur_row_;
    area_.go_to(current());
    return true;
  }
  area_.go_to(current());
  area_.skip(1);
  if (area_.eof()) {
    area_.go_to(current());
    return false;
  }
  place(area_.recno(), rows_ - 1);
  return true;
}

bool Browser::up() {
  if (empty_) return false;
  if (cur_row_ > 0) {
    --cur_row_;
    area_.go_to(current());
    return true;
  }
  area_.go_to(current());
  area_.skip(-1);
  if (area_.bof()) {
    area_.go_to(current());
    return false;
  }
  place(area_.recno(), 0);
  return true;
}

bool Browser::page_down() {
  if (empty_) return false;
  uint32_t from = current();
  area_.go_to(from);
  uint32_t to = from;
  for (int i = 0; i < rows_; ++i) {
    area_.skip(1);
    if (area_.eof()) break;
    to = area_.recno();
  }
  if (to == from) {
    area_.go_to(from);
    return false;
  }
  place(to, cur_row_);
  return true;
}

bool Browser::page_up() {
  if (empty_) return false;
  uint32_t from = current();
  area_.go_to(from);
  uint32_t to = from;
  for (int i = 0; i < rows_; ++i) {
    area_.skip(-1);
    if (area_.bof()) break;
    to = area_.recno();
  }
  if (to == from) {
    area_.go_to(from);
    return false;
  }
  place(to, cur_row_);
  return true;
}

// A key goes to the user function with the highlight off; it comes back only when
// the browse goes on.
bool Browser::call(int mode) {
  if (!opt_.user) return false;
  if (mode == kDeException) show_current(false);
  int answer = opt_.user(mode, cur_col_ + 1);
  if (answer == kDeAbort) return true;
  if (answer == kDeRefresh) {
    refresh();
    paint();
  } else if (!area_.eof() && area_.recno() != current()) {
    place(visible_record(), cur_row_);  // the user function moved the record pointer
    paint();
  } else if (mode == kDeException) {
    // The key may have changed the record (a mark set with Space): its whole row
    // is shown again from the record.
    paint_row(cur_row_, column_x());
    if (!empty_) area_.go_to(current());
  }
  return false;
}

// After a movement that ran into an end the user function hears of it once, with
// no idle call after it; on an empty table movements only bring the empty mode.
void Browser::run() {
  layout();
  area_.skip(0);
  place(visible_record(), 0);
  paint();
  bool told = false;  // the user function has just been called for a movement
  for (;;) {
    if (!told && con_.keyboard_empty() && call(empty_ ? kDeEmpty : kDeIdle)) return;
    told = false;
    int k = con_.read_key();
    bool moved = true, ok = true;
    switch (k) {
      case key::kDown:
        ok = down();
        break;
      case key::kUp:
        ok = up();
        break;
      case key::kPgDn:
        ok = page_down();
        break;
      case key::kPgUp:
        ok = page_up();
        break;
      case key::kCtrlPgDn:
        if (!empty_) {
          area_.go_bottom();
          place(visible_record(), rows_ - 1);
        }
        break;
      case key::kCtrlPgUp:
        if (!empty_) {
          area_.go_top();
          place(visible_record(), 0);
        }
        break;
      case key::kRight:
        cur_col_ = std::min(cur_col_ + 1, ncols() - 1);
        break;
      case key::kLeft:
        cur_col_ = std::max(cur_col_ - 1, 0);
        break;
      case key::kHome:
        cur_col_ = left_col_;
        break;
      case key::kEnd:
        cur_col_ = last_visible();
        break;
      case key::kCtrlHome:
        cur_col_ = left_col_ = 0;
        break;
      case key::kCtrlEnd:
        cur_col_ = ncols() - 1;
        break;
      case key::kCtrlLeft:
        if (left_col_ > 0) {
          --left_col_;
          cur_col_ = std::min(cur_col_, last_visible());
        }
        break;
      case key::kCtrlRight:
        if (last_visible() < ncols() - 1) {
          ++left_col_;
          cur_col_ = std::max(cur_col_, left_col_);
        }
        break;
      default:
        moved = false;
        break;
    }
    if (moved) {
      paint();
      if (!ok && !empty_) {
        if (call(k == key::kUp || k == key::kPgUp ? kDeHitTop : kDeHitBottom)) return;
        told = true;
      }
      continue;
    }
    if (!opt_.user) {
      if (k == key::kEnter || k == key::kEsc) return;
      continue;
    }
    if (call(kDeException)) return;
  }
}

}  // namespace

std::vector<BrowseColumn> browse_columns(xbase::WorkAreas& areas,
                                         const std::vector<std::string>& exprs,
                                         const std::vector<std::string>& pictures,
                                         const std::vector<std::string>* headings,
                                         xbase::Variables* vars, const xbase::Functions* app) {
  // The browsed area's names, whichever area the user function selects meanwhile.
  auto host = std::make_shared<xbase::WorkAreasHost>(areas, areas.selected());
  std::vector<BrowseColumn> cols;
  for (std::size_t i = 0; i < exprs.size() && !exprs[i].empty(); ++i) {
    BrowseColumn c;
    c.picture = i < pictures.size() ? pictures[i] : "";
    c.heading = headings ? (i < headings->size() ? (*headings)[i] : "") : exprs[i];
    xbase::Expr e = xbase::Expr::compile(exprs[i], app);
    xbase::EvalContext ctx = xbase::areas_context(areas, host.get(), vars, app);
    c.value = [host, e, ctx, &areas]() mutable { return e.eval(xbase::with_settings(ctx, areas)); };
    cols.push_back(std::move(c));
  }
  return cols;
}

void dbedit(Console& con, WorkArea& area, int top, int left, int bottom, int right,
            std::vector<BrowseColumn> columns, const BrowseOptions& options) {
  if (columns.empty() || !area.used()) return;
  Browser(con, area, top, left, bottom, right, std::move(columns), options).run();
}

}  // namespace console
