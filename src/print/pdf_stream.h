// The reading of a print job's bytes as a printer would lay them out on paper:
// characters in cells of the current pitch, carriage return, line feed and form
// feed, and the control sequences of the job's printer language (EPSON ESC/P or
// HP PCL) that change the pitch, the line spacing, bold and underline. The PDF
// maker draws what this gives; it never reads the bytes itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace print::pdf {

enum class Language { Epson, Hp };

// Characters of one style set on one line, one cell after another.
struct Run {
  double x = 0;        // left edge of the first cell, points from the left margin
  double top = 0;      // top of the line, points from the top margin
  double cell = 7.2;   // width of one cell in points (72 / cpi, doubled for double width)
  double pitch = 12;   // line pitch in force (12 at 6 lpi, 9 at 8 lpi)
  bool bold = false;
  bool underline = false;
  std::string text;    // CP852 bytes; blanks inside a run are drawn as gaps
};

struct Page {
  std::vector<Run> runs;
  // The extent of what leaves a mark (blanks do not), points from the margins.
  double width = 0;    // right edge of the rightmost such cell
  double height = 0;   // bottom of the lowest line holding one
};

// The pages of a job: one per form feed (ESC "&l0H" on HP), and the text after
// the last one a last page when it holds a character that leaves a mark. No bytes, no pages.
// Unknown sequences are skipped: on HP an ESC followed by 0x21-0x2F runs to the
// first byte 0x40-0x5E, any other ESC takes one byte; control bytes other than
// CR, LF and FF are skipped.
std::vector<Page> read_pages(std::string_view bytes, Language language);

// The same one page at a time, so that a long job is never held whole as pages.
class PageReader {
 public:
  // `bytes` must outlive the reader.
  PageReader(std::string_view bytes, Language language);
  ~PageReader();
  PageReader(const PageReader&) = delete;
  PageReader& operator=(const PageReader&) = delete;
  // The next page; false when there is none.
  bool next(Page& page);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace print::pdf
