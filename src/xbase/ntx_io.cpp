#include "xbase/ntx_io.h"

#include <unistd.h>

#include <cerrno>

#include "xbase/error.h"

namespace xbase::ntx {

static const char* description_of(int gen_code) {
  switch (gen_code) {
    case gen::kCreate: return "Create error";
    case gen::kOpen: return "Open error";
    case gen::kRead: return "Read error";
    case gen::kWrite: return "Write error";
    case gen::kCorruption: return "Corruption detected";
    case gen::kLock: return "Lock failure";
    case gen::kReadOnly: return "Write not allowed";
    default: return "Index error";
  }
}

void throw_error(int gen_code, int sub_code, const std::string& file, const std::string& what,
                 int os_code) {
  Error e;
  e.gen_code = gen_code;
  e.subsystem = "DBFNTX";
  e.sub_code = sub_code;
  e.os_code = os_code;
  e.description = description_of(gen_code);
  e.filename = file;
  e.operation = what;
  e.can_default = gen_code == gen::kOpen;
  e.can_retry = gen_code == gen::kOpen || gen_code == gen::kCreate || gen_code == gen::kLock;
  throw ErrorException(std::move(e));
}

int os_code_of(int err) {
  switch (err) {
    case ENOENT: return 2;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case EWOULDBLOCK: return 32;
    default: return err;
  }
}

std::size_t read_at(int fd, void* buf, std::size_t n, uint64_t offset) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd, static_cast<char*>(buf) + done, n - done,
                        static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

bool write_at(int fd, const void* buf, std::size_t n, uint64_t offset) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(fd, static_cast<const char*>(buf) + done, n - done,
                         static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<std::size_t>(r);
  }
  return true;
}

}  // namespace xbase::ntx
