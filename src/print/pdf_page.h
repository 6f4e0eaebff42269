// The content stream of one page (docs/pdf.md): the page's runs as text in the
// embedded font, a line of glyphs per line, bold as the glyphs filled and stroked,
// underline as a line under the cells; a page larger than the area inside the margins
// scaled down as a whole. A block of lines the job has repeated (see pdf_repeats.h)
// is drawn by a form instead, made the second time the block is met.
#pragma once

#include <string>
#include <vector>

#include "print/pdf_repeats.h"
#include "print/pdf_stream.h"

namespace print::pdf {

struct Font;

struct PageFrame {
  double width = 595.276;  // points
  double height = 841.89;
  double margin = 18;
};

// A form made while drawing a page: to be written before the page, which names it.
struct Form {
  int number = 0;       // its resource name: /X1, /X2, ...
  std::string bbox;     // "[left bottom right top]" in the form's space
  std::string content;  // its content stream, uncompressed; the font is /F1
};

struct DrawnPage {
  std::string content;      // the page's content stream, uncompressed; the font is /F1
  std::vector<Form> forms;  // the forms made for it
};

// Draws the pages of one job, in order: the forms made for one page are named by later ones.
class PageDrawer {
 public:
  explicit PageDrawer(const Font& font) : font_(font) {}
  const DrawnPage& draw(const Page& page, const PageFrame& frame);

 private:
  // One line of the page: its runs [first, end) and what makes it the same line
  // elsewhere (its runs but their tops and underlines; empty when nothing shows).
  struct Line {
    size_t first = 0, end = 0;
    double top = 0;
    bool met = false;
    std::string key;
  };
  // A content stream being written and the text state it has in force: font size,
  // horizontal scaling, bold stroke (-1: not known), leading; the current line's
  // baseline and top, and where its last glyph ended.
  struct Text {
    std::string* out = nullptr;
    double size = -1, tz = -1, stroke = 0, leading = 0;
    double line_y = 0, top = -1, x = 0;
  };
  void gather(const Page& page);
  void inline_line(const Page& page, const Line& line);
  void block(const Page& page, size_t first, size_t end);
  void glyphs(Text& t, const Run& run, double top);
  void underline(const Run& run);

  const Font& font_;
  Repeats repeats_;
  DrawnPage drawn_;
  Text text_;
  bool in_text_ = false;
  std::vector<Line> lines_;
  size_t used_ = 0;  // lines_ in use for this page
  std::string underlines_, glyphs_, key_;
  double line_width_ = -1;
};

}  // namespace print::pdf
