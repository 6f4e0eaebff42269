#include "xbase/dbf_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "xbase/fileio.h"
#include "xbase/lock.h"

namespace xbase {
namespace {

constexpr size_t kWindowBytes = 256 * 1024;
// What a read away from the window loads first.
constexpr size_t kFirstReadBytes = 8 * 1024;

void today(int& y, int& m, int& d) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  y = tm.tm_year + 1900;
  m = tm.tm_mon + 1;
  d = tm.tm_mday;
}

long long file_size(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

bool pread_all(int fd, char* buf, size_t n, long long off, size_t* got) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd, buf + done, n - done, static_cast<off_t>(off + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      *got = done;
      return false;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  *got = done;
  return true;
}

}  // namespace

std::unique_ptr<DbfTable> DbfTable::open(std::string_view path_in, bool exclusive,
                                         bool read_only) {
  std::string path = resolve_path_nocase(path_in);
  int fd = ::open(path.c_str(), (read_only ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    throw ErrorException(dbf_error(gen::kOpen, dbferr::kOpen, path, "USE", os_code_from_errno(err),
                                   true, true));
  }
  if (!filelock::open_lock(fd, exclusive)) {
    int err = errno;
    ::close(fd);
    throw ErrorException(dbf_error(gen::kOpen, dbferr::kOpen, path, "USE",
                                   err == EWOULDBLOCK ? oscode::kSharingViolation
                                                      : os_code_from_errno(err),
                                   true, true));
  }
  return open_fd(fd, std::move(path), exclusive, read_only);
}

std::unique_ptr<DbfTable> DbfTable::open_fd(int fd, std::string path, bool exclusive,
                                            bool read_only) {
  std::unique_ptr<DbfTable> t(new DbfTable());
  t->fd_ = fd;  // closed by the destructor from here on
  t->path_ = std::move(path);
  t->exclusive_ = exclusive;
  t->read_only_ = read_only;
  long long size = file_size(fd);
  char fixed[kDbfHeaderSize];
  size_t got = 0;
  if (size < 0 || !pread_all(fd, fixed, sizeof fixed, 0, &got))
    t->throw_io(gen::kRead, dbferr::kRead, "USE", errno);
  std::string why = "header shorter than 32 bytes";
  std::optional<DbfHeader> h;
  if (got == sizeof fixed) {
    uint32_t hlen = static_cast<unsigned char>(fixed[8]) |
                    (static_cast<uint32_t>(static_cast<unsigned char>(fixed[9])) << 8);
    std::string bytes(std::min<long long>(hlen, size), '\0');
    if (!pread_all(fd, bytes.data(), bytes.size(), 0, &got))
      t->throw_io(gen::kRead, dbferr::kRead, "USE", errno);
    bytes.resize(got);
    h = parse_dbf_header(bytes, &why);
  }
  if (!h) {
    Error e = dbf_error(gen::kCorruption, dbferr::kCorruption, t->path_, "USE: " + why);
    throw ErrorException(std::move(e));
  }
  t->hdr_ = std::move(*h);
  t->count_ = t->count_from_size();
  t->header_count_ = t->hdr_.record_count;
  if (exclusive) {
    t->win_capacity_ =
        std::max<uint32_t>(1, static_cast<uint32_t>(kWindowBytes / t->hdr_.record_length));
    t->win_.resize(static_cast<size_t>(t->win_capacity_) * t->hdr_.record_length);
  }
  return t;
}

std::unique_ptr<DbfTable> DbfTable::create(std::string_view path_in, const Structure& fields) {
  std::string path = resolve_path_nocase(path_in);
  std::string why = check_structure(fields);
  if (!why.empty())
    throw ErrorException(dbf_error(gen::kCreate, dbferr::kCreate, path, "CREATE: " + why));
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    int err = errno;
    throw ErrorException(dbf_error(gen::kCreate, dbferr::kCreate, path, "CREATE",
                                   os_code_from_errno(err), true, true));
  }
  // Never truncate a file another process holds: take the exclusive lock first.
  if (!filelock::open_lock(fd, true)) {
    ::close(fd);
    throw ErrorException(
        dbf_error(gen::kCreate, dbferr::kCreate, path, "CREATE", oscode::kFileInUse, true, true));
  }
  int y, m, d;
  today(y, m, d);
  std::string bytes = build_dbf_header(fields, 0, y, m, d);
  bytes += kDbfEof;
  bool ok = ::ftruncate(fd, 0) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t w = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false;
    else done += static_cast<size_t>(w);
  }
  if (!ok) {
    int err = errno;
    ::close(fd);
    throw ErrorException(dbf_error(gen::kCreate, dbferr::kCreate, path, "CREATE",
                                   os_code_from_errno(err), true, true));
  }
  return open_fd(fd, std::move(path), true, false);
}

