// One open table file: structure, record count, raw record reads and writes, appends,
// locks, COMMIT, ZAP and PACK. Failures throw ErrorException with a DBFNTX error
// object; the work area (workarea.h) hands them to the error handler.
//
// Under exclusive access the table keeps a window of records in memory (read-ahead
// for scans, write-behind for changes and appends) and writes it out at COMMIT, at
// close, or when the window moves. Under shared access every read goes to the file
// and every write is written through, so other processes see committed changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_format.h"

namespace xbase {

class DbfTable {
 public:
  // Opens an existing table (the name is found ignoring case). Throws ErrorException:
  // open error 21/1001 (osCode 2 not found, 32 held by another process in a
  // conflicting mode), corruption 32/1012 for a malformed header.
  static std::unique_ptr<DbfTable> open(std::string_view path, bool exclusive,
                                        bool read_only = false);
  // Creates (or replaces) a table and leaves it open exclusively. The file is
  // truncated only once the exclusive lock is granted; another process holding it
  // gives create error 20/1004 with osCode 51.
  static std::unique_ptr<DbfTable> create(std::string_view path, const Structure& fields);

  ~DbfTable();  // closes; errors at this point are dropped (call close() to see them)
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  // Writes out what is pending, stamps the header when the table was held
  // exclusively and changed, releases the locks and closes the file.
  void close();

  const std::string& path() const { return path_; }
  const Structure& fields() const { return hdr_.fields; }
  const DbfHeader& header() const { return hdr_; }
  uint32_t field_offset(int i) const { return hdr_.offsets[static_cast<size_t>(i)]; }
  int field_index(std::string_view name) const;  // -1 when there is no such field
  uint32_t record_length() const { return hdr_.record_length; }
  uint32_t header_length() const { return hdr_.header_length; }
  bool exclusive() const { return exclusive_; }
  bool read_only() const { return read_only_; }
  int fd() const { return fd_; }

  // The records known; under shared access refresh_count() re-reads the file size.
  uint32_t record_count() const { return count_; }
  uint32_t refresh_count();

  // Reads record `recno` (record_length bytes). False when it is beyond the last
  // known record (the buffer is then left untouched).
  bool read_record(uint32_t recno, char* buf);
  void write_record(uint32_t recno, const char* buf);
  // Appends a record: under shared access header lock → count from the file size →
  // lock of the new record (unless the file is locked) → the record → the header.
  // The record lock stays until unlock. Throws append lock error 40/1024 when the new
  // record cannot be locked.
  uint32_t append_record(const char* buf);

  // Locks (one try). Record locks accumulate until unlock_all().
  bool lock_record(uint32_t recno);
  void unlock_record(uint32_t recno);
  bool lock_file();
  void unlock_all();
  bool file_locked() const { return file_locked_; }
  bool record_locked(uint32_t recno) const;
  bool any_record_locked() const { return !record_locks_.empty(); }

  void flush();   // pending changes to the file
  void commit();  // flush and fsync: the data reach the disk
  void zap();     // exclusive only: every record removed
  void pack();    // exclusive only: deleted records removed

 private:
  DbfTable() = default;
  static std::unique_ptr<DbfTable> open_fd(int fd, std::string path, bool exclusive,
                                           bool read_only);
  uint32_t count_from_size() const;
  void write_fixed_header(uint32_t count);
  void load_window(uint32_t recno);
  void flush_window();
  void pwrite_all(const char* data, size_t n, long long offset, const char* what);
  [[noreturn]] void throw_io(int gen_code, int sub_code, const char* what, int err) const;
  void require_writable(const char* what) const;
  void require_exclusive(const char* what) const;
  long long record_offset(uint32_t recno) const {
    return static_cast<long long>(hdr_.header_length) +
           static_cast<long long>(recno - 1) * hdr_.record_length;
  }

  int fd_ = -1;
  std::string path_;
  DbfHeader hdr_;
  uint32_t count_ = 0;
  bool exclusive_ = true;
  bool read_only_ = false;
  bool changed_ = false;  // written since open: the header is stamped at close
  bool file_locked_ = false;
  std::vector<uint32_t> record_locks_;

  // The exclusive-access record window: records [win_first_, win_first_ + win_n_).
  std::vector<char> win_;
  uint32_t win_capacity_ = 0;
  uint32_t win_first_ = 0;
  uint32_t win_n_ = 0;
  uint32_t win_ahead_ = 0;  // records the next read of the window loads
  bool win_dirty_ = false;
  uint32_t header_count_ = 0;  // the record count last written into the header
};

}  // namespace xbase
