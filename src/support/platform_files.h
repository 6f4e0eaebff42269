// The file functions the program uses, on Linux paths (see platform_paths.h for
// turning the program's Windows paths into them). Names are found ignoring case;
// listings are in name order, where Windows gives directory order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/date.h"

namespace support::platform {

struct DirEntry {
  std::string name;  // as stored on disk
  int64_t size = 0;
  xbase::Date date;  // of the last change
  std::string time;  // "hh:mm:ss"
  bool is_dir = false;
};

// FILE(): whether a file or directory exists; a mask with wildcards asks whether
// any name in its directory matches.
bool exists(std::string_view path);

// DIRECTORY(mask [, "D"]): the files of the mask's directory whose names match the
// mask's last component, in name order; with `with_dirs` the subdirectories too
// (never "." and ".."). A missing directory gives an empty list.
std::vector<DirEntry> list(std::string_view mask, bool with_dirs = false);

// Size in bytes, -1 when the file is missing.
int64_t file_size(std::string_view path);
// Date and time of the last change; false when the file is missing.
bool file_date(std::string_view path, xbase::Date& date, std::string& time);

// Whether the path names a directory (an empty one too).
bool is_dir(std::string_view path);

// MAKEDIR: creates one directory; true when it exists afterwards.
bool make_dir(std::string_view path);
// Creates the directory and every missing parent.
bool make_dirs(std::string_view path);

// FILECOPY: copies `from` to `to` (replacing it); the number of bytes copied, or -1
// when the source cannot be read or the target cannot be written (a partly written
// target is removed). With `new_only` an existing target is never touched: -1 with
// errno EEXIST.
int64_t copy_file(std::string_view from, std::string_view to, bool new_only = false);

// A new name for the file: a hard link, or a copy where the file system refuses
// one. False when neither could be made.
bool link_or_copy(std::string_view from, std::string_view to);

// Deletes a directory with everything in it (a file too); true when nothing of it
// is left.
bool remove_tree(std::string_view path);

// A new empty file in the system's temporary directory (TMPDIR, else /tmp) whose
// name begins with `stem`; "" when none can be made. The caller deletes it.
std::string temp_file(std::string_view stem);

// fsync of a file or a directory (the names in it): what was written or renamed
// reaches the disk. False on an error.
bool sync_path(std::string_view path);

// FERASE: true when the file was deleted.
bool delete_file(std::string_view path);

// Deletes the file unless another process holds it open as a table or an index
// (the table engine keeps a flock on every open table and index file). Windows
// refuses to delete an open file; Linux does not, so DELCSILL uses this to spare
// the files of running workstations. True when the file was deleted.
bool delete_unless_open(std::string_view path);

// FRENAME: as on Windows, fails when `to` exists already. True on success.
bool rename_file(std::string_view from, std::string_view to);
// Renames `from` to `to`, replacing an existing `to` in one step (rename(2)); false,
// with nothing changed, when `from` is gone or the rename is refused. Both names are
// taken as they are given.
bool rename_replacing(std::string_view from, std::string_view to);

// Whether the two names reach the same file: the same device and inode, or the same
// path once each is resolved ignoring case. False when either does not exist.
bool same_file(std::string_view a, std::string_view b);

// Writes `bytes` as the whole file so that a crash leaves either the old file or
// the new one: written under path + ".tmp", synced, renamed over the file, the
// directory synced. False when a step failed (the old file stays).
bool write_file_durably(std::string_view path, std::string_view bytes);

// Up to `max_bytes` of the file (all when negative); none when it cannot be opened.
std::optional<std::string> read_file(std::string_view path, int64_t max_bytes = -1);

// Reads up to `max_bytes` of the file (all when negative) and splits the text into
// lines as the runtime's memo-line function does: at CR LF, LF or CR; a line longer
// than `width` is wrapped at the last blank within the width (the blank ends the
// line), or cut at the width when it has no blank. Lines carry no line ends.
std::vector<std::string> read_lines(std::string_view path, int width, int64_t max_bytes = -1);
// The same over a text in memory.
std::vector<std::string> split_memo_lines(std::string_view text, int width);

// FOPEN / FCREATE / FREAD / FWRITE / FCLOSE: block reading and writing.
class File {
 public:
  enum class Mode { Read, Write, ReadWrite };
  File() = default;
  ~File() { close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept : fd_(o.fd_), short_writes_(o.short_writes_) { o.fd_ = -1; }

  // Opens an existing file; false when it cannot be opened.
  bool open(std::string_view path, Mode mode = Mode::Read);
  // Creates (or empties) the file for writing.
  bool create(std::string_view path);
  // Creates a file that does not exist yet, under exactly this name (no case
  // resolving); false when it exists (errno EEXIST) or cannot be created.
  bool create_new(std::string_view path);
  bool is_open() const { return fd_ >= 0; }
  // Up to `n` bytes; fewer at the end of the file, none on an error.
  std::string read(size_t n);
  // The number of bytes written (fewer than given on an error).
  size_t write(std::string_view bytes);
  // FSEEK from the start; the new position or -1.
  int64_t seek(int64_t pos);
  // False when the system reports a failed write only now (a network share).
  bool close();

 private:
  bool created(std::string_view path);
  int fd_ = -1;
  bool short_writes_ = false;  // an injected full disk
  bool failing_close_ = false;  // an injected late write error
};

// A file written under a work name beside its own and put in place only when it is
// complete, so that a failed write leaves an existing file of that name as it was.
// Without commit() (or when the object goes) the work file is removed.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { discard(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the work file in the directory of `path`; false when it cannot.
  bool create(std::string_view path);
  // The number of bytes written (fewer than given on an error).
  size_t write(std::string_view bytes) { return work_.write(bytes); }
  // Puts the written file in place of `path`; false (and the work file removed)
  // when that is refused, e.g. `path` is a directory.
  bool commit();
  void discard();

