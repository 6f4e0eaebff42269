// The content stream of one page (docs/pdf.md): the page's runs as text in the
// embedded font, one text object with a line of glyphs per line, bold as the glyphs filled
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
  std::string glyphs_;
  // What the stream has in force: font size, horizontal scaling, bold stroke, line
  // width of the underlines, leading; the current line's baseline and top, and
  // where its last glyph ended.
  double size_ = -1, tz_ = -1, stroke_ = 0, line_width_ = -1, leading_ = 0;
  double line_y_ = 0, top_ = -1, x_ = 0;
};

}  // namespace print::pdf
