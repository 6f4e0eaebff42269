// The (key, record number) pairs of a bulk build, and their sort.
//
// Each pair is held as a sort item: the key's first 16 bytes in weight space (four
// big-endian numbers) and a tag, so that keys of up to 16 bytes lie whole in the item and
// the tag is the record number. Longer keys are also kept as given, one after the other,
// and the tag is the pair's position; comparisons that the first 16 bytes leave open read
// the rest of the key there.
//
// Pairs are added one by one, or placed by several threads at once (resize, then set for
// each position); such threads may also sort their own ranges (sort), which the build then
// merges instead of sorting the whole again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "xbase/big_buffer.h"

namespace xbase {

class NtxBuildInput {
 public:
  struct Item {
    uint32_t w[4];  // key bytes 0..15 in weight space, big-endian, zero-padded
    uint32_t tag;   // keys of up to 16 bytes: the record number; longer: the position
  };

  explicit NtxBuildInput(std::size_t key_size) : key_size_(key_size), long_keys_(key_size > 16) {}
  void reserve(std::size_t n);
  // The key is padded with blanks or cut to the key size.
  void add(std::string_view key, uint32_t recno);

  // Room for n pairs, pair i being record i + 1; each is then placed once by set(i, key)
  // (key_size() bytes), from any thread.
  void resize(std::size_t n);
  void set(std::size_t i, const char* key);

  // Sorts pairs [from, to) into key order, equal keys by record number. Threads may sort
  // disjoint ranges at once. `sorted_runs` tells the build where the sorted ranges end
  // (the last at size()); without it the build sorts everything itself.
  void sort(std::size_t from, std::size_t to);
  void set_sorted_runs(std::vector<std::size_t> ends) { runs_ = std::move(ends); }

  std::size_t size() const { return items_.size(); }
  std::size_t key_size() const { return key_size_; }

  // --- For the build ---
  // Sorts with up to `threads` threads what is not sorted yet.
  void sort_all(int threads);
  const std::vector<std::size_t>& sorted_runs() const { return runs_; }
  const Item* items() const { return items_.data(); }
  bool less(const Item& a, const Item& b) const;
  uint32_t recno(const Item& it) const {
    return !long_keys_ ? it.tag : recnos_.empty() ? it.tag + 1 : recnos_[it.tag];
  }
  // The key bytes as given (key_size() bytes to `out`).
  void key_bytes(const Item& it, unsigned char* out) const;
  // Where a long key lies (to fetch it ahead); nullptr for keys within the item.
  const char* stored_key(const Item& it) const {
    return long_keys_ ? keys_.data() + static_cast<std::size_t>(it.tag) * key_size_ : nullptr;
  }

 private:
  void place(Item& it, const char* key, uint32_t tag);
  void sort_items(Item* a, std::size_t n, std::size_t byte) const;

  std::size_t key_size_;
  bool long_keys_;
  BigArray<Item> items_;
  BigArray<char> keys_;         // long keys: size() × key size bytes, as given
  BigArray<uint32_t> recnos_;   // long keys whose records were not added as 1, 2, 3, …
  std::vector<std::size_t> runs_;
};

// How many threads a build of n pairs uses by default: two where the machine has two
// processors and the input is large enough to gain from them.
int ntx_build_threads(std::size_t n);

}  // namespace xbase
