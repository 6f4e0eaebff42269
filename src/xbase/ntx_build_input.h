// The (key, record number) pairs of a bulk build, and their sort.
//
// Each pair is held as a sort item: the key's first 16 bytes in weight space (four
// big-endian numbers) and a tag, so that keys of up to 16 bytes lie whole in the item and
// the tag is the record number. Of longer keys the bytes after the first 16 are kept as
// given, one key after the other, and the tag is the pair's position; comparisons that
// the first 16 bytes leave open read the rest of the key there.
//
// Pairs are added one by one, or placed by several threads at once (resize, then set for
// each position).
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

  std::size_t size() const { return items_.size(); }
  std::size_t key_size() const { return key_size_; }

  // --- For the build ---
  // Sorts the pairs into key order, equal keys by record number, with up to `threads`
  // threads (two: each sorts a range of keys, split by the first two key bytes).
  void sort(int threads);
  const Item* items() const { return items_.data(); }
  bool less(const Item& a, const Item& b) const;
  uint32_t recno(const Item& it) const {
    return !long_keys_ ? it.tag : recnos_.empty() ? it.tag + 1 : recnos_[it.tag];
  }
  // The key bytes as given (key_size() bytes to `out`).
  void key_bytes(const Item& it, unsigned char* out) const;
  // Where the rest of a long key lies (to fetch it ahead); nullptr for keys within the item.
  const char* stored_key(const Item& it) const {
    return long_keys_ ? rest_.data() + static_cast<std::size_t>(it.tag) * (key_size_ - 16) : nullptr;
  }

 private:
  void place(Item& it, const char* key, uint32_t tag);
  void sort_items(Item* a, std::size_t n, std::size_t byte) const;

  std::size_t key_size_;
  bool long_keys_;
  BigArray<Item> items_;
  BigArray<char> rest_;         // long keys: size() × (key size - 16) bytes, as given
  BigArray<uint32_t> recnos_;   // long keys whose records were not added as 1, 2, 3, …
  bool sorted_ = false;
};

// How many threads a build of n pairs uses by default: two where the machine has two
// processors and the input is large enough to gain from them.
int ntx_build_threads(std::size_t n);

}  // namespace xbase
