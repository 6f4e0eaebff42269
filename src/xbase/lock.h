// The sharing scheme of the table files, as the dBASE/Clipper family takes it on
// Linux (docs/dbf.md):
//   - opening: flock() on the whole file, LOCK_SH for a shared open, LOCK_EX for an
//     exclusive open or a create, never waiting;
//   - record lock n: a write lock on the byte at 1,000,000,000 + n, one try;
//   - file lock: a write lock on 1,000,000,001 … 2,000,000,000, one try (it covers
//     every record lock byte, so the two conflict);
//   - header/append lock: a write lock on the byte at 1,000,000,000, waiting.
// The byte-range locks are open-file-description locks: they conflict with the
// classic fcntl locks of other processes, and closing another descriptor of the same
// file does not drop them.
#pragma once

#include <cstdint>

namespace xbase::filelock {

inline constexpr long long kLockBase = 1000000000LL;
inline constexpr long long kFileLockStart = kLockBase + 1;
inline constexpr long long kFileLockLength = 1000000000LL;

// flock() without waiting; false (errno EWOULDBLOCK) when another holder conflicts.
bool open_lock(int fd, bool exclusive);

// One try each; false when another process holds a conflicting lock.
bool lock_record(int fd, uint32_t recno);
bool unlock_record(int fd, uint32_t recno);
bool lock_file(int fd);
bool unlock_file(int fd);
// Waits until granted (false only on a system error).
bool lock_header(int fd);
bool unlock_header(int fd);

}  // namespace xbase::filelock
