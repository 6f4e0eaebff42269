#include "ui/viewer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "console/frames.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace ui {

namespace {

constexpr int kRows = 24;            // rows 0 to 23 show lines; row 24 is the status line
constexpr int kVisibleColumns = 4;   // 80 / 20

std::string pad(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}


console::Attr slot_attr(std::string_view slot) {
  console::Attr a = 0x70;
  console::parse_slot(slot, a);
  return a;
}

// Where the status line's text begins (it is centred in 80 columns).
int status_left(long count, std::string_view ny) {
  std::string s = viewer_status_line(count, ny);
  return static_cast<int>(s.find_first_not_of(' '));
}

}  // namespace

std::vector<std::string> load_view_lines(std::string_view path, int total_width) {
  std::vector<std::string> lines;
  support::platform::File f;
  if (!f.open(path)) return lines;
  std::string text;
  for (;;) {
    std::string block = f.read(1 << 20);
    if (block.empty()) break;
    text += block;
  }
  if (size_t eof = text.find('\x1a'); eof != std::string::npos) text.resize(eof);
  size_t width = static_cast<size_t>(std::max(total_width, 1));
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find('\n', i);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > i && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(i, std::min(stop - i, width)));
    i = next;
  }
  return lines;
}

std::string viewer_status_line(long count, std::string_view ny) {
  std::string n = std::to_string(count);
  std::string s = "Sor:      /" + pad(n, 6) + std::string(HU(" Mozgás:")) + "\x18\x19\x1b\x1a" +
                  std::string(HU("PgDn,PgUp   Keresés-K")) +
                  std::string(ny == "ny" ? HU("   Nyomtatás-P   ") : HU("   TXT fájlba-T  ")) +
                  std::string(HU("Kilép-Esc"));
  if (s.size() >= 80) return s;
  size_t left = (80 - s.size()) / 2;
  return std::string(left, ' ') + s + std::string(80 - s.size() - left, ' ');
}

TextViewer::TextViewer(console::ReadContext& reads, WindowStack& windows,
                       std::vector<std::string> lines, int width, std::string_view ny,
                       ViewerHooks hooks, std::string file)
    : reads_(reads),
      windows_(windows),
      lines_(std::move(lines)),
      columns_((std::max(width <= 0 ? 80 : width, 1) + kViewerColumn - 1) / kViewerColumn),
      ny_(ny),
      file_(std::move(file)),
      hooks_(std::move(hooks)),
      ker_(42, ' ') {
  width_ = width <= 0 ? 80 : width;
  size_t total = static_cast<size_t>(columns_) * kViewerColumn;
  for (auto& l : lines_)
    if (l.size() > total) l.resize(total);
}

void TextViewer::set_current(long i) {
  long n = line_count();
  cur_ = std::clamp(i, 0L, std::max(n - 1, 0L));
  if (cur_ < top_) top_ = cur_;
  if (cur_ >= top_ + kRows) top_ = cur_ - kRows + 1;
}

bool TextViewer::move(int key) {
  namespace k = console::key;
  long n = line_count();
  long max_top = std::max(n - kRows, 0L);
  int max_left = std::max(columns_ - kVisibleColumns, 0);
  switch (key) {
    case k::kUp: set_current(cur_ - 1); return true;
    case k::kDown: set_current(cur_ + 1); return true;
    case k::kPgUp:
      top_ = std::max(top_ - kRows, 0L);
      set_current(cur_ - kRows);
      return true;
    case k::kPgDn:
      top_ = std::min(top_ + kRows, max_top);
      set_current(cur_ + kRows);
      return true;
    case k::kCtrlPgUp: set_current(0); return true;
    case k::kCtrlPgDn: set_current(n - 1); return true;
    case k::kRight:
      if (col_ < columns_ - 1) ++col_;
      if (col_ >= left_ + kVisibleColumns) left_ = col_ - kVisibleColumns + 1;
      return true;
    case k::kLeft:
      if (col_ > 0) --col_;
      if (col_ < left_) left_ = col_;
      return true;
    case k::kHome: col_ = left_; return true;
    case k::kEnd: col_ = std::min(left_ + kVisibleColumns - 1, columns_ - 1); return true;
    case k::kCtrlRight:
      left_ = std::min(left_ + 1, max_left);
      col_ = std::max(col_, left_);
      return true;
    case k::kCtrlLeft:
      left_ = std::max(left_ - 1, 0);
      col_ = std::min(col_, left_ + kVisibleColumns - 1);
      return true;
    case k::kCtrlHome:
      col_ = left_ = 0;
      return true;
    case k::kCtrlEnd:
      col_ = columns_ - 1;
      left_ = max_left;
      return true;
    default: return false;
  }
}

void TextViewer::draw() {
  console::Console& con = console();
  console::Attr normal = con.attr(console::kStandard);
  console::Attr selected = con.attr(console::kEnhanced);
  long n = line_count();
  for (int r = 0; r < kRows; ++r) {
    long idx = top_ + r;
    for (int vc = 0; vc < kVisibleColumns; ++vc) {
      int c = left_ + vc;
      std::string cell;
      if (idx < n && c < columns_) {
        const std::string& text = lines_[static_cast<size_t>(idx)];
        size_t from = static_cast<size_t>(c) * kViewerColumn;
        if (from < text.size()) cell = text.substr(from, kViewerColumn);
      }
      bool hit = idx == cur_ && c == col_ && idx < n;
      con.screen().write(r, vc * kViewerColumn, pad(cell, kViewerColumn), hit ? selected : normal);
    }
  }
}

