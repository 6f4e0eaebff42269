// Opens arbitrary bytes as a table and reads every field of every record, forwards
// and backwards. Malformed input must end in an error object, never a crash.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "xbase/workarea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One scratch file per process, in memory where the system offers it.
  static const std::string path =
      std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/fuzz_dbf_open_" +
      std::to_string(::getpid()) + ".dbf";
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
    xbase::WorkAreas areas;
    if (areas.use(path, "FUZZ", xbase::OpenMode::Exclusive, true)) {
      xbase::WorkArea& a = areas.current();
      size_t seen = 0;
      for (a.go_top(); !a.eof(); a.skip()) {
        for (int i = 0; i < a.field_count(); ++i) seen += a.get(i).as_str().size();
      }
      for (a.go_bottom(); !a.bof() && a.recno() > 0; a.skip(-1)) {
        if (a.deleted()) ++seen;
      }
      a.go_to(static_cast<uint32_t>(size));
      (void)seen;
    }
  } catch (const xbase::ErrorException&) {
  }
  return 0;
}
