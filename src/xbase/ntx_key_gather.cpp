#include "xbase/ntx_key_gather.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "xbase/collation.h"
#include "xbase/dbf_table.h"
#include "xbase/ntx_io.h"
#include "xbase/ntx_key_routine.h"

namespace xbase {

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;  // bytes of records per read

// The records of a table held exclusively, straight from the file's pages: nobody can
// shorten the file meanwhile, and only the parts of each record the key reads are
// fetched (a tenth of the year table's records of more than a kilobyte). A table open
// shared is read in blocks instead.
class RecordPages {
 public:
  RecordPages(const DbfTable& t, std::size_t count) : len_(t.record_length()) {
    struct stat st {};
    if (!t.exclusive() || ::fstat(t.fd(), &st) != 0) return;
    const uint64_t first = t.header_length(), size = static_cast<uint64_t>(st.st_size);
    records_ = size > first ? std::min<uint64_t>(count, (size - first) / len_) : 0;
    if (records_ == 0) return;
    const uint64_t start = first / kPage * kPage;
    bytes_ = static_cast<std::size_t>(first + records_ * len_ - start);
    void* p = ::mmap(nullptr, bytes_, PROT_READ, MAP_SHARED, t.fd(), static_cast<off_t>(start));
    if (p == MAP_FAILED) return;
    ::madvise(p, bytes_, MADV_SEQUENTIAL);
    map_ = static_cast<char*>(p);
    base_ = map_ + (first - start);
  }
  ~RecordPages() {
    if (map_) ::munmap(map_, bytes_);
  }
  RecordPages(const RecordPages&) = delete;
  RecordPages& operator=(const RecordPages&) = delete;

  bool mapped() const { return map_ != nullptr; }
  std::size_t records() const { return records_; }  // whole records in the file
  const char* record(std::size_t i) const { return base_ + i * len_; }
  // Records are taken a few megabytes at a time; the pages of those done are let go, so
  // that the process does not hold the whole table (the file's pages stay cached).
  std::size_t per_chunk() const { return std::max<std::size_t>(1, kChunk / len_); }
  void done(std::size_t from, std::size_t to) const {
    const uintptr_t a = (reinterpret_cast<uintptr_t>(record(from)) + kPage - 1) / kPage * kPage;
    const uintptr_t b = reinterpret_cast<uintptr_t>(record(to)) / kPage * kPage;
    if (a < b) ::madvise(reinterpret_cast<void*>(a), b - a, MADV_DONTNEED);
  }

 private:
  static constexpr uint64_t kPage = 4096;
  static constexpr std::size_t kChunk = 1 << 20;
  std::size_t len_;
  std::size_t records_ = 0, bytes_ = 0;
  char* map_ = nullptr;
  const char* base_ = nullptr;
};

}  // namespace

NtxBuildInput gather_index_keys(WorkArea& area, std::string_view key_text, const NtxKeyFunction& key,
                                const NtxKeyShape& shape, uint32_t count, int threads) {
  NtxBuildInput in(shape.size);
  // The evaluator's key of record r.
  auto evaluated = [&](uint32_t r) {
    area.go_to(r);
    std::string k = collation::key_of(key(), shape.size, shape.decimals);
    k.resize(shape.size, ' ');
    return k;
  };

  DbfTable* table = area.table();
  std::optional<NtxKeyRoutine> routine;
  if (count > 0 && table) routine = NtxKeyRoutine::compile(key_text, *table);
  if (routine && (routine->type() != shape.type || routine->size() != shape.size ||
                  routine->decimals() != shape.decimals))
    routine.reset();
  if (routine) {
    // The routine must give the evaluator's key on the first record; this also tells
    // that the key function reads this area's table.
    std::string want = evaluated(1), got(shape.size, '\0');
    if (!routine->run(area.record_bytes(), got.data()) || got != want) routine.reset();
  }
  if (!routine) {
    in.reserve(count);
    for (uint32_t r = 1; r <= count; ++r) in.add(evaluated(r), r);
    return in;
  }

  table->flush();  // the file holds every record now
  const int fd = table->fd();
  const uint64_t first = table->header_length();
  const std::size_t len = table->record_length();
  if (threads <= 0) threads = ntx_build_threads(count);
  const std::size_t mid = threads > 1 ? count / 2 : count;
  in.resize(count);
  RecordPages pages(*table, count);

  // Places the keys of records [from, to) (0-based); positions the routine leaves to the
  // evaluator go to `left`.
  auto read_range = [&](std::size_t from, std::size_t to, std::vector<uint32_t>& left) {
    char k[ntx::kMaxKeySize];
    auto take = [&](std::size_t at, const char* record) {
      if (routine->run(record, k))
        in.set(at, k);
      else
        left.push_back(static_cast<uint32_t>(at));
    };
    if (pages.mapped()) {
      const std::size_t whole = std::min(to, pages.records());
      for (std::size_t at = from; at < whole;) {
        const std::size_t end = std::min(whole, at + pages.per_chunk());
        for (std::size_t i = at; i < end; ++i) take(i, pages.record(i));
        pages.done(at, end);
        at = end;
      }
      for (std::size_t at = std::max(from, whole); at < to; ++at) left.push_back(static_cast<uint32_t>(at));
      return;
    }
    const std::size_t per_read = std::max<std::size_t>(1, kReadBlock / len);
    std::vector<char> buf(per_read * len);
    for (std::size_t at = from; at < to;) {
      std::size_t n = std::min(per_read, to - at);
      std::size_t whole = ntx::read_at(fd, buf.data(), n * len, first + at * len) / len;
      for (std::size_t i = 0; i < n; ++i) {
        if (i < whole)
          take(at + i, buf.data() + i * len);
        else
          left.push_back(static_cast<uint32_t>(at + i));  // a record cut short
      }
      at += n;
    }
  };

  std::vector<uint32_t> left_here, left_there;
  std::exception_ptr failed_there;
  std::thread there;
  if (mid < count) {
    there = std::thread([&] {
      try {
        read_range(mid, count, left_there);
      } catch (...) {
        failed_there = std::current_exception();
      }
    });
  }
  struct Join {
    std::thread& t;
    ~Join() {
      if (t.joinable()) t.join();
    }
  } join{there};

  read_range(0, mid, left_here);
  for (uint32_t i : left_here) in.set(i, evaluated(i + 1).data());
  if (there.joinable()) there.join();
  if (failed_there) std::rethrow_exception(failed_there);
  for (uint32_t i : left_there) in.set(i, evaluated(i + 1).data());
  area.go_to(count);
  return in;
}

}  // namespace xbase
