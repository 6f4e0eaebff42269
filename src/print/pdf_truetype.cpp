#include "print/pdf_truetype.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

namespace print::pdf {

namespace {

uint32_t be16(std::string_view s, size_t at) {
  if (at + 2 > s.size()) return 0;
  return static_cast<uint32_t>(static_cast<unsigned char>(s[at]) << 8 | static_cast<unsigned char>(s[at + 1]));
}
uint32_t be32(std::string_view s, size_t at) { return be16(s, at) << 16 | be16(s, at + 2); }

void put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 8 & 0xFF);
  out += static_cast<char>(v & 0xFF);
}
void put32(std::string& out, uint32_t v) {
  put16(out, v >> 16);
  put16(out, v & 0xFFFF);
}
void set32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i) & 0xFF);
}

uint32_t checksum(std::string_view t) {
  uint32_t sum = 0;
  for (size_t i = 0; i < t.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k)
      word = word << 8 | (i + k < t.size() ? static_cast<unsigned char>(t[i + k]) : 0u);
    sum += word;
  }
  return sum;
}

// The glyphs a composite glyph is made of.
void components(std::string_view g, std::vector<unsigned>& out) {
  if (g.size() < 10 || static_cast<int16_t>(be16(g, 0)) >= 0) return;
  size_t at = 10;
  for (;;) {
    uint32_t flags = be16(g, at);
    out.push_back(be16(g, at + 2));
    at += 4 + ((flags & 0x0001) ? 4 : 2);        // arguments: words or bytes
    if (flags & 0x0008) at += 2;                 // one scale
    else if (flags & 0x0040) at += 4;            // x and y scales
    else if (flags & 0x0080) at += 8;            // a 2 by 2 matrix
    if (!(flags & 0x0020) || at >= g.size()) return;  // no more components
  }
}

}  // namespace

std::string cut_truetype(std::string_view font, const std::vector<unsigned>& glyphs) {
  std::map<std::string, std::string_view> tables;
  uint32_t count = be16(font, 4);
  for (uint32_t i = 0; i < count; ++i) {
    size_t rec = 12 + 16 * static_cast<size_t>(i);
    std::string tag(font.substr(std::min(rec, font.size()), 4));
    uint32_t off = be32(font, rec + 8), len = be32(font, rec + 12);
    if (off > font.size() || len > font.size() - off) return {};
    tables[tag] = font.substr(off, len);
  }
  for (const char* need : {"head", "hhea", "maxp", "hmtx", "loca", "glyf"})
    if (!tables.count(need)) return {};
  std::string head(tables["head"]);
  if (head.size() < 54) return {};
  bool long_loca = be16(head, 50) == 1;
  uint32_t glyph_count = be16(tables["maxp"], 4);
  std::string_view loca = tables["loca"], glyf = tables["glyf"];
  auto where = [&](uint32_t g) -> uint32_t { return long_loca ? be32(loca, 4 * g) : 2 * be16(loca, 2 * g); };
  auto outline = [&](uint32_t g) -> std::string_view {
    uint32_t from = where(g), to = where(g + 1);
    if (g >= glyph_count || from > to || to > glyf.size()) return {};
    return glyf.substr(from, to - from);
  };

  // The glyphs kept: the asked ones, ".notdef", and the parts of composites.
  std::set<unsigned> keep;
  std::vector<unsigned> todo(glyphs);
  todo.push_back(0);
  while (!todo.empty()) {
    unsigned g = todo.back();
    todo.pop_back();
    if (g >= glyph_count || !keep.insert(g).second) continue;
    components(outline(g), todo);
  }

  std::string new_glyf, new_loca;
  for (uint32_t g = 0; g < glyph_count; ++g) {
    put32(new_loca, static_cast<uint32_t>(new_glyf.size()));
    if (!keep.count(g)) continue;
    new_glyf += outline(g);
    while (new_glyf.size() % 4) new_glyf += '\0';
  }
  put32(new_loca, static_cast<uint32_t>(new_glyf.size()));
  set32(head, 8, 0);         // checkSumAdjustment, set below
  head[50] = 0, head[51] = 1;  // long offsets in loca

  std::map<std::string, std::string> out_tables;
  for (const char* tag : {"cvt ", "fpgm", "hhea", "hmtx", "maxp", "prep"})
    if (tables.count(tag)) out_tables[tag] = std::string(tables[tag]);
  out_tables["head"] = head;
  out_tables["loca"] = new_loca;
  out_tables["glyf"] = new_glyf;

  // The table directory (sorted by tag), then the tables, each on four bytes.
  auto n = static_cast<uint32_t>(out_tables.size());
  uint32_t power = 1, log2 = 0;
  while (power * 2 <= n) power *= 2, ++log2;
  std::string out;
  put32(out, 0x00010000);
  put16(out, n);
  put16(out, power * 16);
  put16(out, log2);
  put16(out, n * 16 - power * 16);
  size_t offset = 12 + 16 * static_cast<size_t>(n);
  size_t head_at = 0;
  for (const auto& [tag, t] : out_tables) {
    out += tag;
    put32(out, checksum(t));
    put32(out, static_cast<uint32_t>(offset));
    put32(out, static_cast<uint32_t>(t.size()));
    if (tag == "head") head_at = offset;
    offset += (t.size() + 3) / 4 * 4;
  }
  for (const auto& [tag, t] : out_tables) {
    out += t;
    while (out.size() % 4) out += '\0';
  }
  set32(out, head_at + 8, 0xB1B0AFBAu - checksum(out));
  return out;
}

}  // namespace print::pdf
