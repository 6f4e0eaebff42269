// Bulk build of an NTX file: sort the pairs, fill leaves to the maximum, write the pages
// level by level from the leaves up, the root last, then the header.
//
// The leaves are written straight from a merge of the input's sorted runs; the entries
// that go up a level are kept and written after. With two threads the pages are written
// to the file by the second one while the next batch is being filled.
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "xbase/collation.h"
#include "xbase/error.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;
using Item = NtxBuildInput::Item;

namespace {

// Writes pages at consecutive offsets from block 1, a batch per write; in the background
// when asked, while the next batch is filled.
class PageWriter {
 public:
  PageWriter(int fd, const std::string& path, bool background) : fd_(fd), path_(path) {
    for (auto& b : buf_) b.resize(kBatch * kPageSize);
    if (background) thread_ = std::thread([this] { run(); });
  }
  ~PageWriter() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lk(m_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  uint32_t next_offset() const { return static_cast<uint32_t>((written_ + used_ + 1) * kPageSize); }
  unsigned char* add() {
    if (used_ == kBatch) hand_over();
    return buf_[cur_].data() + (used_++) * kPageSize;
  }
  void flush() {
    if (used_ > 0) hand_over();
    if (thread_.joinable()) {
      std::unique_lock<std::mutex> lk(m_);
      cv_.wait(lk, [this] { return !busy_; });
    }
    check();
  }

 private:
  static constexpr std::size_t kBatch = 1024;  // pages per write

  void write(const unsigned char* data, std::size_t n, uint64_t offset) {
    if (!ntx::write_at(fd_, data, n, offset)) error_ = errno ? errno : EIO;
  }
  void check() {
    if (error_) ntx::throw_error(gen::kWrite, ntx::kSubWrite, path_, "page", ntx::os_code_of(error_));
  }
  void hand_over() {
    const uint64_t offset = (written_ + 1) * kPageSize;
    const std::size_t bytes = used_ * kPageSize;
    written_ += used_;
    used_ = 0;
    if (!thread_.joinable()) {
      write(buf_[cur_].data(), bytes, offset);
      check();
      return;
    }
    {
      std::unique_lock<std::mutex> lk(m_);
      cv_.wait(lk, [this] { return !busy_; });
      check();
      job_ = {buf_[cur_].data(), bytes, offset};
      busy_ = true;
    }
    cv_.notify_all();
    cur_ ^= 1;  // fill the other buffer meanwhile
  }
  void run() {
    std::unique_lock<std::mutex> lk(m_);
    for (;;) {
      cv_.wait(lk, [this] { return busy_ || stop_; });
      if (!busy_) return;
      Job j = job_;
      lk.unlock();
      write(j.data, j.bytes, j.offset);
      lk.lock();
      busy_ = false;
      cv_.notify_all();
    }
  }

  struct Job {
    const unsigned char* data;
    std::size_t bytes;
    uint64_t offset;
  };
  int fd_;
  const std::string& path_;
  BigArray<unsigned char> buf_[2];
  int cur_ = 0;
  std::size_t used_ = 0;
  uint64_t written_ = 0;  // pages handed over
  std::thread thread_;
  std::mutex m_;
  std::condition_variable cv_;
  Job job_{};
  bool busy_ = false, stop_ = false;
  int error_ = 0;  // errno of a failed write
};

// The input's items in key order: a merge of its sorted runs, a few items ahead, whose
// long keys (which lie in input order) are fetched meanwhile.
class MergedItems {
 public:
  explicit MergedItems(const NtxBuildInput& in) : in_(in) {
    std::size_t from = 0;
    for (std::size_t end : in.sorted_runs()) {
      if (end > from) runs_.push_back({in.items() + from, in.items() + end});
      from = end;
    }
  }
  const Item& next() {
    if (at_ == ahead_.size()) fill();
    return ahead_[at_++];
  }

