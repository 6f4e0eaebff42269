// An NTX index file: bulk build, open, seek, a cursor in key order, insert and remove,
// the free-page list and the index locks that let several processes share the file.
//
// Keys are passed as key bytes (see collation.h for how values become key bytes); a key
// shorter than the key size is padded with blanks on insert and remove, and on seek it is
// a prefix. Record numbers are 1-based.
//
// Sharing: the file is opened with flock, shared or exclusive, as tables are. Under shared
// access every tree operation runs under a lock on byte 1,000,000,000 of the file: a read
// lock for seeks and moves, a write lock for updates. Before trusting its cached pages a
// reader compares the first 12 header bytes (update counter, root, free list head) with
// what it saw last; a writer increases the counter after its pages are written.
// Failures throw ErrorException with subsystem "DBFNTX".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/ntx_build_input.h"
#include "xbase/error.h"
#include "xbase/ntx_format.h"
#include "xbase/ntx_page_cache.h"

namespace xbase {

enum class NtxShare { Exclusive, Shared };

struct NtxOptions {
  NtxShare share = NtxShare::Exclusive;
  bool read_only = false;
  std::size_t cache_pages = 16384;  // pages kept in memory (1 KiB each)
  int build_threads = 0;            // threads of a bulk build; 0: ntx_build_threads()
};

struct NtxCheckResult {
  std::vector<std::string> faults;  // empty when the index is sound; CP852, Hungarian
  uint64_t keys = 0;
  int depth = 0;
  uint64_t pages = 0;
  bool ok() const { return faults.empty(); }
};

class NtxFile {
 public:
  // Builds a new index file from the pairs (sorted here unless sorted already; equal keys
  // in record order).
  // The file is truncated only after the exclusive lock on it is granted.
  static std::unique_ptr<NtxFile> create(const std::string& path, std::string_view key_expr,
                                         std::size_t key_size, int key_decimals,
                                         NtxBuildInput input, NtxOptions opts = {});
  static std::unique_ptr<NtxFile> open(const std::string& path, NtxOptions opts = {});
  ~NtxFile();
  NtxFile(const NtxFile&) = delete;
  NtxFile& operator=(const NtxFile&) = delete;

  const std::string& path() const { return path_; }
  const ntx::Header& header() const { return header_; }
  std::size_t key_size() const { return header_.key_size; }
  int key_decimals() const { return header_.key_decimals; }
  const std::string& key_expr() const { return header_.key_expr; }
  bool shared() const { return opts_.share == NtxShare::Shared; }

  // --- The cursor. Each call returns whether the cursor now stands on an entry. ---
  bool go_top();
  bool go_bottom();
  bool next();
  bool prev();
  // The first entry whose key is >= key, comparing the first key.size() bytes (a prefix
  // seek). `found` tells whether that entry's key begins with key.
  bool seek(std::string_view key, bool* found = nullptr);
  // The last entry whose key begins with key (SEEK … LAST).
  bool seek_last(std::string_view key);
  // The entry (key, recno) itself; false (and no position) when it is not in the index.
  bool go_to(std::string_view key, uint32_t recno);
  bool valid() const { return valid_; }
  uint32_t recno() const { return valid_ ? cur_recno_ : 0; }
  std::string key() const;  // key bytes of the current entry

  // --- Updates (write lock under shared access). ---
  // An inserted key goes after every equal key already in the index.
  void insert(std::string_view key, uint32_t recno);
  // Removes the entry; false when it is not there.
  bool remove(std::string_view key, uint32_t recno);

  // Holds the index lock across several calls (a key change is a remove and an insert
  // that another process must not see half done). Nests with the calls' own locks.
  class Lock {
   public:
    Lock(NtxFile& f, bool write);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    NtxFile& f_;
  };

  // Walks the whole tree: pages in range and visited once, keys in order, every leaf at
  // the same depth, no empty page below the root. With record_count > 0 also every
  // record 1..record_count exactly once; with `expected` each key equal to the key that
  // function gives for the record (nullopt: the record should not be in the index).
  using ExpectedKey = std::function<std::optional<std::string>(uint32_t recno)>;
  NtxCheckResult check(uint32_t record_count = 0, const ExpectedKey& expected = {});

  // Makes written pages durable (fsync).
  void flush();

 private:
  using PagePtr = const ntx::CachedPage*;
  struct Level {
    PagePtr page;
    int idx;  // entry index on the last level; the child taken on the levels above it
  };
  using Path = std::vector<Level>;

  NtxFile(std::string path, NtxOptions opts, int fd);
  // Writes the tree of `in` bottom-up from block 1 and the header (ntx_build.cpp).
  static void build(int fd, ntx::Header& h, NtxBuildInput& in, const std::string& path,
                    int threads);

  [[noreturn]] void fail(int gen_code, int sub_code, const std::string& what, int os_code = 0) const;
  void load_header();
  void lock(bool write);
  void unlock();
  void refresh();  // compares the header stamp, drops cached pages when it changed
  void write_stamp();

  // --- Pages (ntx_file.cpp) ---
  PagePtr page(uint32_t offset);  // from the cache, else read, checked and cached
  void read_page(uint32_t offset, ntx::Page& p);  // from the file, not cached
  PagePtr put_page(const ntx::Page& p);  // written and cached
  uint32_t alloc_page();
  void free_page(uint32_t offset);
  void forget_pages();  // empties the cache; every path is found again

  // --- Paths through the tree, no locking (ntx_cursor.cpp) ---
  enum class Bound { Lower, Upper };
  void descend(Path& path, std::string_view wkey, Bound bound);
  bool settle_forward(Path& path);
  bool settle_backward(Path& path);
  bool step_next(Path& path);
  bool step_prev(Path& path);
  bool descend_last(Path& path, uint32_t offset);
  bool find_exact(Path& path, std::string_view wkey, uint32_t recno);
  bool set_cursor(bool ok);
  bool restore_cursor(bool& exact);
  std::string pad_weights(std::string_view key) const;
  // The key (cut to the key size) in weight space, in `buf` of kMaxKeySize bytes.
  std::string_view to_weights(std::string_view key, char* buf) const;

  // --- B-tree edits (ntx_tree_edit.cpp) ---
  void fix_underflow(Path& path);

  std::string path_;
  NtxOptions opts_;
  int fd_ = -1;
  ntx::Header header_;
  unsigned char stamp_[12] = {};
  uint64_t file_size_ = 0;
  int lock_depth_ = 0;
  bool lock_write_ = false;
  uint64_t generation_ = 0;  // changes whenever cached paths may be stale

  ntx::PageCache cache_;
  ntx::Page scratch_;  // a page being read

  Path cursor_;
  bool valid_ = false;
  uint64_t cursor_gen_ = 0;
  std::string cur_wkey_;
  uint32_t cur_recno_ = 0;
};

}  // namespace xbase
