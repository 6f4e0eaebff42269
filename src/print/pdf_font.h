// The PDF's font: a TrueType font file read through FreeType once, its glyphs for
// the 256 CP852 bytes, its metrics, and the objects that embed it (docs/pdf.md): a
// Type0 font whose codes are the CP852 bytes themselves, an embedded CMap from those
// bytes to glyph numbers, a CIDFontType2 descendant with its widths, the font file cut
// down to the glyphs of the code page, and a ToUnicode map for the text layer.
#pragma once

#include <array>
#include <string>

namespace print::pdf {

class Writer;

struct Font {
  // The cell width in em, from the advance of "M".
  double advance_em = 0.6;
  // The font's height against the line pitch and where the baseline lies in a line,
  // from the box-drawing "│", so that frames join from line to line.
  double em_of_pitch = 10.0 / 12.0;
  double baseline_of_pitch = 0.75;
  std::array<unsigned, 256> glyph{};  // glyph number of every CP852 byte (0: none)
  std::string name;                   // the PostScript name with its subset tag
  std::string file;                   // the cut-down font file, compressed
  int length1 = 0;                    // its length uncompressed
  std::string descriptor;             // the FontDescriptor's entries but FontFile2
  std::string widths;                 // DW and W of the descendant font
  std::string encoding;               // the CMap from CP852 bytes to glyph numbers
  std::string to_unicode;             // the CMap from CP852 bytes to Unicode

  // False when the file cannot be read or is no TrueType font.
  bool load(const std::string& font_file);
  // Writes the font's objects; the number of the Type0 font object.
  int write(Writer& w) const;
};

}  // namespace print::pdf