 private:
  void fill() {
    ahead_.clear();
    at_ = 0;
    while (ahead_.size() < kAhead) {
      Run* best = nullptr;
      for (Run& r : runs_)
        if (r.at < r.end && (!best || in_.less(*r.at, *best->at))) best = &r;
      if (!best) break;
      const Item& it = *best->at++;
      if (const char* k = in_.stored_key(it)) __builtin_prefetch(k);
      ahead_.push_back(it);
    }
  }
  struct Run {
    const Item* at;
    const Item* end;
  };
  static constexpr std::size_t kAhead = 32;
  const NtxBuildInput& in_;
  std::vector<Run> runs_;
  std::vector<Item> ahead_;
  std::size_t at_ = 0;
};

// One entry of a level: the item and its left child page (0 in a leaf).
struct LevelItem {
  Item item;
  uint32_t left;
};

}  // namespace

void NtxFile::build(int fd, ntx::Header& h, NtxBuildInput& in, const std::string& path, int threads) {
  const std::size_t n = in.size();
  const std::size_t max = h.max_items;
  if (n >= 0xFFFFFFFFu) ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "too many keys");
  if (static_cast<uint64_t>(n) / max * kPageSize > 0xF0000000ull)
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "index file would exceed 4 GiB");
  in.sort_all(threads);

  const std::size_t table_base = 2 + 2 * (max + 1);
  PageWriter out(fd, path, threads > 1);

  // Writes the entries as one page whose last child is `right`.
  auto write_page = [&](const LevelItem* e, std::size_t count, uint32_t right) {
    uint32_t offset = out.next_offset();
    unsigned char* b = out.add();
    std::memset(b, 0, kPageSize);
    ntx::put16(b, static_cast<uint16_t>(count));
    for (std::size_t i = 0; i <= max; ++i)
      ntx::put16(b + 2 + 2 * i, static_cast<uint16_t>(table_base + i * h.item_size));
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char* item = b + table_base + i * h.item_size;
      ntx::put32(item, e[i].left);
      ntx::put32(item + 4, in.recno(e[i].item));
      in.key_bytes(e[i].item, item + 8);
    }
    ntx::put32(b + table_base + count * h.item_size, right);
    return offset;
  };

  // Writes a level of `count` entries taken in order from next(): pages of `max` entries
  // with one entry between neighbours going up a level (returned, with the page on its
  // left). When the last page would be less than half full, the last two share their
  // entries. `right` is the rightmost child of the level below, then of this level.
  uint32_t right = 0;
  std::vector<LevelItem> page(max + 1);
  auto write_level = [&](std::size_t count, auto&& next) {
    BigArray<LevelItem> up;
    if (count <= max) {
      for (std::size_t i = 0; i < count; ++i) page[i] = next();
      h.root = write_page(page.data(), count, right);
      return up;
    }
    std::size_t pages = (count + 1 + max) / (max + 1);
    std::size_t last = count - (pages - 1) * (max + 1);
    std::size_t before_last = max;
    if (last < h.half_page && pages >= 2) {
      before_last = (max + last) / 2;
      last = max + last - before_last;
    }
    up.reserve(pages - 1);
    for (std::size_t p = 0; p < pages; ++p) {
      std::size_t sz = p + 1 == pages ? last : p + 2 == pages ? before_last : max;
      for (std::size_t i = 0; i < sz; ++i) page[i] = next();
      if (p + 1 < pages) {
        LevelItem sep = next();
        uint32_t off = write_page(page.data(), sz, sep.left);
        up.push_back({sep.item, off});
      } else {
        right = write_page(page.data(), sz, right);
      }
    }
    return up;
  };

  MergedItems merged(in);
  BigArray<LevelItem> level = write_level(n, [&] { return LevelItem{merged.next(), 0}; });
  while (h.root == 0) {
    std::size_t at = 0;
    BigArray<LevelItem> up = write_level(level.size(), [&] { return level[at++]; });
    level = std::move(up);
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
