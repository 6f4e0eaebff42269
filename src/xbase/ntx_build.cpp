// Bulk build of an NTX file: sort the pairs, fill leaves to the maximum, write the pages
// level by level from the leaves up, the root last, then the header.
//
// Where a leaf starts in the sorted pairs, and the file offset it gets, follow from the
// number of pairs alone, so two threads write the two halves of the leaves at once. The
// levels above (a page of them for about every twentieth leaf) are written after them.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

#include "xbase/error.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;
using Item = NtxBuildInput::Item;

namespace {

// One entry of a level above the leaves: the item and its left child page.
struct LevelItem {
  Item item;
  uint32_t left;
};

// How a level of `count` entries is cut into pages of at most `max` entries, one entry
// between neighbours going up a level. When the last page would be less than half full,
// the last two share their entries.
struct LevelShape {
  std::size_t pages, max, before_last, last;
  LevelShape(std::size_t count, std::size_t max_items, std::size_t half) : max(max_items) {
    pages = (count + 1 + max) / (max + 1);
    last = count - (pages - 1) * (max + 1);
    before_last = max;
    if (last < half && pages >= 2) {
      before_last = (max + last) / 2;
      last = max + last - before_last;
    }
  }
  std::size_t size(std::size_t p) const { return p + 1 == pages ? last : p + 2 == pages ? before_last : max; }
  std::size_t start(std::size_t p) const {
    return p + 1 < pages ? p * (max + 1) : (pages - 2) * (max + 1) + before_last + 1;
  }
};

// Page bytes of a build: every page has the fresh layout, slot i at a fixed place.
class PageMaker {
 public:
  PageMaker(const ntx::Header& h, const NtxBuildInput& in) : h_(h), in_(in), base_(2 + 2 * (h.max_items + 1u)) {
    for (std::size_t i = 0; i <= h.max_items; ++i)
      ntx::put16(table_ + 2 * i, static_cast<uint16_t>(base_ + i * h.item_size));
  }
  // A page of `count` entries whose last child is `right`; entry(i) gives the item and
  // its left child.
  template <class Entry>
  void make(unsigned char* b, std::size_t count, uint32_t right, Entry&& entry) const {
    ntx::put16(b, static_cast<uint16_t>(count));
    std::memcpy(b + 2, table_, base_ - 2);
    unsigned char* item = b + base_;
    for (std::size_t i = 0; i < count; ++i, item += h_.item_size) {
      const auto [it, left] = entry(i);
      ntx::put32(item, left);
      ntx::put32(item + 4, in_.recno(*it));
      in_.key_bytes(*it, item + 8);
    }
    ntx::put32(item, right);
    std::memset(item + 4, 0, kPageSize - static_cast<std::size_t>(item + 4 - b));
  }

