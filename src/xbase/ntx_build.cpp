// Bulk build of an NTX file: sort the pairs, fill leaves to the maximum, write the pages
// level by level from the leaves up, the root last, then the header.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "xbase/collation.h"
#include "xbase/error.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;

namespace {

struct SortItem {
  uint64_t p0, p1;  // the first 16 key bytes in weight space, big-endian
  uint32_t idx;     // position in the input
  uint32_t recno;
};

// Byte `i` (0..15) of an item's prefix.
inline unsigned digit(const SortItem& s, int i) {
  return static_cast<unsigned>((i < 8 ? s.p0 >> (56 - 8 * i) : s.p1 >> (56 - 8 * (i - 8))) & 0xFF);
}

// Sorts a[0, n), whose items agree on the prefix bytes before `byte`: a radix pass per
// prefix byte while the runs are long (`buf` holds n items for it), then `less` (which
// also looks at the key bytes after the prefix and the record number) on the short runs.
template <typename Less>
void radix_sort(SortItem* a, SortItem* buf, std::size_t n, int byte, const Less& less) {
  for (; n >= 64 && byte < 16; ++byte) {
    std::size_t count[256] = {};
    for (std::size_t i = 0; i < n; ++i) ++count[digit(a[i], byte)];
    if (count[digit(a[0], byte)] == n) continue;  // every item has the same byte here
    std::size_t pos[256];
    for (std::size_t d = 0, at = 0; d < 256; at += count[d], ++d) pos[d] = at;
    for (std::size_t i = 0; i < n; ++i) buf[pos[digit(a[i], byte)]++] = a[i];
    std::memcpy(static_cast<void*>(a), buf, n * sizeof(SortItem));
    for (std::size_t d = 0, at = 0; d < 256; at += count[d], ++d)
      if (count[d] > 1) radix_sort(a + at, buf + at, count[d], byte + 1, less);
    return;
  }
  std::sort(a, a + n, less);
}

// One entry of a level: the input entry and its left child page (0 in a leaf).
struct LevelItem {
  uint32_t idx;
  uint32_t recno;
  uint32_t left;
};

// Writes pages at consecutive offsets from block 1, through a buffer.
class PageWriter {
 public:
  PageWriter(int fd, const std::string& path) : fd_(fd), path_(path), buf_(kBatch * kPageSize) {}
  uint32_t next_offset() const { return static_cast<uint32_t>((written_ + used_ + 1) * kPageSize); }
  unsigned char* add() {
    if (used_ == kBatch) flush();
    unsigned char* p = buf_.data() + used_ * kPageSize;
    ++used_;
    return p;
  }
  void flush() {
    if (used_ == 0) return;
    if (!ntx::write_at(fd_, buf_.data(), used_ * kPageSize, (written_ + 1) * kPageSize))
      ntx::throw_error(gen::kWrite, ntx::kSubWrite, path_, "page", ntx::os_code_of(errno));
    written_ += used_;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBatch = 1024;  // pages per write
  int fd_;
  const std::string& path_;
  BigVector<unsigned char> buf_;
  std::size_t used_ = 0;
  uint64_t written_ = 0;
};

}  // namespace

void NtxFile::build(int fd, ntx::Header& h, NtxBuildInput& in, const std::string& path) {
  const std::size_t ks = h.key_size;
  const std::size_t n = in.size();
  const std::size_t max = h.max_items;
  if (n >= 0xFFFFFFFFu) ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "too many keys");
  if (static_cast<uint64_t>(n) / max * kPageSize > 0xF0000000ull)
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "index file would exceed 4 GiB");

  // Sort on the first 16 key bytes taken as weights: these settle most comparisons
  // without touching the keys themselves; the keys stay as they are for writing.
  const char* keys = in.keys_.data();
  const uint32_t* recnos = in.recnos_.data();
  const auto& weight = collation::weight();
  BigVector<SortItem> order(n);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char* k = reinterpret_cast<const unsigned char*>(keys + i * ks);
    uint64_t p[2] = {0, 0};  // big-endian: the first byte weighs most
    for (std::size_t j = 0; j < 16; ++j)
      p[j / 8] = (p[j / 8] << 8) | (j < ks ? weight[k[j]] : 0);
    order[i] = {p[0], p[1], static_cast<uint32_t>(i), recnos[i]};
  }
  const std::size_t rest = ks > 16 ? ks - 16 : 0;
  auto less = [&](const SortItem& a, const SortItem& b) {
    if (a.p0 != b.p0) return a.p0 < b.p0;
    if (a.p1 != b.p1) return a.p1 < b.p1;
    if (rest) {
      int c = collation::compare(std::string_view(keys + a.idx * ks + 16, rest),
                                 std::string_view(keys + b.idx * ks + 16, rest));
      if (c != 0) return c < 0;
    }
    return a.recno < b.recno;  // equal keys in record order
  };
  {
    BigVector<SortItem> buf(n);
    radix_sort(order.data(), buf.data(), n, 0, less);
  }

  BigVector<LevelItem> items(n);
  for (std::size_t i = 0; i < n; ++i) items[i] = {order[i].idx, order[i].recno, 0};
  BigVector<SortItem>().swap(order);

  const std::size_t table_base = 2 + 2 * (max + 1);
  PageWriter out(fd, path);

  // Writes items[from, from + count) as one page whose last child is `right`.
  auto write_page = [&](std::size_t from, std::size_t count, uint32_t right) {
    uint32_t offset = out.next_offset();
    unsigned char* b = out.add();
    std::memset(b, 0, kPageSize);
    ntx::put16(b, static_cast<uint16_t>(count));
    for (std::size_t i = 0; i <= max; ++i)
      ntx::put16(b + 2 + 2 * i, static_cast<uint16_t>(table_base + i * h.item_size));
    // The keys lie in input order, the items in key order: fetch a few keys ahead.
    for (std::size_t i = 0; i < count && i < 8; ++i)
      __builtin_prefetch(keys + static_cast<std::size_t>(items[from + i].idx) * ks);
    for (std::size_t i = 0; i < count; ++i) {
      if (i + 8 < count) __builtin_prefetch(keys + static_cast<std::size_t>(items[from + i + 8].idx) * ks);
      const LevelItem& it = items[from + i];
      unsigned char* item = b + table_base + i * h.item_size;
      ntx::put32(item, it.left);
      ntx::put32(item + 4, it.recno);
      std::memcpy(item + 8, keys + static_cast<std::size_t>(it.idx) * ks, ks);
    }
    ntx::put32(b + table_base + count * h.item_size, right);
    return offset;
  };

  uint32_t right = 0;  // the rightmost child of the level being written
  for (;;) {
    const std::size_t count = items.size();
    if (count <= max) {
      h.root = write_page(0, count, right);
      break;
    }
    // Pages of `max` entries with one entry between neighbours going up a level. When
    // the last page would be less than half full, the last two share their entries.
    std::size_t pages = (count + 1 + max) / (max + 1);
    std::vector<std::size_t> sizes(pages, max);
    std::size_t last = count - (pages - 1) * (max + 1);
    sizes[pages - 1] = last;
    if (last < h.half_page && pages >= 2) {
      std::size_t both = max + last;
      sizes[pages - 2] = both / 2;
      sizes[pages - 1] = both - both / 2;
    }
    BigVector<LevelItem> up;
    up.reserve(pages);
    std::size_t pos = 0;
    for (std::size_t p = 0; p < pages; ++p) {
      std::size_t sz = sizes[p];
      bool has_sep = p + 1 < pages;
      uint32_t page_right = has_sep ? items[pos + sz].left : right;
      uint32_t off = write_page(pos, sz, page_right);
      pos += sz;
      if (has_sep) {
        up.push_back({items[pos].idx, items[pos].recno, off});
        ++pos;
      } else {
        right = off;
      }
    }
    items.swap(up);
  }
  out.flush();

  h.free_head = 0;
  h.counter = 1;
  unsigned char block[kPageSize];
  ntx::encode_header(h, block);
  if (!ntx::write_at(fd, block, kPageSize, 0))
    ntx::throw_error(gen::kWrite, ntx::kSubWrite, path, "header", ntx::os_code_of(errno));
}

}  // namespace xbase
