#include "xbase/ntx_page_cache.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xbase/big_buffer.h"

namespace xbase::ntx {

Page CachedPage::to_page() const {
  Page p;
  p.offset = offset_;
  p.count = count_;
  p.child.resize(count_ + 1u);
  p.recno.resize(count_);
  for (std::size_t i = 0; i <= count_; ++i) p.child[i] = child(i);
  for (std::size_t i = 0; i < count_; ++i) p.recno[i] = recno(i);
  p.keys.assign(key_data(0), static_cast<std::size_t>(count_) * key_size_);
  return p;
}

PageCache::~PageCache() { release(); }

void PageCache::release() {
  unmap_memory(arena_, arena_bytes_);
  arena_ = nullptr;
  arena_bytes_ = 0;
}

void PageCache::configure(std::size_t key_size, std::size_t max_items, std::size_t capacity) {
  release();
  key_size_ = key_size;
  max_items_ = max_items;
  keys_at_ = sizeof(CachedPage) + (max_items + 1) * sizeof(SearchEntry);
  // Whole cache lines, so that a slot shares none with its neighbours.
  slot_bytes_ = (keys_at_ + max_items * key_size + 63) / 64 * 64;
  prefetch_bytes_ = slot_bytes_;
  capacity_ = static_cast<uint32_t>(std::min<std::size_t>(capacity, 0x7FFFFFFF));
  // The first 2 MiB on ordinary pages, so that a small index costs little memory.
  arena_bytes_ = (capacity_ * slot_bytes_ + 4095) / 4096 * 4096;
  arena_ = static_cast<char*>(map_memory(arena_bytes_, kHugePage));
  clear();
}

void PageCache::clear() {
  used_ = 0;
  extra_.clear();
  dir_.clear();
}

const CachedPage* PageCache::store(const Page& p) {
  std::size_t n = p.offset / kPageSize;
  if (n >= dir_.size()) dir_.resize(std::max(n + 1, dir_.size() * 2), 0);
  if (dir_[n] == 0) {
    if (used_ >= capacity_) extra_.emplace_back(new char[slot_bytes_]);
    dir_[n] = ++used_;
  }
  char* slot = slot_at(dir_[n] - 1);
  auto* head = new (slot) CachedPage;
  head->offset_ = p.offset;
  head->count_ = p.count;
  head->key_size_ = static_cast<uint16_t>(key_size_);
  head->keys_at_ = static_cast<uint16_t>(keys_at_);
  auto* e = reinterpret_cast<SearchEntry*>(slot + sizeof(CachedPage));
  const auto* k = reinterpret_cast<const unsigned char*>(p.keys.data());
  for (std::size_t i = 0; i < p.count; ++i, k += key_size_) {
    uint64_t v[2] = {0, 0};
    for (std::size_t j = 0; j < 16; ++j) v[j / 8] = (v[j / 8] << 8) | (j < key_size_ ? k[j] : 0);
    e[i] = {v[0], v[1], i < p.child.size() ? p.child[i] : 0, p.recno[i]};
  }
  e[p.count] = {0, 0, p.count < p.child.size() ? p.child[p.count] : 0, 0};
  std::memcpy(slot + keys_at_, p.keys.data(), std::size_t{p.count} * key_size_);
  return head;
}

void PageCache::drop(uint32_t offset) {
  std::size_t n = offset / kPageSize;
  if (offset % kPageSize == 0 && n < dir_.size()) dir_[n] = 0;
}

}  // namespace xbase::ntx
