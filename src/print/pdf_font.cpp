#include "print/pdf_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include "print/pdf_truetype.h"
#include "print/pdf_writer.h"
#include "support/platform_files.h"
#include "xbase/cp852.h"

namespace print::pdf {

namespace {

// The bytes that are drawn: everything from the blank up, but DEL.
bool drawn(int c) { return c >= 0x20 && c != 0x7F; }

std::string hex2(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "<%02X>", v & 0xFF);
  return b;
}

// The head of an embedded CMap named `name`, with one code space of single bytes.
std::string cmap_head(std::string_view name, bool unicode) {
  std::string s = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n";
  s += unicode ? "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
               : "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>def\n";
  s += "/CMapName/";
  s += name;
  s += " def\n/CMapType ";
  s += unicode ? "2" : "1";
  s += " def\n1 begincodespacerange\n<00><FF>\nendcodespacerange\n";
  return s;
}

constexpr std::string_view kCmapTail = "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";

// Entries in blocks of at most 100, as a CMap allows.
std::string blocks(const std::vector<std::string>& entries, std::string_view kind) {
  std::string s;
  for (size_t i = 0; i < entries.size(); i += 100) {
    size_t n = std::min<size_t>(100, entries.size() - i);
    s += std::to_string(n) + " begin" + std::string(kind) + "\n";
    for (size_t k = i; k < i + n; ++k) s += entries[k];
    s += "end" + std::string(kind) + "\n";
  }
  return s;
}

}  // namespace

bool Font::load(const std::string& font_file) {
  std::optional<std::string> file_bytes = support::platform::read_file(font_file);
  if (!file_bytes) return false;
  const std::string& bytes = *file_bytes;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Face face = nullptr;
  bool ok = FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                               static_cast<FT_Long>(bytes.size()), 0, &face) == 0 &&
            face->units_per_EM > 0 && FT_IS_SFNT(face);
  if (ok) {
    double em = face->units_per_EM;
    FT_UInt m_glyph = FT_Get_Char_Index(face, 'M');
    if (m_glyph != 0 && FT_Load_Glyph(face, m_glyph, FT_LOAD_NO_SCALE) == 0)
      advance_em = static_cast<double>(face->glyph->advance.x) / em;
    FT_UInt bar = FT_Get_Char_Index(face, 0x2502);
    if (bar != 0 && FT_Load_Glyph(face, bar, FT_LOAD_NO_SCALE) == 0) {
      FT_BBox box;
      FT_Outline_Get_CBox(&face->glyph->outline, &box);
      double height = static_cast<double>(box.yMax - box.yMin) / em;
      if (height > 0.5 && height < 2) {
        em_of_pitch = 1 / height;
        baseline_of_pitch = static_cast<double>(box.yMax) / em / height;
      }
    }
    std::vector<unsigned> used;
    std::vector<std::string> cids, unicodes;
    for (int c = 0; c < 256; ++c) {
      char32_t u = xbase::cp852_to_unicode(static_cast<unsigned char>(c));
      glyph[static_cast<size_t>(c)] = drawn(c) ? FT_Get_Char_Index(face, u) : 0;
      if (!drawn(c)) continue;
      char entry[32];
      std::snprintf(entry, sizeof entry, "%s<%04X>\n", hex2(c).c_str(), static_cast<unsigned>(u));
      unicodes.push_back(entry);
      if (unsigned g = glyph[static_cast<size_t>(c)]) {
        used.push_back(g);
        cids.push_back(hex2(c) + std::to_string(g) + "\n");
      }
    }
    std::string cut = cut_truetype(bytes, used);
    ok = !cut.empty();
    length1 = static_cast<int>(cut.size());
    file = deflate(cut);

    // The subset tag: six capitals from the glyphs kept, the same for the same font.
    uint32_t hash = 2166136261u;
    for (unsigned g : used) hash = (hash ^ g) * 16777619u;
    std::string tag;
    for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
    const char* ps = FT_Get_Postscript_Name(face);
    name = tag + "+" + (ps ? ps : "Font");

    // Every glyph is drawn one cell wide, whatever its own advance.
    std::string w;
    append_number(w, advance_em * 1000, 4);
    widths = "/DW " + w + "/W[";
    std::set<unsigned> sorted(used.begin(), used.end());
    for (unsigned g : sorted) widths += std::to_string(g) + "[" + w + "]";
    widths += "]";

    auto units = [&](long v) {
      std::string s;
      append_number(s, static_cast<double>(v) * 1000 / em, 0);
      return s;
    };
    descriptor = "/Type/FontDescriptor/FontName/" + name + "/Flags 5/FontBBox[" +
                 units(face->bbox.xMin) + " " + units(face->bbox.yMin) + " " + units(face->bbox.xMax) +
                 " " + units(face->bbox.yMax) + "]/ItalicAngle 0/Ascent " + units(face->ascender) +
                 "/Descent " + units(face->descender) + "/CapHeight " + units(face->ascender) +
                 "/StemV 80";
    encoding = cmap_head("MVIRDA-CP852", false) + blocks(cids, "cidchar") + std::string(kCmapTail);
    to_unicode = cmap_head("MVIRDA-CP852-UCS", true) + blocks(unicodes, "bfchar") + std::string(kCmapTail);
  }
  if (face) FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok;
}

int Font::write(Writer& w) const {
  int file_n = w.compressed_stream("/Length1 " + std::to_string(length1), file);
  int descriptor_n = w.object("<<" + descriptor + "/FontFile2 " + std::to_string(file_n) + " 0 R>>");
  int cid = w.object("<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name +
                     "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor " +
                     std::to_string(descriptor_n) + " 0 R" + widths + "/CIDToGIDMap/Identity>>");
  int enc = w.stream("/Type/CMap/CMapName/MVIRDA-CP852"
                     "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>",
                     encoding);
  int uni = w.stream("", to_unicode);
  return w.object("<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding " + std::to_string(enc) +
                  " 0 R/DescendantFonts[" + std::to_string(cid) + " 0 R]/ToUnicode " + std::to_string(uni) +
                  " 0 R>>");
}

}  // namespace print::pdf
