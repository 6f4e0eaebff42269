// A TrueType font file cut down to some of its glyphs for embedding: the glyphs
// keep their numbers (the others are left empty), the parts of a composite glyph
// stay with it, and only the tables a PDF reader uses are kept (head, hhea, maxp,
// hmtx, loca, glyf and the hinting tables cvt, fpgm, prep).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace print::pdf {

// Empty when `font` is no TrueType font with glyph outlines.
std::string cut_truetype(std::string_view font, const std::vector<unsigned>& glyphs);

}  // namespace print::pdf
