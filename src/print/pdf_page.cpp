#include "print/pdf_page.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "print/pdf_font.h"
#include "print/pdf_writer.h"

namespace print::pdf {

namespace {

// Blanks from this many on are a move, not glyphs.
constexpr size_t kGap = 3;

bool blank(char c) { return c == ' ' || c == '\xFF'; }

bool shows(const std::string& t) {
  return std::any_of(t.begin(), t.end(), [](char c) { return !blank(c); });
}

void num(std::string& out, double v) {
  append_number(out, v);
  out += ' ';
}

// A number into a key as its bytes: exact, and never mistaken for the text around it.
template <class T>
void raw(std::string& key, T v) {
  char b[sizeof v];
  std::memcpy(b, &v, sizeof v);
  key.append(b, sizeof v);
}

}  // namespace

const DrawnPage& PageDrawer::draw(const Page& page, const PageFrame& frame) {
  std::string& out = drawn_.content;
  out.clear();
  drawn_.forms.clear();
  underlines_.clear();
  line_width_ = -1;
  double area_w = frame.width - 2 * frame.margin;
  double area_h = frame.height - 2 * frame.margin;
  double scale = 1;
  if (page.width > area_w) scale = std::min(scale, area_w / page.width);
  if (page.height > area_h) scale = std::min(scale, area_h / page.height);
  // From here on the origin is the top left corner inside the margins, y upwards.
  num(out, scale);
  out += "0 0 ";
  num(out, scale);
  num(out, frame.margin);
  num(out, frame.height - frame.margin);
  out += "cm\n";
  text_ = Text{};
  text_.out = &out;
  in_text_ = false;

  gather(page);
  for (size_t i = 0; i < used_;) {
    if (!lines_[i].met) {
      inline_line(page, lines_[i++]);
      continue;
    }
    size_t j = i + 1;
    while (j < used_ && lines_[j].met) ++j;
    block(page, i, j);
    i = j;
  }
  if (in_text_) out += "ET\n";
  out += underlines_;
  return drawn_;
}

// The page's lines that show something, whether each was met before (on this page
// or an earlier one), and the underlines of every run.
void PageDrawer::gather(const Page& page) {
  used_ = 0;
  for (size_t r = 0; r < page.runs.size();) {
    size_t end = r + 1;
    while (end < page.runs.size() && page.runs[end].top == page.runs[r].top) ++end;
    if (used_ == lines_.size()) lines_.emplace_back();
    Line& line = lines_[used_];
    line.first = r, line.end = end, line.top = page.runs[r].top;
    line.key.clear();
    for (; r < end; ++r) {
      const Run& run = page.runs[r];
      if (run.underline) underline(run);
      if (!shows(run.text)) continue;
      raw(line.key, run.x), raw(line.key, run.cell), raw(line.key, run.pitch);
      line.key += run.bold ? 'B' : 'N';
      raw(line.key, run.text.size());
      line.key += run.text;
    }
    if (line.key.empty()) continue;
    line.met = repeats_.line_met(line.key);
    ++used_;
  }
}

void PageDrawer::inline_line(const Page& page, const Line& line) {
  if (!in_text_) {
    // A new text object starts at the origin; the text state stays as it was.
    *text_.out += "BT\n";
    text_.line_y = 0, text_.top = -1, text_.x = 0;
    in_text_ = true;
  }
  for (size_t r = line.first; r < line.end; ++r) glyphs(text_, page.runs[r], page.runs[r].top);
}

// Lines [first, end), each met before: drawn by their form when the block has one,
// else as text.
void PageDrawer::block(const Page& page, size_t first, size_t end) {
  const double top = lines_[first].top;
  key_.clear();
  for (size_t i = first; i < end; ++i) {
    raw(key_, lines_[i].top - top);
    key_ += lines_[i].key;
  }
  Repeats::Block b = repeats_.block(key_);
  if (b.form == 0) {
    for (size_t i = first; i < end; ++i) inline_line(page, lines_[i]);
    return;
  }
  if (b.made) {
    // The form's origin is the block's top left; it sets every text state it uses,
    // since a form takes the state of the page that names it.
    Form form;
    form.number = b.form;
    Text t;
    t.out = &form.content;
    t.stroke = -1;
    form.content = "BT\n";
    double right = 0, bottom = 0, pitch = 0;
    for (size_t i = first; i < end; ++i)
      for (size_t r = lines_[i].first; r < lines_[i].end; ++r) {
        const Run& run = page.runs[r];
        glyphs(t, run, run.top - top);
        right = std::max(right, run.x + run.cell * static_cast<double>(run.text.size()));
        bottom = std::max(bottom, run.top - top + run.pitch);
        pitch = std::max(pitch, run.pitch);
      }
    form.content += "ET\n";
    // The box holds the cells with a line to spare on every side (bold, accents).
    form.bbox = "[";
    num(form.bbox, -pitch);
    num(form.bbox, -(bottom + pitch));
    num(form.bbox, right + pitch);
    append_number(form.bbox, pitch);
    form.bbox += ']';
    drawn_.forms.push_back(std::move(form));
  }
  std::string& out = *text_.out;
  if (in_text_) out += "ET\n";
  in_text_ = false;
  out += "q 1 0 0 1 0 ";
  num(out, -top);
  out += "cm/X";
  append_number(out, b.form, 0);
  out += " Do Q\n";
}

void PageDrawer::underline(const Run& run) {
  double lw = 0.05 * run.pitch;
  if (lw != line_width_) {
    num(underlines_, lw);
    underlines_ += "w ";
    line_width_ = lw;
  }
  double y = -(run.top + run.pitch * font_.baseline_of_pitch) - run.pitch * 0.1;
  num(underlines_, run.x);
  num(underlines_, y);
  underlines_ += "m ";
  num(underlines_, run.x + run.cell * static_cast<double>(run.text.size()));
  num(underlines_, y);
  underlines_ += "l S\n";
}

// Every line starts at the left edge; leading blanks are a move inside its first
// glyph array, so that most lines begin with the same "T*[". `top` is the run's line
// top in the stream's space.
void PageDrawer::glyphs(Text& s, const Run& run, double top) {
  const std::string& t = run.text;
  std::string& out = *s.out;
  size_t first = 0;
  while (first < t.size() && blank(t[first])) ++first;
  size_t last = t.size();
  while (last > first && blank(t[last - 1])) --last;
  if (first == last) return;

  double baseline = -(top + run.pitch * font_.baseline_of_pitch);
  if (top != s.top) {
    // The next line: its baseline below the one before (the pitch: "T*").
    double dy = baseline - s.line_y;
    if (run.pitch != s.leading) {
      num(out, run.pitch);
      out += "TL ";
      s.leading = run.pitch;
    }
    if (std::fabs(dy + s.leading) < 1e-9) {
      out += "T*";
    } else {
      out += "0 ";
      num(out, dy);
      out += "Td";
    }
    s.line_y = baseline;
    s.top = top;
    s.x = 0;
  }
  double size = run.pitch * font_.em_of_pitch;
  double tz = 100 * run.cell / (font_.advance_em * size);
  // Bold: the outlines stroked as well as filled, the stroke a 24th of the font's
  // size, and the glyphs raised by half of it, as the thickened font had them.
  double stroke = run.bold ? size / 24 : 0;
  if (size != s.size) {
    out += "/F1 ";
    num(out, size);
    out += "Tf";
    s.size = size;
  }
  if (tz != s.tz) {
    out += ' ';
    num(out, tz);
    out += "Tz";
    s.tz = tz;
  }
  if (stroke != s.stroke) {
    out += ' ';
    if (stroke > 0) {
      num(out, stroke);
      out += "w 2 Tr ";
      num(out, stroke / 2);
      out += "Ts";
    } else {
      out += "0 Tr 0 Ts";
    }
    s.stroke = stroke;
  }

  // The cells as the CP852 bytes themselves (the font's codes); a move of whole
  // cells for long gaps of blanks, in thousandths of the font's size as a glyph
  // array counts (rounded: a move is off by less than a hundredth of a point, and
  // the next one starts from where this one ended).
  double unit = size * tz / 100 / 1000;  // points per thousandth
  auto move = [&](double to_x) {
    double units = std::round((to_x - s.x) / unit);
    if (units == 0) return false;
    glyphs_ += ')';
    append_number(glyphs_, -units, 0);
    glyphs_ += '(';
    s.x += units * unit;
    return true;
  };
  glyphs_ = "[(";
  bool moved = move(run.x + run.cell * static_cast<double>(first));
  for (size_t i = first; i < last;) {
    char c = t[i];
    if (blank(c)) {
      size_t j = i;
      while (j < last && blank(t[j])) ++j;
      if (j - i >= kGap) {
        s.x += run.cell * static_cast<double>(i - first);
        moved |= move(run.x + run.cell * static_cast<double>(j));
        first = j;
      } else {
        glyphs_.append(j - i, ' ');
      }
      i = j;
      continue;
    }
    if (c == '(' || c == ')' || c == '\\') glyphs_ += '\\';
    glyphs_ += c;
    ++i;
  }
  s.x += run.cell * static_cast<double>(last - first);
  if (glyphs_.starts_with("[()")) glyphs_.erase(1, 2);
  if (moved) {
    out += glyphs_;
    out += ")]TJ\n";
  } else {
    out.append(glyphs_, 1);
    out += ")Tj\n";
  }
}

}  // namespace print::pdf