void TextViewer::show_number() {
  console::Console& con = console();
  char buf[32];
  long no = line_count() == 0 ? 1 : cur_ + 1;
  if (no > 999999)
    std::snprintf(buf, sizeof buf, "******");
  else
    std::snprintf(buf, sizeof buf, "%6ld", no);
  // Right after "Sor:", in the six places before the "/".
  con.screen().write(24, status_left(line_count(), ny_) + 4, buf, slot_attr("i"));
}

std::string TextViewer::rmbgfn2() const {
  if (lines_.empty()) return std::string(static_cast<size_t>(columns_) * kViewerColumn, ' ');
  return pad(lines_[static_cast<size_t>(cur_)], static_cast<size_t>(columns_) * kViewerColumn);
}

int TextViewer::rmbgfn(int key) {
  show_number();
  switch (key) {
    case console::key::kEsc: return 0;
    case 'k':
    case 'K': search(); break;
    case 't':
    case 'T':
      hooks_.export_file(file_);
      break;
    case 'p':
    case 'P':
      {
        long keep = cur_;
        hooks_.print(*this);
        set_current(keep);
      }
      break;
    default: break;
  }
  return 1;
}

void TextViewer::search() {
  console::Console& con = console();
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);
  windows_.open(con, 18, 10, 20, 70, console::kSingleFrame, HU("Keresés"));
  int row = windows_.offmax(1);
  int left = windows_.offmax(2);
  int right = windows_.offmax(4);
  con.say(row, left + 2, HU("Keresendő:"));
  std::string before = ker_;
  console::GetList fields;
  fields.add(con, row, left + 13, "KER", console::bind_text(ker_));
  console::read(reads_, fields);
  if (con.last_key() != console::key::kEsc) {
    long start = ker_ != before ? 0 : cur_ + 1;
    std::string needle = xbase::hu852_upper(xbase::alltrim(ker_));
    long found = -1;
    size_t total = static_cast<size_t>(columns_) * kViewerColumn;
    std::string upper;
    for (long i = start; i < line_count(); ++i) {
      // The line as its columns join (blanks up to the full width), upper-cased.
      const std::string& text = lines_[static_cast<size_t>(i)];
      upper.assign(total, ' ');
      for (size_t c = 0; c < text.size(); ++c)
        upper[c] = static_cast<char>(xbase::hu852_upper(static_cast<unsigned char>(text[c])));
      if (upper.find(needle) != std::string::npos) {
        found = i;
        break;
      }
    }
    if (found >= 0) {
      set_current(found);
    } else {
      con.clear_rect(row, left, row, right);
      std::string_view msg = HU("Nem található...");
      int width = right - left + 1;
      con.say(row, left + (width - static_cast<int>(msg.size())) / 2, msg);
      con.inkey(0);
      // The search ran off the end: the last line stays current, and the same
      // text searched again finds nothing further.
      set_current(line_count() - 1);
    }
  }
  con.set_cursor(cursor);
  windows_.close(con);
}

void TextViewer::run() {
  console::Console& con = console();
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Off);
  windows_.open(con, 0, 0, 24, 79);
  con.screen().write(24, 0, viewer_status_line(line_count(), ny_), slot_attr("i"));
  if (width_ > 80) con.screen().write(24, 79, "\x1a", slot_attr("i*"));
  for (;;) {
    draw();
    show_number();
    int key = con.read_key();
    if (move(key)) continue;
    if (rmbgfn(key) == 0) break;
  }
  windows_.close(con);
  con.set_cursor(cursor);
}

void print_lines(TextViewer& viewer, console::Printer& printer, int npage,
                 const std::function<std::string(std::string_view)>& convert) {
  long keep = viewer.current();
  for (long i = 0; i < viewer.line_count(); ++i) {
    viewer.set_current(i);
    printer.say(printer.prow() + 1, 0, convert ? convert(viewer.rmbgfn2()) : viewer.rmbgfn2());
    if (printer.prow() > npage - 2) printer.eject();
  }
  if (printer.prow() != 0) printer.eject();
  viewer.set_current(keep);
}

int readme_bg(console::ReadContext& reads, WindowStack& windows, xbase::Variables* vars,
              std::string_view file, int width, std::string_view ny, const ViewerHooks& hooks) {
  console::Console& con = reads.console();
  int w = width <= 0 ? 80 : width;
  int columns = (w + kViewerColumn - 1) / kViewerColumn;
  std::string colour = con.set_colour(con.is_colour() ? "bg/n,n/bg" : "w/n,i");
  std::optional<xbase::Variables::Scope> scope;
  if (vars != nullptr) {
    // The job name of a print from the viewer: the file's name without directory,
    // as the program spells it (CP852), so its first 8 characters are 8 letters.
    size_t slash = file.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);
    scope.emplace(*vars);
    scope->declare("KER", xbase::Value::str(std::string(42, ' ')));
    scope->declare("JAR1", xbase::Value::str(support::platform::shown_path(base).substr(0, 8)));
  }
  {
    TextViewer viewer(reads, windows, load_view_lines(file, columns * kViewerColumn), w,
                      ny.empty() ? "t" : ny, hooks, std::string(file));
    viewer.run();
  }
  con.clear_keyboard();
  con.set_colour(colour);
  con.set_last_key(' ');
  return 0;
}

std::string szir(console::Console& con, std::string_view text, std::string_view colour) {
  std::string old = con.set_colour(colour);
  con.out(text);
  con.set_colour(old);
  return {};
}

}  // namespace ui
