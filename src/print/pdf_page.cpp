#include "print/pdf_page.h"

#include <algorithm>

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
  out_ += "cm\n";
  size_ = -1, tz_ = -1, stroke_ = 0, line_width_ = -1, x_ = 0, y_ = 0, top_ = -1;
  in_text_ = false;
  for (const Run& run : page.runs) text(run);
  if (in_text_) out_ += "ET\n";
  out_ += lines_;
  return out_;
}

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

  // A line of its own: one text object for the cells of one line.
  if (run.top != top_) {
    if (in_text_) out_ += "ET\n";
    out_ += "BT\n";
    in_text_ = true;
    top_ = run.top;
    x_ = 0, y_ = 0;
  }
  double size = run.pitch * font_.em_of_pitch;
  double tz = 100 * run.cell / (font_.advance_em * size);
  // Bold: the outlines stroked as well as filled, the stroke a 24th of the font's
  // size, and the glyphs moved up by half of it, as the thickened font had them.
  double stroke = run.bold ? size / 24 : 0;
  double x = run.x + run.cell * static_cast<double>(first);
  double y = baseline + stroke / 2;
  if (size != size_) {
    out_ += "/F1 ";
    num(out_, size);
    out_ += "Tf ";
    size_ = size;
  }
  if (tz != tz_) {
    num(out_, tz);
    out_ += "Tz ";
    tz_ = tz;
  }
  if (stroke != stroke_) {
    if (stroke > 0) {
      num(out_, stroke);
      out_ += "w 2 Tr ";
    } else {
      out_ += "0 Tr ";
    }
    stroke_ = stroke;
  }
  num(out_, x - x_);
  num(out_, y - y_);
  out_ += "Td";
  x_ = x, y_ = y;

  // The cells as the CP852 bytes themselves (the font's codes), long gaps of blanks
  // as moves of whole cells.
  std::string glyphs = "[(";
  bool moved = false;
  double cell = font_.advance_em * 1000;
  for (size_t i = first; i < last;) {
    char c = t[i];
    if (blank(c)) {
      size_t j = i;
      while (j < last && blank(t[j])) ++j;
      if (j - i >= kGap) {
        glyphs += ")";
        append_number(glyphs, -cell * static_cast<double>(j - i), 2);
        glyphs += "(";
        moved = true;
      } else {
        glyphs.append(j - i, ' ');
      }
      i = j;
      continue;
    }
    if (c == '(' || c == ')' || c == '\\') glyphs += '\\';
    glyphs += c;
    ++i;
  }
  if (moved) {
    out_ += glyphs;
    out_ += ")]TJ\n";
  } else {
    out_.append(glyphs, 1);
    out_ += ")Tj\n";
  }
}

}  // namespace print::pdf
