// The PDF maker: a print job's bytes (in its printer language) drawn on A4 pages
// with a monospaced font, as the printer would have printed them, written as PDF by
// the program itself (docs/pdf.md). The font is embedded as a subset with its
// Unicode map, so the text can be searched and copied; the same bytes always give
// the same file.
//
// Paper 0 or 1 (narrow) is A4 portrait, 2 (wide) A4 landscape; margins are 18 pt.
// A page wider or taller than the area inside the margins is scaled down as a
// whole. Bold is the glyphs filled and stroked (the font thickened on every side),
// underline a line under the cells.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/pdf_stream.h"

namespace print::pdf {

struct Options {
  Language language = Language::Epson;
  int paper = 1;
  std::string font;  // the font file (see routing's pdf_font_path)
};

struct Result {
  enum class Status { Written, Empty, FontMissing, CreateFailed } status = Status::Written;
  int pages = 0;
  long long bytes = 0;  // of the PDF file
};

// Draws `bytes` into the PDF file `path`, which takes its name only when complete.
// No pages (an empty job): no file. A font that cannot be loaded or a file that
// cannot be written: no new file (an earlier one stays as it was).
Result make_pdf(std::string_view bytes, const Options& options, const std::string& path);

// The maker keeps its font (read and cut down once) between jobs; this object owns
// it. make_pdf above uses one shared instance per font file.
class Maker {
 public:
  // False when the font cannot be loaded.
  bool load_font(const std::string& font_file);
  Result make(std::string_view bytes, Language language, int paper, const std::string& path);
  Maker();
  ~Maker();
  Maker(const Maker&) = delete;
  Maker& operator=(const Maker&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace print::pdf
