#include "xbase/ntx_key_gather.h"

#include <fcntl.h>

#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "xbase/collation.h"
#include "xbase/ntx_io.h"
#include "xbase/ntx_key_routine.h"

namespace xbase {

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;  // bytes of records per read

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
  ::posix_fadvise(fd, static_cast<off_t>(first), static_cast<off_t>(uint64_t{count} * len), POSIX_FADV_WILLNEED);
  if (threads <= 0) threads = ntx_build_threads(count);
  const std::size_t mid = threads > 1 ? count / 2 : count;
  in.resize(count);

  // Places the keys of records [from, to) (0-based); positions the routine leaves to the
  // evaluator go to `left`.
  auto read_range = [&](std::size_t from, std::size_t to, std::vector<uint32_t>& left) {
    const std::size_t per_read = std::max<std::size_t>(1, kReadBlock / len);
    std::vector<char> buf(per_read * len);
    char k[ntx::kMaxKeySize];
    for (std::size_t at = from; at < to;) {
      std::size_t n = std::min(per_read, to - at);
      std::size_t whole = ntx::read_at(fd, buf.data(), n * len, first + at * len) / len;
      for (std::size_t i = 0; i < n; ++i) {
        if (i < whole && routine->run(buf.data() + i * len, k))
          in.set(at + i, k);
        else
          left.push_back(static_cast<uint32_t>(at + i));  // a record cut short included
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