DbfTable::~DbfTable() {
  try {
    close();
  } catch (const ErrorException&) {
  }
  if (fd_ >= 0) ::close(fd_);
}

void DbfTable::close() {
  if (fd_ < 0) return;
  if (!read_only_) {
    flush_window();
    if (exclusive_ && changed_) {
      // Stamp the header and end the file with the end-of-file byte.
      write_fixed_header(count_);
      long long end = record_offset(count_ + 1);
      char eof = kDbfEof;
      pwrite_all(&eof, 1, end, "CLOSE");
      if (::ftruncate(fd_, static_cast<off_t>(end + 1)) != 0)
        throw_io(gen::kWrite, dbferr::kWrite, "CLOSE", errno);
      changed_ = false;
    }
  }
  unlock_all();
  ::close(fd_);
  fd_ = -1;
}

int DbfTable::field_index(std::string_view name) const {
  std::string n = normalize_field_name(name);
  for (size_t i = 0; i < hdr_.fields.size(); ++i)
    if (hdr_.fields[i].name == n) return static_cast<int>(i);
  return -1;
}

uint32_t DbfTable::count_from_size() const {
  long long size = file_size(fd_);
  if (size <= static_cast<long long>(hdr_.header_length)) return 0;
  long long n = (size - hdr_.header_length) / hdr_.record_length;
  return static_cast<uint32_t>(std::min<long long>(n, 0xFFFFFFFELL));
}

uint32_t DbfTable::refresh_count() {
  if (!exclusive_) count_ = count_from_size();
  return count_;
}

void DbfTable::throw_io(int gen_code, int sub_code, const char* what, int err) const {
  throw ErrorException(
      dbf_error(gen_code, sub_code, path_, what, os_code_from_errno(err), true, false));
}

void DbfTable::require_writable(const char* what) const {
  if (read_only_)
    throw ErrorException(dbf_error(gen::kReadOnly, dbferr::kReadOnly, path_, what));
}

void DbfTable::require_exclusive(const char* what) const {
  require_writable(what);
  if (!exclusive_) throw ErrorException(dbf_error(gen::kShared, dbferr::kShared, path_, what));
}

