#include "xbase/ntx_build_input.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "xbase/collation.h"

namespace xbase {

namespace {

// Runs shorter than this are sorted by comparisons; a radix pass costs more on them.
constexpr std::size_t kRadixFrom = 64;
// Inputs from this size on are sorted by two threads where there are two processors.
constexpr std::size_t kParallelFrom = 8192;

// Byte `b` (0..15) of an item's key prefix.
inline unsigned digit(const NtxBuildInput::Item& it, std::size_t b) {
  return (it.w[b >> 2] >> (24 - 8 * (b & 3))) & 0xFFu;
}

}  // namespace

int ntx_build_threads(std::size_t n) {
  return n >= kParallelFrom && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

void NtxBuildInput::reserve(std::size_t n) {
  items_.reserve(n);
  if (long_keys_) keys_.reserve(n * key_size_);
}

void NtxBuildInput::place(Item& it, const char* key, uint32_t tag) {
  const auto& weight = collation::weight();
  const auto* k = reinterpret_cast<const unsigned char*>(key);
  for (std::size_t q = 0; q < 4; ++q) {
    uint32_t v = 0;
    for (std::size_t j = 4 * q; j < 4 * q + 4; ++j) v = (v << 8) | (j < key_size_ ? weight[k[j]] : 0u);
    it.w[q] = v;
  }
  it.tag = tag;
}

void NtxBuildInput::add(std::string_view key, uint32_t recno) {
  char buf[256];
  const std::size_t n = std::min(key.size(), key_size_);
  std::memcpy(buf, key.data(), n);
  std::memset(buf + n, ' ', key_size_ - n);
  const std::size_t at = items_.size();
  Item it;
  place(it, buf, long_keys_ ? static_cast<uint32_t>(at) : recno);
  items_.push_back(it);
  if (!long_keys_) return;
  keys_.resize((at + 1) * key_size_);
  std::memcpy(keys_.data() + at * key_size_, buf, key_size_);
  if (recnos_.empty() && recno == at + 1) return;  // still records 1, 2, 3, …
  if (recnos_.empty())
    for (std::size_t i = 0; i < at; ++i) recnos_.push_back(static_cast<uint32_t>(i + 1));
  recnos_.push_back(recno);
}

void NtxBuildInput::resize(std::size_t n) {
  items_.resize(n);
  if (long_keys_) keys_.resize(n * key_size_);
}

void NtxBuildInput::set(std::size_t i, const char* key) {
  place(items_[i], key, static_cast<uint32_t>(long_keys_ ? i : i + 1));
  if (long_keys_) std::memcpy(keys_.data() + i * key_size_, key, key_size_);
}

bool NtxBuildInput::less(const Item& a, const Item& b) const {
  for (std::size_t q = 0; q < 4; ++q)
    if (a.w[q] != b.w[q]) return a.w[q] < b.w[q];
  if (long_keys_) {
    int c = collation::compare(std::string_view(stored_key(a) + 16, key_size_ - 16),
                               std::string_view(stored_key(b) + 16, key_size_ - 16));
    if (c != 0) return c < 0;
  }
  return recno(a) < recno(b);
}

void NtxBuildInput::key_bytes(const Item& it, unsigned char* out) const {
  if (long_keys_) {
    std::memcpy(out, stored_key(it), key_size_);
    return;
  }
  const auto& unweight = collation::unweight();
  for (std::size_t j = 0; j < key_size_; ++j) out[j] = unweight[digit(it, j)];
}

// An in-place radix sort (a pass per prefix byte, moving each item straight to its
// bucket) while the runs are long, then comparisons, which also look at the key bytes
// after the prefix and the record number.
void NtxBuildInput::sort_items(Item* a, std::size_t n, std::size_t byte) const {
  const std::size_t depth = std::min<std::size_t>(key_size_, 16);
  for (; n >= kRadixFrom && byte < depth; ++byte) {
    std::size_t count[256] = {};
    for (std::size_t i = 0; i < n; ++i) ++count[digit(a[i], byte)];
    if (count[digit(a[0], byte)] == n) continue;  // every item has the same byte here
    std::size_t start[256], next[256];
    for (std::size_t d = 0, at = 0; d < 256; at += count[d], ++d) start[d] = next[d] = at;
    for (unsigned d = 0; d < 256; ++d) {
      const std::size_t end = start[d] + count[d];
      while (next[d] < end) {
        Item v = a[next[d]];
        for (unsigned vd = digit(v, byte); vd != d; vd = digit(v, byte)) std::swap(v, a[next[vd]++]);
        a[next[d]++] = v;
      }
    }
    for (unsigned d = 0; d < 256; ++d)
      if (count[d] > 1) sort_items(a + start[d], count[d], byte + 1);
    return;
  }
  std::sort(a, a + n, [this](const Item& x, const Item& y) { return less(x, y); });
}

void NtxBuildInput::sort(std::size_t from, std::size_t to) {
  if (to > from) sort_items(items_.data() + from, to - from, 0);
}

void NtxBuildInput::sort_all(int threads) {
  const std::size_t n = size();
  if (!runs_.empty() && runs_.back() == n) return;
  if (threads < 2 || n < 2) {
    sort(0, n);
    runs_ = {n};
    return;
  }
  const std::size_t mid = n / 2;
  std::thread other([&] { sort(mid, n); });
  sort(0, mid);
  other.join();
  runs_ = {mid, n};
}

}  // namespace xbase
