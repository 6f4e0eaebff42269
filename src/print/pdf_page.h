// The content stream of one page (docs/pdf.md): the page's runs as text in the
// embedded font, each line one text object of its cells, bold as the glyphs filled
// and stroked, underline as a line under the cells; a page larger than the area
// inside the margins scaled down as a whole.
#pragma once

#include <string>

#include "print/pdf_stream.h"

namespace print::pdf {

struct Font;

struct PageFrame {
  double width = 595.276;  // points
  double height = 841.89;
  double margin = 18;
};

class PageDrawer {
 public:
  explicit PageDrawer(const Font& font) : font_(font) {}
  // The page's content stream, uncompressed. The font is resource /F1.
  const std::string& content(const Page& page, const PageFrame& frame);

 private:
  void text(const Run& run);
  const Font& font_;
  std::string out_, lines_;  // the text; the underlines, drawn after it
  // What the stream has in force: font size, horizontal scaling, bold stroke, line
  // width of the underlines, the start of the current line and its top.
  double size_ = -1, tz_ = -1, stroke_ = 0, line_width_ = -1;
  double x_ = 0, y_ = 0, top_ = -1;
  bool in_text_ = false;
};

}  // namespace print::pdf
