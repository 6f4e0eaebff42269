#include "maint/table_locks.h"

#include <fcntl.h>
#include <unistd.h>

#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/lock.h"

namespace maint {

namespace pf = support::platform;

int lock_table_file(const std::string& path) {
  bool writable = true;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    // A read-only file nobody can change: the shared open is all it needs.
    writable = false;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
  }
  if (!xbase::filelock::open_lock(fd, false) || (writable && !xbase::filelock::lock_file(fd))) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool TableLocks::take(shell::Context& ctx, const std::string& dir) {
  for (;;) {
    release();
    std::vector<pf::DirEntry> tables = pf::list(pf::join(dir, "*.dbf"));
    std::string refused;
    for (const pf::DirEntry& e : tables) {
      std::string path = pf::join(dir, e.name);
      int fd = lock_table_file(path);
      if (fd < 0) {
        refused = path;
        break;
      }
      fds_.push_back(fd);
      names_.push_back(e.name);
    }
    if (refused.empty()) return true;
    release();
    // Waits for that one table alone, then starts again from the first.
    bool free = shell::wait_in_window(
        ctx,
        [&] {
          int fd = lock_table_file(refused);
          if (fd >= 0) ::close(fd);
          return fd >= 0 || !pf::exists(refused);
        },
        true, pf::file_name(refused));
    if (!free) return false;
  }
}

void TableLocks::release() {
  for (int fd : fds_) ::close(fd);  // closing gives up the flock and the file lock
  fds_.clear();
  names_.clear();
}

}  // namespace maint
