#include "xbase/lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace xbase::filelock {
namespace {

bool range(int fd, short type, long long start, long long len, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(start);
  fl.l_len = static_cast<off_t>(len);
  fl.l_pid = 0;  // required for open-file-description locks
  int cmd = wait ? F_OFD_SETLKW : F_OFD_SETLK;
  while (::fcntl(fd, cmd, &fl) != 0) {
    if (errno == EINTR && wait) continue;
    return false;
  }
  return true;
}

}  // namespace

bool open_lock(int fd, bool exclusive) {
  while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool lock_record(int fd, uint32_t recno) {
  return range(fd, F_WRLCK, kLockBase + recno, 1, false);
}
bool unlock_record(int fd, uint32_t recno) {
  return range(fd, F_UNLCK, kLockBase + recno, 1, false);
}
bool lock_file(int fd) { return range(fd, F_WRLCK, kFileLockStart, kFileLockLength, false); }
bool unlock_file(int fd) { return range(fd, F_UNLCK, kFileLockStart, kFileLockLength, false); }
bool lock_header(int fd) { return range(fd, F_WRLCK, kLockBase, 1, true); }
bool unlock_header(int fd) { return range(fd, F_UNLCK, kLockBase, 1, false); }

}  // namespace xbase::filelock