void DbfTable::pwrite_all(const char* data, size_t n, long long off, const char* what) {
  size_t done = 0;
  while (done < n) {
    ssize_t w = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(off + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) throw_io(gen::kWrite, dbferr::kWrite, what, w < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(w);
  }
}

void DbfTable::write_fixed_header(uint32_t count) {
  int y, m, d;
  today(y, m, d);
  char fixed[kDbfHeaderSize];
  // Keep bytes 12-31 as the file has them; only version, date, count and lengths change.
  fill_fixed_header(fixed, hdr_.fields, count, y, m, d);
  size_t got = 0;
  char old[kDbfHeaderSize];
  if (pread_all(fd_, old, sizeof old, 0, &got) && got == sizeof old) {
    std::memcpy(fixed + 12, old + 12, kDbfHeaderSize - 12);
    fixed[0] = old[0];
    std::memcpy(fixed + 8, old + 8, 4);  // header and record length as found
  }
  pwrite_all(fixed, sizeof fixed, 0, "HEADER");
  header_count_ = count;
}

void DbfTable::flush_window() {
  if (!win_dirty_ || win_n_ == 0) {
    win_dirty_ = false;
    return;
  }
  pwrite_all(win_.data(), static_cast<size_t>(win_n_) * hdr_.record_length,
             record_offset(win_first_), "WRITE");
  win_dirty_ = false;
  if (header_count_ != count_) write_fixed_header(count_);
}

void DbfTable::load_window(uint32_t recno) {
  flush_window();
  // Read-ahead grows while the records are read in file order and starts small again
  // at a jump (a SEEK), so that reading a few records here and there does not read
  // the whole window each time.
  const uint32_t least = std::max<uint32_t>(1, static_cast<uint32_t>(kFirstReadBytes / hdr_.record_length));
  if (win_n_ > 0 && recno == win_first_ + win_n_)
    win_ahead_ = std::min(win_capacity_, std::max(least, win_ahead_ * 2));
  else
    win_ahead_ = std::min(win_capacity_, least);
  uint32_t n = std::min(win_ahead_, count_ - recno + 1);
  size_t got = 0;
  size_t want = static_cast<size_t>(n) * hdr_.record_length;
  if (!pread_all(fd_, win_.data(), want, record_offset(recno), &got))
    throw_io(gen::kRead, dbferr::kRead, "READ", errno);
  if (got < want) std::memset(win_.data() + got, ' ', want - got);  // shrunk under us
  win_first_ = recno;
  win_n_ = n;
}

bool DbfTable::read_record(uint32_t recno, char* buf) {
  if (recno == 0 || recno > count_) return false;
  const uint32_t len = hdr_.record_length;
  if (win_capacity_ > 0) {
    if (recno < win_first_ || recno >= win_first_ + win_n_) load_window(recno);
    std::memcpy(buf, win_.data() + static_cast<size_t>(recno - win_first_) * len, len);
    return true;
  }
  size_t got = 0;
  if (!pread_all(fd_, buf, len, record_offset(recno), &got))
    throw_io(gen::kRead, dbferr::kRead, "READ", errno);
  if (got < len) std::memset(buf + got, ' ', len - got);
  return true;
}

void DbfTable::write_record(uint32_t recno, const char* buf) {
  require_writable("WRITE");
  if (recno == 0 || recno > count_) return;
  const uint32_t len = hdr_.record_length;
  changed_ = true;
  if (win_capacity_ > 0) {
    if (recno < win_first_ || recno >= win_first_ + win_n_) load_window(recno);
    std::memcpy(win_.data() + static_cast<size_t>(recno - win_first_) * len, buf, len);
    win_dirty_ = true;
    return;
  }
  pwrite_all(buf, len, record_offset(recno), "WRITE");
}

uint32_t DbfTable::append_record(const char* buf) {
  require_writable("APPEND");
  const uint32_t len = hdr_.record_length;
  changed_ = true;
  if (exclusive_) {
    uint32_t recno = count_ + 1;
    if (win_n_ > 0 && recno == win_first_ + win_n_ && win_n_ < win_capacity_) {
      std::memcpy(win_.data() + static_cast<size_t>(win_n_) * len, buf, len);
      ++win_n_;
    } else {
      flush_window();
      std::memcpy(win_.data(), buf, len);
      win_first_ = recno;
      win_n_ = 1;
    }
    win_dirty_ = true;
    count_ = recno;
    return recno;
  }
  // Shared: the header lock serialises appends of every process; the count is taken
  // from the file size under it, so no two processes write the same record.
  if (!filelock::lock_header(fd_)) throw_io(gen::kAppendLock, dbferr::kAppendLock, "APPEND", errno);
  uint32_t recno = 0;
  std::string blank(len, ' ');
  try {
    count_ = count_from_size();
    recno = count_ + 1;
    if (!file_locked_ && !record_locked(recno)) {
      if (!filelock::lock_record(fd_, recno))
        throw ErrorException(dbf_error(gen::kAppendLock, dbferr::kAppendLock, path_, "APPEND",
                                       oscode::kLockViolation, true, true));
      record_locks_.push_back(recno);
    }
    pwrite_all(blank.data(), len, record_offset(recno), "APPEND");
    count_ = recno;
    write_fixed_header(count_);
  } catch (...) {
    filelock::unlock_header(fd_);
    throw;
  }
  filelock::unlock_header(fd_);
  // The record's data go after the header lock is released.
  if (std::memcmp(buf, blank.data(), len) != 0) pwrite_all(buf, len, record_offset(recno), "APPEND");
  return recno;
}

bool DbfTable::record_locked(uint32_t recno) const {
  return std::find(record_locks_.begin(), record_locks_.end(), recno) != record_locks_.end();
}

bool DbfTable::lock_record(uint32_t recno) {
  if (exclusive_ || file_locked_ || record_locked(recno)) return true;
  if (!filelock::lock_record(fd_, recno)) return false;
  record_locks_.push_back(recno);
  return true;
}

void DbfTable::unlock_record(uint32_t recno) {
  auto it = std::find(record_locks_.begin(), record_locks_.end(), recno);
  if (it == record_locks_.end()) return;
  filelock::unlock_record(fd_, recno);
  record_locks_.erase(it);
}

bool DbfTable::lock_file() {
  if (exclusive_ || file_locked_) return true;
  if (!filelock::lock_file(fd_)) return false;
  file_locked_ = true;
  return true;
}

void DbfTable::unlock_all() {
  if (fd_ < 0) return;
  for (uint32_t r : record_locks_) filelock::unlock_record(fd_, r);
  record_locks_.clear();
  if (file_locked_) filelock::unlock_file(fd_);
  file_locked_ = false;
}

void DbfTable::flush() {
  if (read_only_) return;
  flush_window();
}

void DbfTable::commit() {
  if (read_only_) return;
  flush_window();
  if (::fsync(fd_) != 0 && errno != EINVAL) throw_io(gen::kWrite, dbferr::kWrite, "COMMIT", errno);
}

void DbfTable::zap() {
  require_exclusive("ZAP");
  win_n_ = 0;
  win_dirty_ = false;
  count_ = 0;
  changed_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(hdr_.header_length)) != 0)
    throw_io(gen::kWrite, dbferr::kWrite, "ZAP", errno);
  write_fixed_header(0);
}