 private:
  const ntx::Header& h_;
  const NtxBuildInput& in_;
  std::size_t base_;
  unsigned char table_[kPageSize];
};

// Writes pages at consecutive offsets from page `first` on, a batch per write.
class PageWriter {
 public:
  PageWriter(int fd, const std::string& path, std::size_t first) : fd_(fd), path_(path), next_(first) {
    buf_.resize(kBatch * kPageSize);
  }
  uint32_t next_offset() const { return static_cast<uint32_t>((next_ + used_) * kPageSize); }
  unsigned char* add() {
    if (used_ == kBatch) flush();
    return buf_.data() + (used_++) * kPageSize;
  }
  void flush() {
    if (used_ == 0) return;
    if (!ntx::write_at(fd_, buf_.data(), used_ * kPageSize, next_ * kPageSize))
      ntx::throw_error(gen::kWrite, ntx::kSubWrite, path_, "page", ntx::os_code_of(errno));
    next_ += used_;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBatch = 256;  // pages per write
  int fd_;
  const std::string& path_;
  BigArray<unsigned char> buf_;
  std::size_t next_;  // page number of the first page in the buffer
  std::size_t used_ = 0;
};

}  // namespace

void NtxFile::build(int fd, ntx::Header& h, NtxBuildInput& in, const std::string& path, int threads) {
  const std::size_t n = in.size();
  const std::size_t max = h.max_items;
  if (n >= 0xFFFFFFFFu) ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "too many keys");
  if (static_cast<uint64_t>(n) / max * kPageSize > 0xF0000000ull)
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "index file would exceed 4 GiB");
  in.sort(threads);
  const Item* items = in.items();
  const PageMaker maker(h, in);

  // Writes a level held as LevelItems from page `first` on; returns the entries going up
  // and sets the root when the level fits one page. `right` is the rightmost child of the
  // level below, then of this one.
  uint32_t right = 0;
  auto write_level = [&](const BigArray<LevelItem>& level, std::size_t first) {
    PageWriter out(fd, path, first);
    BigArray<LevelItem> up;
    auto entry = [&](std::size_t from) {
      return [&, from](std::size_t i) { return std::pair(&level[from + i].item, level[from + i].left); };
    };
    if (level.size() <= max) {
      h.root = out.next_offset();
      maker.make(out.add(), level.size(), right, entry(0));
    } else {
      LevelShape shape(level.size(), max, h.half_page);
      up.reserve(shape.pages - 1);
      for (std::size_t p = 0; p < shape.pages; ++p) {
        std::size_t from = shape.start(p), sz = shape.size(p);
        uint32_t off = out.next_offset();
        bool last = p + 1 == shape.pages;
        maker.make(out.add(), sz, last ? right : level[from + sz].left, entry(from));
        if (last)
          right = off;
        else
          up.push_back({level[from + sz].item, off});
      }
    }
    out.flush();
    return up;
  };

  if (n <= max) {
    BigArray<LevelItem> all(n);
    for (std::size_t i = 0; i < n; ++i) all[i] = {items[i], 0};
    write_level(all, 1);
  } else {
    // The leaves: page p at block p + 1, written by up to two threads at once.
    LevelShape leaves(n, max, h.half_page);
    auto write_leaves = [&](std::size_t from_page, std::size_t to_page) {
      PageWriter out(fd, path, 1 + from_page);
      for (std::size_t p = from_page; p < to_page; ++p) {
        const Item* at = items + leaves.start(p);
        const std::size_t sz = leaves.size(p);
        // Long keys lie in input order, the items in key order: fetch a few ahead.
        const std::size_t ahead = std::min<std::size_t>(8, static_cast<std::size_t>(items + n - at));
        for (std::size_t i = 0; i < ahead; ++i)
          if (const char* k = in.stored_key(at[i])) __builtin_prefetch(k);
        maker.make(out.add(), sz, 0, [&](std::size_t i) {
          if (at + i + 8 < items + n)
            if (const char* k = in.stored_key(at[i + 8])) __builtin_prefetch(k);
          return std::pair(at + i, uint32_t{0});
        });
      }
      out.flush();
    };
    const std::size_t split = threads > 1 ? leaves.pages / 2 : leaves.pages;
    std::exception_ptr failed;
    std::thread other;
    if (split < leaves.pages)
      other = std::thread([&] {
        try {
          write_leaves(split, leaves.pages);
        } catch (...) {
          failed = std::current_exception();
        }
      });
    try {
      write_leaves(0, split);
    } catch (...) {
      if (other.joinable()) other.join();
      throw;
    }
    if (other.joinable()) other.join();
    if (failed) std::rethrow_exception(failed);

    BigArray<LevelItem> level(leaves.pages - 1);
    for (std::size_t p = 0; p + 1 < leaves.pages; ++p)
      level[p] = {items[leaves.start(p) + leaves.size(p)], static_cast<uint32_t>((p + 1) * kPageSize)};
    right = static_cast<uint32_t>(leaves.pages * kPageSize);
    std::size_t next = leaves.pages + 1;
    while (h.root == 0) {
      BigArray<LevelItem> up = write_level(level, next);
      next += level.size() <= max ? 1 : LevelShape(level.size(), max, h.half_page).pages;
      level = std::move(up);
    }
  }
  h.free_head = 0;
  h.counter = 1;
  unsigned char block[kPageSize];
  ntx::encode_header(h, block);
  if (!ntx::write_at(fd, block, kPageSize, 0))
    ntx::throw_error(gen::kWrite, ntx::kSubWrite, path, "header", ntx::os_code_of(errno));
}

}  // namespace xbase
