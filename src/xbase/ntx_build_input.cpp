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

// Runs f(0) here and f(1) in a second thread, at once.
template <class F>
void in_two(F&& f) {
  std::thread other([&] { f(1); });
  f(0);
  other.join();
}

}  // namespace

int ntx_build_threads(std::size_t n) {
  return n >= kParallelFrom && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

void NtxBuildInput::reserve(std::size_t n) {
  items_.reserve(n);
  if (long_keys_) rest_.reserve(n * (key_size_ - 16));
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
  rest_.resize((at + 1) * (key_size_ - 16));
  std::memcpy(rest_.data() + at * (key_size_ - 16), buf + 16, key_size_ - 16);
  if (recnos_.empty() && recno == at + 1) return;  // still records 1, 2, 3, …
  if (recnos_.empty())
    for (std::size_t i = 0; i < at; ++i) recnos_.push_back(static_cast<uint32_t>(i + 1));
  recnos_.push_back(recno);
}

void NtxBuildInput::resize(std::size_t n) {
  items_.resize(n);
  if (long_keys_) rest_.resize(n * (key_size_ - 16));
}

void NtxBuildInput::set(std::size_t i, const char* key) {
  place(items_[i], key, static_cast<uint32_t>(long_keys_ ? i : i + 1));
  if (long_keys_) std::memcpy(rest_.data() + i * (key_size_ - 16), key + 16, key_size_ - 16);
}

bool NtxBuildInput::less(const Item& a, const Item& b) const {
  for (std::size_t q = 0; q < 4; ++q)
    if (a.w[q] != b.w[q]) return a.w[q] < b.w[q];
  if (long_keys_) {
    int c = collation::compare(std::string_view(stored_key(a), key_size_ - 16),
                               std::string_view(stored_key(b), key_size_ - 16));
    if (c != 0) return c < 0;
  }
  return recno(a) < recno(b);
}

void NtxBuildInput::key_bytes(const Item& it, unsigned char* out) const {
  const auto& unweight = collation::unweight();
  const std::size_t head = std::min<std::size_t>(key_size_, 16);
  for (std::size_t j = 0; j < head; ++j) out[j] = unweight[digit(it, j)];
  if (long_keys_) std::memcpy(out + 16, stored_key(it), key_size_ - 16);
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
  auto by_item = [this](const Item& x, const Item& y) { return less(x, y); };
  if (!long_keys_) {
    std::sort(a, a + n, by_item);
    return;
  }
  // Long keys: first by the prefix alone; then the runs of equal prefixes by the rest of
  // the keys, which lie in input order, so they are fetched all at once beforehand rather
  // than one miss after another.
  auto same_prefix = [](const Item& x, const Item& y) { return std::memcmp(x.w, y.w, sizeof x.w) == 0; };
  std::sort(a, a + n, [](const Item& x, const Item& y) {
    for (std::size_t q = 0; q < 4; ++q)
      if (x.w[q] != y.w[q]) return x.w[q] < y.w[q];
    return x.tag < y.tag;
  });
  bool ties = false;
  for (std::size_t i = 1; i < n; ++i)
    if (same_prefix(a[i - 1], a[i])) {
      __builtin_prefetch(stored_key(a[i - 1]));
      __builtin_prefetch(stored_key(a[i]));
      ties = true;
    }
  if (!ties) return;
  for (std::size_t i = 0, j; i < n; i = j) {
    for (j = i + 1; j < n && same_prefix(a[i], a[j]);) ++j;
    if (j - i > 1) std::sort(a + i, a + j, by_item);
  }
}

void NtxBuildInput::sort(int threads) {
  const std::size_t n = size();
  Item* a = items_.data();
  if (sorted_ || n < 2) {
    sorted_ = true;
    return;
  }
  sorted_ = true;
  if (threads < 2 || n < kParallelFrom) {
    sort_items(a, n, 0);
    return;
  }
  // Two threads, each sorting a range of keys. The split is the value of the first two
  // key bytes that halves the pairs; each half of the input is partitioned by it, and the
  // pairs below it in the second half are moved before those above it in the first.
  const std::size_t mid = n / 2;
  const std::size_t from[2] = {0, mid}, to[2] = {mid, n};
  std::vector<uint32_t> hist[2];
  in_two([&](int t) {
    hist[t].assign(65536, 0);
    for (std::size_t i = from[t]; i < to[t]; ++i) ++hist[t][a[i].w[0] >> 16];
  });
  uint32_t split = 0;
  for (std::size_t below = 0; split < 65536; ++split) {
    std::size_t with = below + hist[0][split] + hist[1][split];
    if (with > n / 2) {
      if (with - n / 2 < n / 2 - below) ++split;  // nearer the middle with this value below
      break;
    }
    below = with;
  }
  std::size_t low[2];
  in_two([&](int t) {
    low[t] = static_cast<std::size_t>(
        std::partition(a + from[t], a + to[t], [split](const Item& it) { return (it.w[0] >> 16) < split; }) -
        (a + from[t]));
  });
  std::rotate(a + low[0], a + mid, a + mid + low[1]);
  const std::size_t k = low[0] + low[1];
  in_two([&](int t) { t == 0 ? sort_items(a, k, 0) : sort_items(a + k, n - k, 0); });
}

}  // namespace xbase
