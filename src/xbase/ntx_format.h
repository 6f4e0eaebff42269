// The NTX file format: the header block and the pages, as bytes.
//
// All integers are little-endian. The file is a sequence of 1024-byte blocks; block 0 is
// the header, every other block a page of the B-tree named by its byte offset.
// See docs/ntx.md for the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xbase::ntx {

inline constexpr std::size_t kPageSize = 1024;
inline constexpr uint16_t kSignature = 0x0006;
inline constexpr uint16_t kSignatureFor = 0x0007;  // with a FOR condition
inline constexpr uint16_t kSignatureOld = 0x0003;  // accepted from older files
inline constexpr std::size_t kMaxKeySize = 256;
inline constexpr std::size_t kExprSize = 256;
// A tree deeper than this is corrupt (with 2 keys a page it would hold 2^32 keys).
inline constexpr int kMaxDepth = 32;

struct Header {
  uint16_t signature = kSignature;
  uint16_t counter = 1;  // update counter
  uint32_t root = 0;
  uint32_t free_head = 0;
  uint16_t item_size = 0;
  uint16_t key_size = 0;
  uint16_t key_decimals = 0;
  uint16_t max_items = 0;
  uint16_t half_page = 0;
  std::string key_expr;
  bool unique = false;
  bool descending = false;
  std::string for_expr;
};

// Maximum keys per page for a key size: floor(1022 / (size + 10)) - 1, less one more
// when that is odd and greater than 2.
uint16_t max_items_for(std::size_t key_size);

// A fresh header for a key; the root and free list are filled in by the builder.
Header make_header(std::string_view key_expr, std::size_t key_size, int key_decimals,
                   bool unique = false);

void encode_header(const Header& h, unsigned char* block /* kPageSize bytes */);
// The first 12 bytes (signature, counter, root, free list head): what a writer rewrites
// after every update and a reader compares before trusting its cached pages.
void encode_stamp(const Header& h, unsigned char* out /* 12 bytes */);

// A page named in a finding: "lap (1024. bájt)", by the byte where it begins (CP852).
std::string page_text(uint64_t offset);
// A tree that goes deeper than kMaxDepth levels (CP852).
std::string too_deep_text();

// Decodes and validates a header block. Returns an empty string when sound, otherwise
// what is wrong with it (CP852, Hungarian, as every reason of a fault here). `file_size`
// bounds the root.
std::string decode_header(const unsigned char* block, uint64_t file_size, Header& h);

// One page in memory, as the B-tree edits change it. Keys are kept in weight space (see
// collation.h), so that memcmp gives the key order; they are turned back into bytes when
// the page is written.
struct Page {
  uint32_t offset = 0;
  uint16_t count = 0;
  std::vector<uint32_t> child;  // count + 1 entries; all 0 in a leaf
  std::vector<uint32_t> recno;  // count entries
  std::string keys;             // count * key size bytes, in weight space
  bool leaf() const { return child.empty() || child[0] == 0; }
  std::string_view key(std::size_t i, std::size_t key_size) const {
    return std::string_view(keys).substr(i * key_size, key_size);
  }
};

// Decodes a page through its offset table. Returns an empty string when sound,
// otherwise what is wrong (item outside the page, child pointer out of range, …).
std::string decode_page(const unsigned char* block, const Header& h, uint64_t file_size,
                        Page& p);
// Writes a page in the fresh layout: slot i at 2 + 2 × (max + 1) + i × item size.
void encode_page(const Page& p, const Header& h, unsigned char* block);

inline uint16_t get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace xbase::ntx