 private:
  File work_;
  std::string path_, work_path_;
};

// A file's bytes mapped for reading (empty for an empty or unreadable file): a
// long print job is read through the page cache instead of copied into memory.
class MappedFile {
 public:
  explicit MappedFile(std::string_view path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view bytes() const { return {data_, size_}; }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

// Whether files can be created in the directory.
bool dir_writable(std::string_view path);

// A lock file: the whole-file lock (flock) a process holds while it works on what
// the file guards, so that another one waits. The file itself stays: removing it
// would let a third process lock a new file of that name beside the held one. A
// directory can be the lock file of itself (a backup's work directory).
//
// This tries once; the shell's wait_for_lock (shell/shared_access.h) waits for it in
// the wait window. The start-up guard, a backup's work directory and the directory
// of the XML files are all held so.
class LockFile {
 public:
  enum class Result { Locked, Busy, Failed };
  LockFile() = default;
  ~LockFile() { release(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Opens the file or directory (creating a file when missing) and tries once to
  // lock it exclusively: Busy while another process holds it, Failed when it cannot
  // be opened or created.
  Result try_lock(std::string_view path);
  void release();
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// Faults a test injects into this layer (tests may run as root, for whom a
// read-only directory is still writable): creating a file through File or LockFile
// whose path `create` accepts fails with EACCES; writing into a file whose path
// `write` accepted when it was created stops short with ENOSPC, as on a full disk
// (copy_file too fails so into such a destination);
// closing a file whose path `close` accepted when it was created fails with EIO, as
// a network share reports a write it could not make only then.
// Empty predicates inject nothing; the faults stay until replaced.
struct FileFaults {
  std::function<bool(std::string_view path)> create;
  std::function<bool(std::string_view path)> write;
  std::function<bool(std::string_view path)> close;
};
void inject_file_faults(FileFaults faults);

}  // namespace support::platform