void DbfTable::pack() {
  require_exclusive("PACK");
  flush_window();
  win_n_ = 0;
  const uint32_t len = hdr_.record_length;
  const uint32_t chunk = std::max<uint32_t>(1, static_cast<uint32_t>(kWindowBytes / len));
  std::vector<char> buf(static_cast<size_t>(chunk) * len);
  uint32_t kept = 0;
  for (uint32_t r = 1; r <= count_; r += chunk) {
    uint32_t n = std::min(chunk, count_ - r + 1);
    size_t got = 0;
    if (!pread_all(fd_, buf.data(), static_cast<size_t>(n) * len, record_offset(r), &got))
      throw_io(gen::kRead, dbferr::kRead, "PACK", errno);
    for (uint32_t i = 0; i < n && (static_cast<size_t>(i) + 1) * len <= got; ++i) {
      const char* rec = buf.data() + static_cast<size_t>(i) * len;
      if (rec[0] == '*') continue;
      ++kept;
      if (kept != r + i) pwrite_all(rec, len, record_offset(kept), "PACK");
    }
  }
  count_ = kept;
  changed_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(record_offset(kept + 1))) != 0)
    throw_io(gen::kWrite, dbferr::kWrite, "PACK", errno);
  write_fixed_header(kept);
}

}  // namespace xbase
