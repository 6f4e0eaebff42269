#include "xbase/ntx_format.h"

#include <algorithm>
#include <cstring>

#include "xbase/collation.h"
#include "xbase/hutext.h"

namespace xbase::ntx {

std::string page_text(uint64_t offset) {
  return std::string(HU("lap (")) + std::to_string(offset) + std::string(HU(". bájt)"));
}

std::string too_deep_text() {
  return std::string(HU("a fa mélyebb ")) + std::to_string(kMaxDepth) +
         std::string(HU(" szintnél"));
}

uint16_t max_items_for(std::size_t key_size) {
  int m = static_cast<int>(1022 / (key_size + 10)) - 1;
  if (m > 2 && (m % 2) == 1) --m;
  return static_cast<uint16_t>(m < 1 ? 1 : m);
}

Header make_header(std::string_view key_expr, std::size_t key_size, int key_decimals,
                   bool unique) {
  Header h;
  h.signature = kSignature;
  h.counter = 1;
  h.key_size = static_cast<uint16_t>(key_size);
  h.item_size = static_cast<uint16_t>(key_size + 8);
  h.key_decimals = static_cast<uint16_t>(key_decimals < 0 ? 0 : key_decimals);
  h.max_items = max_items_for(key_size);
  h.half_page = static_cast<uint16_t>(h.max_items / 2);
  h.key_expr = std::string(key_expr.substr(0, kExprSize - 1));
  h.unique = unique;
  return h;
}

void encode_stamp(const Header& h, unsigned char* out) {
  put16(out + 0, h.signature);
  put16(out + 2, h.counter);
  put32(out + 4, h.root);
  put32(out + 8, h.free_head);
}

void encode_header(const Header& h, unsigned char* block) {
  std::memset(block, 0, kPageSize);
  encode_stamp(h, block);
  put16(block + 12, h.item_size);
  put16(block + 14, h.key_size);
  put16(block + 16, h.key_decimals);
  put16(block + 18, h.max_items);
  put16(block + 20, h.half_page);
  std::memcpy(block + 22, h.key_expr.data(), std::min(h.key_expr.size(), kExprSize - 1));
  block[278] = h.unique ? 1 : 0;
  block[280] = h.descending ? 1 : 0;
  std::memcpy(block + 282, h.for_expr.data(), std::min(h.for_expr.size(), kExprSize - 1));
}

static std::string text_field(const unsigned char* p, std::size_t n) {
  std::size_t len = 0;
  while (len < n && p[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(p), len);
}

std::string decode_header(const unsigned char* b, uint64_t file_size, Header& h) {
  h.signature = get16(b);
  h.counter = get16(b + 2);
  h.root = get32(b + 4);
  h.free_head = get32(b + 8);
  h.item_size = get16(b + 12);
  h.key_size = get16(b + 14);
  h.key_decimals = get16(b + 16);
  h.max_items = get16(b + 18);
  h.half_page = get16(b + 20);
  h.key_expr = text_field(b + 22, kExprSize);
  h.unique = b[278] != 0;
  h.descending = b[280] != 0;
  h.for_expr = text_field(b + 282, kExprSize);

  if (h.signature != kSignature && h.signature != kSignatureFor && h.signature != kSignatureOld)
    return std::string(HU("hibás fájlazonosító: ")) + std::to_string(h.signature);
  if (h.key_size == 0 || h.key_size > kMaxKeySize)
    return std::string(HU("hibás kulcshossz: ")) + std::to_string(h.key_size);
  if (h.item_size != h.key_size + 8)
    return std::string(HU("a tételhossz nem illik a kulcshosszhoz"));
  if (h.max_items < 2)
    return std::string(HU("hibás lapankénti kulcsszám: ")) + std::to_string(h.max_items);
  // The offset table and max + 1 items must fit in a page.
  if (2u + 2u * (h.max_items + 1u) + (h.max_items + 1u) * h.item_size > kPageSize)
    return std::string(HU("a lapankénti kulcsszám túl nagy a kulcshosszhoz"));
  if (h.key_expr.empty()) return std::string(HU("üres kulcskifejezés"));
  if (file_size < 2 * kPageSize) return std::string(HU("túl rövid a fájl"));
  if (h.root == 0 || h.root % kPageSize != 0 || h.root + kPageSize > file_size)
    return std::string(HU("a gyökérlap (")) + std::to_string(h.root) +
           std::string(HU(". bájt) a fájlon kívül esik"));
  if (h.free_head % kPageSize != 0 || (h.free_head != 0 && h.free_head + kPageSize > file_size))
    return std::string(HU("a szabad lapok listájának eleje a fájlon kívül esik"));
  return {};
}

std::string decode_page(const unsigned char* b, const Header& h, uint64_t file_size, Page& p) {
  const std::size_t ks = h.key_size;
  uint16_t n = get16(b);
  if (n > h.max_items)
    return std::to_string(n) + std::string(HU(" kulcs van a lapon, több a megengedettnél"));
  p.count = n;
  p.child.assign(n + 1u, 0);
  p.recno.assign(n, 0);
  p.keys.resize(n * ks);
  const std::size_t table_end = 2 + 2 * (h.max_items + 1u);
  for (std::size_t i = 0; i <= n; ++i) {
    std::size_t off = get16(b + 2 + 2 * i);
    if (off < table_end || off + h.item_size > kPageSize)
      return std::to_string(i) + std::string(HU(". tétel a lapon kívül esik"));
    const unsigned char* item = b + off;
    uint32_t c = get32(item);
    if (c != 0 && (c % kPageSize != 0 || c + kPageSize > file_size))
      return std::string(HU("az alsóbb szintű ")) + page_text(c) +
             std::string(HU(" a fájlon kívül esik"));
    p.child[i] = c;
    if (i < n) {
      p.recno[i] = get32(item + 4);
      std::memcpy(p.keys.data() + i * ks, item + 8, ks);
    }
  }
  // Either every child pointer is set (an inner page) or none (a leaf).
  bool inner = p.child[0] != 0;
  for (std::size_t i = 1; i <= n; ++i)
    if ((p.child[i] != 0) != inner)
      return std::string(HU("a lapon levél- és belső bejegyzések keverednek"));
  collation::to_weights_inplace(p.keys.data(), p.keys.size());
  return {};
}

void encode_page(const Page& p, const Header& h, unsigned char* b) {
  std::memset(b, 0, kPageSize);
  const std::size_t ks = h.key_size;
  const auto& unweight = collation::unweight();
  put16(b, p.count);
  const std::size_t base = 2 + 2 * (h.max_items + 1u);
  for (std::size_t i = 0; i <= h.max_items; ++i) {
    std::size_t off = base + i * h.item_size;
    put16(b + 2 + 2 * i, static_cast<uint16_t>(off));
    if (i > p.count) continue;
    unsigned char* item = b + off;
    put32(item, i < p.child.size() ? p.child[i] : 0);
    if (i < p.count) {
      put32(item + 4, p.recno[i]);
      const unsigned char* k = reinterpret_cast<const unsigned char*>(p.keys.data()) + i * ks;
      for (std::size_t j = 0; j < ks; ++j) item[8 + j] = unweight[k[j]];
    }
  }
}

}  // namespace xbase::ntx
