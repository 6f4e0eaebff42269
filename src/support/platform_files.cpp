#include "support/platform_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "support/platform_paths.h"

namespace support::platform {

namespace {

std::string str(std::string_view s) { return std::string(s); }

FileFaults& faults() {
  static FileFaults f;
  return f;
}

// An injected refusal to create the file.
bool create_refused(std::string_view path) {
  if (!faults().create || !faults().create(path)) return false;
  errno = EACCES;
  return true;
}

// The mask's directory ("." when it has none) and its last component.
void split_mask(std::string_view mask, std::string& dir, std::string& pattern) {
  size_t slash = mask.find_last_of('/');
  if (slash == std::string_view::npos) {
    dir = ".";
    pattern = str(mask);
  } else {
    dir = slash == 0 ? "/" : str(mask.substr(0, slash));
    pattern = str(mask.substr(slash + 1));
  }
  dir = find_nocase(dir);
}

void fill_times(const struct stat& st, xbase::Date& date, std::string& time) {
  std::tm tm {};
  time_t t = st.st_mtime;
  localtime_r(&t, &tm);
  date = xbase::Date::from_ymd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  time = buf;
}

bool write_all(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool exists(std::string_view path) {
  if (has_wildcard(path)) return !list(path, true).empty();
  struct stat st {};
  return ::stat(find_nocase(path).c_str(), &st) == 0;
}

std::vector<DirEntry> list(std::string_view mask, bool with_dirs) {
  std::string dir, pattern;
  split_mask(mask, dir, pattern);
  std::vector<DirEntry> out;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return out;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!wildcard_match(pattern, name)) continue;
    struct stat st {};
    if (::stat(join(dir, name).c_str(), &st) != 0) continue;
    bool is_dir = S_ISDIR(st.st_mode);
    if (is_dir && !with_dirs) continue;
    if (!is_dir && !S_ISREG(st.st_mode)) continue;
    DirEntry entry;
    entry.name = name;
    entry.size = is_dir ? 0 : static_cast<int64_t>(st.st_size);
    entry.is_dir = is_dir;
    fill_times(st, entry.date, entry.time);
    out.push_back(std::move(entry));
  }
  ::closedir(d);
  // Name order, ignoring case as the names are found; byte order breaks ties.
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
    int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return out;
}

int64_t file_size(std::string_view path) {
  struct stat st {};
  if (::stat(find_nocase(path).c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool file_date(std::string_view path, xbase::Date& date, std::string& time) {
  struct stat st {};
  if (::stat(find_nocase(path).c_str(), &st) != 0) return false;
  fill_times(st, date, time);
  return true;
}

bool is_dir(std::string_view path) {
  struct stat st {};
  return ::stat(find_nocase(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool make_dir(std::string_view path) {
  std::string p = find_nocase(path);
  if (::mkdir(p.c_str(), 0777) == 0) return true;
  struct stat st {};
  return errno == EEXIST && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool make_dirs(std::string_view path) {
  std::string p = find_nocase(path);
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      std::string part = p.substr(0, i);
      if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t copy_file(std::string_view from, std::string_view to, bool new_only) {
  std::string src = find_nocase(from);
  std::string dst = new_only ? std::string(to) : find_nocase(to);
  int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return -1;
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return -1;
  }
  int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | (new_only ? O_EXCL : O_TRUNC) | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return -1;
  }
  int64_t total = 0;
  bool ok = !(faults().write && faults().write(dst));  // an injected full disk
  char buf[65536];
  while (ok) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!write_all(out, buf, static_cast<size_t>(n))) {
      ok = false;
      break;
    }
    total += n;
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    ::unlink(dst.c_str());
    return -1;
  }
  return total;
}

bool link_or_copy(std::string_view from, std::string_view to) {
  std::string src = find_nocase(from);
  std::string dst = find_nocase(to);
  if (::link(src.c_str(), dst.c_str()) == 0) return true;
  return copy_file(src, dst) >= 0;
}

bool remove_tree(std::string_view path) {
  std::error_code ec;
  std::filesystem::remove_all(find_nocase(path), ec);
  return !ec;
}

std::string temp_file(std::string_view stem) {
  const char* env = std::getenv("TMPDIR");
  std::string dir = env != nullptr && *env != '\0' ? env : "/tmp";
  std::string path = join(dir, std::string(stem) + "-XXXXXX");
  int fd = ::mkstemp(path.data());
  if (fd < 0) return "";
  ::close(fd);
  return path;
}

bool sync_path(std::string_view path) {
  int fd = ::open(find_nocase(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // a file system without fsync
  ::close(fd);
  return ok;
}

bool delete_file(std::string_view path) { return ::unlink(find_nocase(path).c_str()) == 0; }

bool delete_unless_open(std::string_view path) {
  std::string p = find_nocase(path);
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Held exclusively while the name goes, so nobody opens it in between.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  bool ok = ::unlink(p.c_str()) == 0;
  ::close(fd);
  return ok;
}

bool write_file_durably(std::string_view path, std::string_view bytes) {
  std::string target = find_nocase(path);
  std::string temp = target + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = write_all(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  size_t slash = target.find_last_of('/');
  sync_path(slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash));
  return true;
}

bool rename_file(std::string_view from, std::string_view to) {
  std::string src = find_nocase(from);
  std::string dst = find_nocase(to);
  if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a new link fails when the
  // target exists, then the old name goes.
  if (::link(src.c_str(), dst.c_str()) != 0) return false;
  ::unlink(src.c_str());
  return true;
}

bool rename_replacing(std::string_view from, std::string_view to) {
  return ::rename(str(from).c_str(), str(to).c_str()) == 0;
}

bool same_file(std::string_view a, std::string_view b) {
  std::string pa = find_nocase(a), pb = find_nocase(b);
  struct stat sa {};
  struct stat sb {};
  if (::stat(pa.c_str(), &sa) != 0 || ::stat(pb.c_str(), &sb) != 0) return false;
  if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
  char ra[PATH_MAX], rb[PATH_MAX];
  return ::realpath(pa.c_str(), ra) && ::realpath(pb.c_str(), rb) && std::strcmp(ra, rb) == 0;
}

bool ReplacingFile::create(std::string_view path) {
  discard();
  path_ = find_nocase(path);
  size_t slash = path_.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
  std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  // A hidden name of this process, so two programs writing the same file do not
  // share a work file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string work = join(dir, "." + base + "." + std::to_string(::getpid()) + "." +
                                     std::to_string(attempt) + ".tmp");
    if (work_.create_new(work)) {
      work_path_ = work;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool ReplacingFile::commit() {
  if (work_path_.empty()) return false;
  work_.close();
  if (::rename(work_path_.c_str(), path_.c_str()) != 0) {
    discard();
    return false;
  }
  work_path_.clear();
  return true;
}

MappedFile::MappedFile(std::string_view path) {
  int fd = ::open(find_nocase(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      ::madvise(p, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
      data_ = static_cast<const char*>(p);
      size_ = static_cast<size_t>(st.st_size);
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
}

void ReplacingFile::discard() {
  work_.close();
  if (!work_path_.empty()) ::unlink(work_path_.c_str());
  work_path_.clear();
}

std::vector<std::string> split_memo_lines(std::string_view text, int width) {
  std::vector<std::string> lines;
  if (width <= 0) width = 79;
  size_t w = static_cast<size_t>(width);
  size_t i = 0;
  while (i < text.size()) {
    // One hard line, up to its line end.
    size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view hard = text.substr(i, end - i);
    do {
      if (hard.size() <= w) {
        lines.emplace_back(hard);
        break;
      }
      size_t cut = hard.substr(0, w).find_last_of(' ');
      size_t take = cut == std::string_view::npos ? w : cut + 1;
      lines.emplace_back(hard.substr(0, take));
      hard.remove_prefix(take);
    } while (!hard.empty());
    i = end;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

std::optional<std::string> read_file(std::string_view path, int64_t max_bytes) {
  File f;
  if (!f.open(path)) return std::nullopt;
  std::string text;
  for (;;) {
    size_t want = 65536;
    if (max_bytes >= 0) {
      if (static_cast<int64_t>(text.size()) >= max_bytes) break;
      want = std::min<size_t>(want, static_cast<size_t>(max_bytes) - text.size());
    }
    std::string block = f.read(want);
    if (block.empty()) break;
    text += block;
  }
  return text;
}

std::vector<std::string> read_lines(std::string_view path, int width, int64_t max_bytes) {
  std::optional<std::string> text = read_file(path, max_bytes);
  if (!text) return {};
  return split_memo_lines(*text, width);
}

bool File::open(std::string_view path, Mode mode) {
  close();
  int flags = mode == Mode::Read ? O_RDONLY : mode == Mode::Write ? O_WRONLY : O_RDWR;
  fd_ = ::open(find_nocase(path).c_str(), flags | O_CLOEXEC);
  return fd_ >= 0;
}

bool File::created(std::string_view path) {
  if (fd_ < 0) return false;
  short_writes_ = faults().write && faults().write(path);
  failing_close_ = faults().close && faults().close(path);
  return true;
}

bool File::create(std::string_view path) {
  close();
  if (create_refused(path)) return false;
  fd_ = ::open(find_nocase(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return created(path);
}

bool File::create_new(std::string_view path) {
  close();
  if (create_refused(path)) return false;
  if (path.find('\0') != std::string_view::npos) {  // no file name holds a NUL
    errno = EINVAL;
    return false;
  }
  fd_ = ::open(str(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  return created(path);
}

std::string File::read(size_t n) {
  std::string out(n, '\0');
  size_t got = 0;
  while (fd_ >= 0 && got < n) {
    ssize_t r = ::read(fd_, out.data() + got, n - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  out.resize(got);
  return out;
}

size_t File::write(std::string_view bytes) {
  if (short_writes_ && !bytes.empty()) {
    errno = ENOSPC;
    return 0;
  }
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  return done;
}

int64_t File::seek(int64_t pos) {
  if (fd_ < 0) return -1;
  return static_cast<int64_t>(::lseek(fd_, static_cast<off_t>(pos), SEEK_SET));
}

bool File::close() {
  if (fd_ < 0) return true;
  bool ok = ::close(fd_) == 0;
  fd_ = -1;
  if (failing_close_) {
    failing_close_ = false;
    errno = EIO;
    return false;
  }
  return ok;
}

bool dir_writable(std::string_view path) {
  return ::access(find_nocase(path).c_str(), W_OK | X_OK) == 0;
}

LockFile::Result LockFile::try_lock(std::string_view path) {
  if (held_) return Result::Locked;
  if (fd_ < 0) {
    if (create_refused(path)) return Result::Failed;
    // Read-only is enough for the lock, and opens a directory too.
    std::string p = find_nocase(path);
    fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT) fd_ = ::open(p.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return Result::Failed;
  }
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? Result::Busy : Result::Failed;
  }
  held_ = true;
  return Result::Locked;
}

void LockFile::release() {
  if (fd_ >= 0) ::close(fd_);  // gives up the lock
  fd_ = -1;
  held_ = false;
}

void inject_file_faults(FileFaults f) { faults() = std::move(f); }

}  // namespace support::platform
