#include "print/pdf_page.h"

#include <algorithm>
#include <cmath>

#include "print/pdf_font.h"
#include "print/pdf_writer.h"

namespace print::pdf {

namespace {

// Blanks from this many on are a move, not glyphs.
constexpr size_t kGap = 3;

bool blank(char c) { return c == ' ' || c == '\xFF'; }

void num(std::string& out, double v) {
  append_number(out, v);
  out += ' ';
}

}  // namespace

const std::string& PageDrawer::content(const Page& page, const PageFrame& frame) {
  out_.clear();
  lines_.clear();
  double area_w = frame.width - 2 * frame.margin;
  double area_h = frame.height - 2 * frame.margin;
  double scale = 1;
  if (page.width > area_w) scale = std::min(scale, area_w / page.width);
  if (page.height > area_h) scale = std::min(scale, area_h / page.height);
  // From here on the origin is the top left corner inside the margins, y upwards.
  num(out_, scale);
  out_ += "0 0 ";
  num(out_, scale);
  num(out_, frame.margin);
  num(out_, frame.height - frame.margin);
  out_ += "cm\nBT\n";
  size_ = -1, tz_ = -1, stroke_ = 0, line_width_ = -1, leading_ = 0;
  line_y_ = 0, top_ = -1, x_ = 0;
  for (const Run& run : page.runs) text(run);
  out_ += "ET\n";
  out_ += lines_;
  return out_;
}

// Every line starts at the left edge; leading blanks are a move inside its first
// glyph array, so that most lines begin with the same "T*[".
void PageDrawer::text(const Run& run) {
  const std::string& t = run.text;
  double baseline = -(run.top + run.pitch * font_.baseline_of_pitch);
  if (run.underline) {
    double lw = 0.05 * run.pitch;
    if (lw != line_width_) {
      num(lines_, lw);
      lines_ += "w ";
      line_width_ = lw;
    }
    double y = baseline - run.pitch * 0.1;
    num(lines_, run.x);
    num(lines_, y);
    lines_ += "m ";
    num(lines_, run.x + run.cell * static_cast<double>(t.size()));
    num(lines_, y);
    lines_ += "l S\n";
  }
  size_t first = 0;
  while (first < t.size() && blank(t[first])) ++first;
  size_t last = t.size();
  while (last > first && blank(t[last - 1])) --last;
  if (first == last) return;

  if (run.top != top_) {
    // The next line: its baseline below the one before (the pitch: "T*").
    double dy = baseline - line_y_;
    if (run.pitch != leading_) {
      num(out_, run.pitch);
      out_ += "TL ";
      leading_ = run.pitch;
    }
    if (std::fabs(dy + leading_) < 1e-9) {
      out_ += "T*";
    } else {
      out_ += "0 ";
      num(out_, dy);
      out_ += "Td";
    }
    line_y_ = baseline;
    top_ = run.top;
    x_ = 0;
  }
  double size = run.pitch * font_.em_of_pitch;
  double tz = 100 * run.cell / (font_.advance_em * size);
  // Bold: the outlines stroked as well as filled, the stroke a 24th of the font's
  // size, and the glyphs raised by half of it, as the thickened font had them.
  double stroke = run.bold ? size / 24 : 0;
  if (size != size_) {
    out_ += "/F1 ";
    num(out_, size);
    out_ += "Tf";
    size_ = size;
  }
  if (tz != tz_) {
    out_ += ' ';
    num(out_, tz);
    out_ += "Tz";
    tz_ = tz;
  }
  if (stroke != stroke_) {
    out_ += ' ';
    if (stroke > 0) {
      num(out_, stroke);
      out_ += "w 2 Tr ";
      num(out_, stroke / 2);
      out_ += "Ts";
    } else {
      out_ += "0 Tr 0 Ts";
    }
    stroke_ = stroke;
  }

  // The cells as the CP852 bytes themselves (the font's codes); a move of whole
  // cells for long gaps of blanks, in thousandths of the font's size as a glyph
  // array counts (rounded: a move is off by less than a hundredth of a point, and
  // the next one starts from where this one ended).
  double unit = size * tz / 100 / 1000;  // points per thousandth
  auto move = [&](double to_x) {
    double units = std::round((to_x - x_) / unit);
    if (units == 0) return false;
    glyphs_ += ')';
    append_number(glyphs_, -units, 0);
    glyphs_ += '(';
    x_ += units * unit;
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
        x_ += run.cell * static_cast<double>(i - first);
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
  x_ += run.cell * static_cast<double>(last - first);
  if (glyphs_.starts_with("[()")) glyphs_.erase(1, 2);
  if (moved) {
    out_ += glyphs_;
    out_ += ")]TJ\n";
  } else {
    out_.append(glyphs_, 1);
    out_ += ")Tj\n";
  }
}

}  // namespace print::pdf
