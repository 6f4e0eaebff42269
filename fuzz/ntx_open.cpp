// Opens arbitrary bytes as an NTX index, checks it, walks it both ways, seeks and
// updates it. Malformed input must end in an error object, never a crash or a hang.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "xbase/ntx_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/fuzz_ntx_open_" +
      std::to_string(::getpid()) + ".ntx";
  static const struct Remover {
    ~Remover() { ::unlink(path.c_str()); }
  } remover;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  size_t done = 0;
  while (done < size) {
    ssize_t w = ::write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  ::close(fd);
  try {
    xbase::NtxOptions opts;
    opts.cache_pages = 64;
    auto f = xbase::NtxFile::open(path, opts);
    f->check(100);
    int steps = 0;
    for (bool ok = f->go_top(); ok && steps < 3000; ok = f->next()) ++steps;
    for (bool ok = f->go_bottom(); ok && steps < 6000; ok = f->prev()) ++steps;
    std::string key = size > 40 ? std::string(reinterpret_cast<const char*>(data) + 30, 6) : "A";
    bool found = false;
    f->seek(key, &found);
    f->seek_last(key);
    f->insert(key, 7);
    f->insert("ZZZ", 8);
    f->remove(key, 7);
    f->check(0);
  } catch (const xbase::ErrorException&) {
  }
  return 0;
}
