// The decoded pages an open index keeps in memory of its own.
//
// Every page read from the file or written by an update is kept decoded in a slot of one
// mapping (marked for huge pages once it grows past 2 MiB): a small header, then per entry
// the first 16 key bytes in weight space as two big-endian numbers with the left child and
// the record number, then the keys in weight space. A step down the tree reads one
// directory entry and a few neighbouring cache lines of one slot: the binary search runs
// on the numbers and reads key bytes only when the first 16 are equal.
//
// Slots are never reused one at a time, so a page once handed out stays readable until
// clear(): an operation may hold pages while it reads more. When an operation reads more
// pages than the cache holds, the extra ones live in slots of their own, and the owner
// empties the whole cache when the operation ends (and then finds its paths again).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "xbase/ntx_format.h"

namespace xbase::ntx {

// One entry of a cached page as a search reads it. Entry `count` holds only the
// rightmost child.
struct SearchEntry {
  uint64_t p0, p1;  // key bytes 0..7 and 8..15 in weight space, big-endian, zero-padded
  uint32_t child;   // left child page, 0 in a leaf
  uint32_t recno;
};

// The head of a slot; the entries and the keys follow it in the same slot.
class alignas(16) CachedPage {
 public:
  uint32_t offset() const { return offset_; }
  int count() const { return count_; }
  bool leaf() const { return entries()[0].child == 0; }
  const SearchEntry* entries() const { return reinterpret_cast<const SearchEntry*>(this + 1); }
  uint32_t child(std::size_t i) const { return entries()[i].child; }
  uint32_t recno(std::size_t i) const { return entries()[i].recno; }
  // Key i in weight space.
  const char* key_data(std::size_t i) const {
    return reinterpret_cast<const char*>(this) + keys_at_ + i * key_size_;
  }
  std::string_view key(std::size_t i) const { return {key_data(i), key_size_}; }
  // An editable copy, for the B-tree edits.
  Page to_page() const;

 private:
  friend class PageCache;
  uint32_t offset_ = 0;
  uint16_t count_ = 0;
  uint16_t key_size_ = 0;
  uint16_t keys_at_ = 0;
};
static_assert(sizeof(CachedPage) == 16);

class PageCache {
 public:
  PageCache() = default;
  ~PageCache();
  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // Lays the slots out for the file's key size and maximum keys per page, for
  // `capacity` pages, and empties the cache.
  void configure(std::size_t key_size, std::size_t max_items, std::size_t capacity);

  // The cached page at `offset`, nullptr when it is not cached. Begins fetching the
  // page's entries, which the caller is about to search.
  const CachedPage* find(uint32_t offset) const {
    std::size_t n = offset / kPageSize;
    if (offset % kPageSize != 0 || n >= dir_.size() || dir_[n] == 0) return nullptr;
    const char* slot = slot_at(dir_[n] - 1);
    for (std::size_t b = 0; b < prefetch_bytes_; b += 64) __builtin_prefetch(slot + b);
    return reinterpret_cast<const CachedPage*>(slot);
  }

  // Keeps the page's content (in weight space), replacing a cached version of it in
  // place. `p.count` must not exceed the maximum given to configure().
  const CachedPage* store(const Page& p);
  // Forgets a page (freed or handed out again).
  void drop(uint32_t offset);
  void clear();

  // More pages are cached than the capacity: the owner should clear() once no page is in use.
  bool over_capacity() const { return used_ > capacity_; }
  std::size_t pages() const { return used_; }

 private:
  char* slot_at(uint32_t i) const {
    return i < capacity_ ? arena_ + static_cast<std::size_t>(i) * slot_bytes_ : extra_[i - capacity_].get();
  }
  void release();

  std::size_t key_size_ = 0;
  std::size_t max_items_ = 0;
  std::size_t keys_at_ = 0;
  std::size_t slot_bytes_ = 0;
  std::size_t prefetch_bytes_ = 0;
  uint32_t capacity_ = 0;
  uint32_t used_ = 0;
  char* arena_ = nullptr;
  std::size_t arena_bytes_ = 0;
  std::vector<std::unique_ptr<char[]>> extra_;  // slots beyond the capacity
  std::vector<uint32_t> dir_;                   // by page number: slot + 1, 0 = not cached
};

}  // namespace xbase::ntx
