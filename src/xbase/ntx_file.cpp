#include "xbase/ntx_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;
using ntx::Page;

namespace {

// The byte the index lock covers, beyond any real page.
constexpr off_t kLockOffset = 1000000000;

uint64_t size_of(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}


}  // namespace

// --- Build input ---

void NtxBuildInput::reserve(std::size_t n) {
  keys_.reserve(n * key_size_);
  recnos_.reserve(n);
}

void NtxBuildInput::add(std::string_view key, uint32_t recno) {
  std::size_t n = std::min(key.size(), key_size_);
  std::size_t at = keys_.size();
  keys_.resize(at + key_size_, ' ');
  std::memcpy(keys_.data() + at, key.data(), n);
  recnos_.push_back(recno);
}

// --- Opening and closing ---

NtxFile::NtxFile(std::string path, NtxOptions opts, int fd)
    : path_(std::move(path)), opts_(opts), fd_(fd) {
  if (opts_.cache_pages < 16) opts_.cache_pages = 16;
}

NtxFile::~NtxFile() {
  if (fd_ >= 0) ::close(fd_);  // releases the flock and any index lock
}

void NtxFile::fail(int gen_code, int sub_code, const std::string& what, int os_code) const {
  ntx::throw_error(gen_code, sub_code, path_, what, os_code);
}

std::unique_ptr<NtxFile> NtxFile::open(const std::string& path, NtxOptions opts) {
  int fd = ::open(path.c_str(), (opts.read_only ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) ntx::throw_error(gen::kOpen, ntx::kSubOpen, path, "open", ntx::os_code_of(errno));
  int how = opts.share == NtxShare::Shared ? LOCK_SH : LOCK_EX;
  if (::flock(fd, how | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    ntx::throw_error(gen::kOpen, ntx::kSubOpen, path, "open", err == EWOULDBLOCK ? 32 : ntx::os_code_of(err));
  }
  std::unique_ptr<NtxFile> f(new NtxFile(path, opts, fd));
  f->load_header();
  return f;
}

std::unique_ptr<NtxFile> NtxFile::create(const std::string& path, std::string_view key_expr,
                                         std::size_t key_size, int key_decimals,
                                         NtxBuildInput input, NtxOptions opts) {
  if (key_size == 0 || key_size > ntx::kMaxKeySize || input.key_size() != key_size)
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path,
                     "key size " + std::to_string(key_size) + " not allowed");
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "create", ntx::os_code_of(errno));
  // Another process holding the file refuses the create before anything is truncated.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "create", 51);
  }
  try {
    if (::ftruncate(fd, 0) != 0)
      ntx::throw_error(gen::kCreate, ntx::kSubCreate, path, "truncate", ntx::os_code_of(errno));
    ntx::Header h = ntx::make_header(key_expr, key_size, key_decimals);
    build(fd, h, input, path);
    if (opts.share == NtxShare::Shared) ::flock(fd, LOCK_SH | LOCK_NB);
  } catch (...) {
    ::close(fd);
    throw;
  }
  std::unique_ptr<NtxFile> f(new NtxFile(path, opts, fd));
  f->load_header();
  return f;
}

void NtxFile::load_header() {
  Lock lk(*this, false);  // refresh() reads the stamp; the full header follows
  unsigned char block[kPageSize];
  file_size_ = size_of(fd_);
  if (ntx::read_at(fd_, block, kPageSize, 0) != kPageSize)
    fail(gen::kCorruption, ntx::kSubCorrupt, "header cut short");
  std::string err = ntx::decode_header(block, file_size_, header_);
  if (!err.empty()) fail(gen::kCorruption, ntx::kSubCorrupt, err);
  std::memcpy(stamp_, block, sizeof stamp_);
  cache_clear();
  ++generation_;
}

void NtxFile::flush() {
  if (!opts_.read_only) ::fsync(fd_);
}

// --- Index locks ---

NtxFile::Lock::Lock(NtxFile& f, bool write) : f_(f) { f_.lock(write); }
NtxFile::Lock::~Lock() { f_.unlock(); }

void NtxFile::lock(bool write) {
  if (write && opts_.read_only) fail(gen::kReadOnly, ntx::kSubWrite, "update of a read-only index");
  bool shared_access = opts_.share == NtxShare::Shared;
  if (lock_depth_ > 0 && (!write || lock_write_)) {
    ++lock_depth_;
    return;
  }
  if (shared_access) {
    struct flock fl {};
    fl.l_type = write ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
    while (::fcntl(fd_, F_OFD_SETLKW, &fl) != 0) {
      if (errno == EINTR) continue;
      fail(gen::kLock, ntx::kSubLock, "index lock", ntx::os_code_of(errno));
    }
  }
  ++lock_depth_;
  lock_write_ = lock_write_ || write;
  if (shared_access) {
    refresh();
    if (write) file_size_ = size_of(fd_);  // pages are appended at the true end
  }
}

void NtxFile::unlock() {
  if (lock_depth_ == 0 || --lock_depth_ > 0) return;
  lock_write_ = false;
  if (opts_.share == NtxShare::Shared) {
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
    ::fcntl(fd_, F_OFD_SETLK, &fl);
  }
}

void NtxFile::refresh() {
  unsigned char now[12];
  if (ntx::read_at(fd_, now, sizeof now, 0) != sizeof now)
    fail(gen::kCorruption, ntx::kSubCorrupt, "header cut short");
  if (std::memcmp(now, stamp_, sizeof now) == 0) return;
  // Another process changed the tree: every cached page and path may be stale.
  std::memcpy(stamp_, now, sizeof now);
  file_size_ = size_of(fd_);
  header_.counter = ntx::get16(now + 2);
  header_.root = ntx::get32(now + 4);
  header_.free_head = ntx::get32(now + 8);
  if (header_.root == 0 || header_.root % kPageSize != 0 || header_.root + kPageSize > file_size_)
    fail(gen::kCorruption, ntx::kSubCorrupt, "root page outside the file");
  cache_clear();
  ++generation_;
}

void NtxFile::write_stamp() {
  header_.counter = static_cast<uint16_t>(header_.counter + 1);
  unsigned char out[12];
  ntx::encode_stamp(header_, out);
  if (!ntx::write_at(fd_, out, sizeof out, 0))
    fail(gen::kWrite, ntx::kSubWrite, "header", ntx::os_code_of(errno));
  std::memcpy(stamp_, out, sizeof out);
}

// --- Pages ---

void NtxFile::cache_clear() {
  cache_.clear();
  cached_ = 0;
}

void NtxFile::cache_put(const PagePtr& p) {
  std::size_t slot = p->offset / kPageSize;
  if (slot >= cache_.size()) cache_.resize(std::max<std::size_t>(slot + 1, file_size_ / kPageSize + 1));
  if (!cache_[slot].page) {
    if (cached_ >= opts_.cache_pages) {
      cache_clear();
      cache_.resize(slot + 1);
    }
    ++cached_;
  }
  cache_[slot] = {p, p->search.data(), p->search.size() * sizeof(ntx::Page::Search)};
}

NtxFile::PagePtr NtxFile::page(uint32_t offset) {
  std::size_t slot = offset / kPageSize;
  if (offset % kPageSize == 0 && slot < cache_.size() && cache_[slot].page) {
    const Slot& c = cache_[slot];
    for (std::size_t b = 0; b < c.search_bytes; b += 64)
      __builtin_prefetch(reinterpret_cast<const char*>(c.search) + b);
    return c.page;
  }
  if (offset == 0 || offset % kPageSize != 0 || offset + kPageSize > file_size_)
    fail(gen::kCorruption, ntx::kSubCorrupt, "page " + std::to_string(offset) + " outside the file");
  unsigned char block[kPageSize];
  if (ntx::read_at(fd_, block, kPageSize, offset) != kPageSize)
    fail(gen::kCorruption, ntx::kSubCorrupt, "page " + std::to_string(offset) + " cut short");
  auto p = std::make_shared<Page>();
  p->offset = offset;
  std::string err = ntx::decode_page(block, header_, file_size_, *p);
  if (!err.empty())
    fail(gen::kCorruption, ntx::kSubCorrupt, "page " + std::to_string(offset) + ": " + err);
  cache_put(p);
  return p;
}

NtxFile::PagePtr NtxFile::put_page(Page&& p) {
  unsigned char block[kPageSize];
  ntx::encode_page(p, header_, block);
  if (!ntx::write_at(fd_, block, kPageSize, p.offset))
    fail(gen::kWrite, ntx::kSubWrite, "page " + std::to_string(p.offset), ntx::os_code_of(errno));
  if (p.offset + kPageSize > file_size_) file_size_ = p.offset + kPageSize;
  p.index_prefixes(header_.key_size);
  auto ptr = std::make_shared<const Page>(std::move(p));
  cache_put(ptr);
  return ptr;
}

uint32_t NtxFile::alloc_page() {
  if (header_.free_head != 0) {
    uint32_t off = header_.free_head;
    unsigned char block[kPageSize];
    if (off % kPageSize != 0 || off + kPageSize > file_size_ ||
        ntx::read_at(fd_, block, kPageSize, off) != kPageSize)
      fail(gen::kCorruption, ntx::kSubCorrupt, "free page " + std::to_string(off) + " outside the file");
    // A free page is chained through the child pointer of its item 0.
    std::size_t item0 = ntx::get16(block + 2);
    uint32_t next = item0 + 4 <= kPageSize ? ntx::get32(block + item0) : 0;
    if (next == off || next % kPageSize != 0 || (next != 0 && next + kPageSize > file_size_))
      next = 0;  // a broken chain is dropped, not followed
    header_.free_head = next;
    if (off / kPageSize < cache_.size() && cache_[off / kPageSize].page) {
      cache_[off / kPageSize] = {};
      --cached_;
    }
    return off;
  }
  uint64_t end = (file_size_ + kPageSize - 1) / kPageSize * kPageSize;
  if (end + kPageSize > 0xFFFFFFFFull) fail(gen::kWrite, ntx::kSubWrite, "index file full");
  file_size_ = end + kPageSize;
  return static_cast<uint32_t>(end);
}

void NtxFile::free_page(uint32_t offset) {
  Page p;
  p.offset = offset;
  p.count = 0;
  p.child = {header_.free_head};
  unsigned char block[kPageSize];
  ntx::encode_page(p, header_, block);
  if (!ntx::write_at(fd_, block, kPageSize, offset))
    fail(gen::kWrite, ntx::kSubWrite, "page " + std::to_string(offset), ntx::os_code_of(errno));
  header_.free_head = offset;
  if (offset / kPageSize < cache_.size() && cache_[offset / kPageSize].page) {
    cache_[offset / kPageSize] = {};
    --cached_;
  }
}

// --- Paths through the tree ---
//
// A path holds one level per page from the root down. On the last level idx is the entry
// the path stands on; on the levels above, idx is the child that was taken, so that after
// the subtree under child j the next entry is entry j of that page.

void NtxFile::descend(Path& path, std::string_view wkey, Bound bound) {
  path.clear();
  uint32_t off = header_.root;
  const std::size_t ks = header_.key_size;
  // The sought key's first 16 bytes as two big-endian numbers, and the masks of those bytes.
  uint64_t head[2] = {0, 0}, mask[2] = {0, 0};
  for (std::size_t j = 0; j < 16; ++j) {
    bool in = j < wkey.size();
    head[j / 8] = (head[j / 8] << 8) | (in ? static_cast<unsigned char>(wkey[j]) : 0);
    mask[j / 8] = (mask[j / 8] << 8) | (in ? 0xFF : 0);
  }
  for (;;) {
    if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
      fail(gen::kCorruption, ntx::kSubCorrupt, "tree deeper than " + std::to_string(ntx::kMaxDepth));
    PagePtr p = page(off);
    // Binary search: the first entry >= key (Lower) or > key (Upper), on the prefix;
    // the 16-byte key prefixes settle most steps without touching the keys.
    const ntx::Page::Search* s = p->search.data();  // page() has begun fetching it
    int lo = 0, hi = p->count;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      int c;
      uint64_t have0 = s[mid].p0 & mask[0], have1 = s[mid].p1 & mask[1];
      if (have0 != head[0])
        c = have0 < head[0] ? -1 : 1;
      else if (have1 != head[1])
        c = have1 < head[1] ? -1 : 1;
      else
        c = wkey.size() <= 16 ? 0
                              : std::memcmp(p->keys.data() + static_cast<std::size_t>(mid) * ks + 16,
                                            wkey.data() + 16, wkey.size() - 16);
      if (c < 0 || (bound == Bound::Upper && c == 0))
        lo = mid + 1;
      else
        hi = mid;
    }
    bool leaf = s[0].child == 0;  // as p->leaf(), without fetching the child array
    off = leaf ? 0 : s[lo].child;
    path.push_back({std::move(p), lo});
    if (leaf) return;
  }
}

// From a leaf position that may be past the leaf's last entry, climb to the next entry.
bool NtxFile::settle_forward(Path& path) {
  if (path.empty()) return false;
  if (path.back().idx < path.back().page->count) return true;
  path.pop_back();
  while (!path.empty()) {
    if (path.back().idx < path.back().page->count) return true;
    path.pop_back();
  }
  return false;
}

bool NtxFile::descend_last(Path& path, uint32_t offset) {
  uint32_t off = offset;
  for (;;) {
    if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
      fail(gen::kCorruption, ntx::kSubCorrupt, "tree deeper than " + std::to_string(ntx::kMaxDepth));
    PagePtr p = page(off);
    if (p->leaf()) {
      path.push_back({p, p->count - 1});
      break;
    }
    path.push_back({p, p->count});
    off = p->child[p->count];
  }
  if (path.back().idx >= 0) return true;
  // An empty leaf (only the root of an empty index may be one): climb backwards.
  path.pop_back();
  while (!path.empty()) {
    if (path.back().idx > 0) {
      --path.back().idx;
      return true;
    }
    path.pop_back();
  }
  return false;
}

bool NtxFile::step_next(Path& path) {
  if (path.empty()) return false;
  Level& top = path.back();
  if (!top.page->leaf()) {
    // After an inner entry comes the first entry of the subtree on its right.
    ++top.idx;
    uint32_t off = top.page->child[static_cast<std::size_t>(top.idx)];
    for (;;) {
      if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
        fail(gen::kCorruption, ntx::kSubCorrupt, "tree deeper than " + std::to_string(ntx::kMaxDepth));
      PagePtr p = page(off);
      path.push_back({p, 0});
      if (p->leaf()) break;
      off = p->child[0];
    }
    return settle_forward(path);
  }
  ++top.idx;
  return settle_forward(path);
}

bool NtxFile::step_prev(Path& path) {
  if (path.empty()) return false;
  Level& top = path.back();
  if (!top.page->leaf())  // before an inner entry comes the last entry of its left subtree
    return descend_last(path, top.page->child[static_cast<std::size_t>(top.idx)]);
  if (top.idx > 0) {
    --top.idx;
    return true;
  }
  path.pop_back();
  while (!path.empty()) {
    if (path.back().idx > 0) {
      --path.back().idx;
      return true;
    }
    path.pop_back();
  }
  return false;
}

bool NtxFile::find_exact(Path& path, std::string_view wkey, uint32_t recno) {
  descend(path, wkey, Bound::Lower);
  if (!settle_forward(path)) return false;
  const std::size_t ks = header_.key_size;
  // A sound tree holds fewer entries than the file has item slots; more steps than
  // that means pages are shared or looped.
  uint64_t steps_left = (file_size_ / kPageSize + 1) * (header_.max_items + 1u);
  for (;;) {
    if (steps_left-- == 0) fail(gen::kCorruption, ntx::kSubCorrupt, "pages reached more than once");
    const Level& t = path.back();
    std::size_t i = static_cast<std::size_t>(t.idx);
    if (t.page->key(i, ks) != wkey) return false;
    if (t.page->recno[i] == recno) return true;
    if (!step_next(path)) return false;
  }
}

std::string_view NtxFile::to_weights(std::string_view key, char* buf) const {
  std::size_t n = std::min(key.size(), key_size());
  std::memcpy(buf, key.data(), n);
  collation::to_weights_inplace(buf, n);
  return std::string_view(buf, n);
}

std::string NtxFile::pad_weights(std::string_view key) const {
  return collation::to_weights(collation::key_char(key, header_.key_size));
}

// --- The cursor ---

bool NtxFile::set_cursor(bool ok) {
  valid_ = ok;
  if (ok) {
    const Level& t = cursor_.back();
    std::size_t i = static_cast<std::size_t>(t.idx);
    cur_wkey_.assign(t.page->key(i, header_.key_size));
    cur_recno_ = t.page->search[i].recno;
    cursor_gen_ = generation_;
  } else {
    cursor_.clear();
  }
  return ok;
}

// Brings the cursor's path up to date after the tree changed. `exact` tells whether it
// stands on the same entry again; otherwise on the first entry after where it was.
bool NtxFile::restore_cursor(bool& exact) {
  exact = true;
  if (cursor_gen_ == generation_) return true;
  if (find_exact(cursor_, cur_wkey_, cur_recno_)) return true;
  exact = false;
  descend(cursor_, cur_wkey_, Bound::Lower);
  return settle_forward(cursor_);
}

bool NtxFile::go_top() {
  Lock lk(*this, false);
  descend(cursor_, std::string_view(), Bound::Lower);
  return set_cursor(settle_forward(cursor_));
}

bool NtxFile::go_bottom() {
  Lock lk(*this, false);
  cursor_.clear();
  return set_cursor(descend_last(cursor_, header_.root));
}

bool NtxFile::next() {
  if (!valid_) return false;
  Lock lk(*this, false);
  bool exact = true;
  if (!restore_cursor(exact)) return set_cursor(false);
  if (!exact) return set_cursor(true);
  return set_cursor(step_next(cursor_));
}

bool NtxFile::prev() {
  if (!valid_) return false;
  Lock lk(*this, false);
  bool exact = true;
  if (!restore_cursor(exact)) {
    cursor_.clear();
    return set_cursor(descend_last(cursor_, header_.root));
  }
  return set_cursor(step_prev(cursor_));
}

bool NtxFile::seek(std::string_view key, bool* found) {
  Lock lk(*this, false);
  char buf[ntx::kMaxKeySize];
  std::string_view w = to_weights(key, buf);
  descend(cursor_, w, Bound::Lower);
  bool ok = set_cursor(settle_forward(cursor_));
  if (found) *found = ok && cur_wkey_.compare(0, w.size(), w) == 0;
  return ok;
}

bool NtxFile::seek_last(std::string_view key) {
  Lock lk(*this, false);
  char buf[ntx::kMaxKeySize];
  std::string_view w = to_weights(key, buf);
  descend(cursor_, w, Bound::Upper);
  bool ok;
  if (settle_forward(cursor_)) {
    ok = step_prev(cursor_);
  } else {
    cursor_.clear();
    ok = descend_last(cursor_, header_.root);
  }
  if (!set_cursor(ok)) return false;
  return set_cursor(cur_wkey_.compare(0, w.size(), w) == 0);
}

bool NtxFile::go_to(std::string_view key, uint32_t recno) {
  Lock lk(*this, false);
  return set_cursor(find_exact(cursor_, pad_weights(key), recno));
}

std::string NtxFile::key() const { return valid_ ? collation::from_weights(cur_wkey_) : std::string(); }

// --- Updates ---

void NtxFile::insert(std::string_view key, uint32_t recno) {
  Lock lk(*this, true);
  const std::size_t ks = header_.key_size;
  std::string w = pad_weights(key);
  Path path;
  descend(path, w, Bound::Upper);  // after every equal key

  std::string up_key = w;
  uint32_t up_recno = recno;
  uint32_t up_right = 0;
  std::size_t level = path.size() - 1;
  for (;;) {
    Page p = *path[level].page;
    std::size_t pos = static_cast<std::size_t>(path[level].idx);
    p.keys.insert(pos * ks, up_key);
    p.recno.insert(p.recno.begin() + static_cast<std::ptrdiff_t>(pos), up_recno);
    p.child.insert(p.child.begin() + static_cast<std::ptrdiff_t>(pos) + 1, up_right);
    ++p.count;
    if (p.count <= header_.max_items) {
      put_page(std::move(p));
      break;
    }
    // Split: the middle entry moves up, the entries after it go to a new page.
    std::size_t mid = p.count / 2;
    Page right;
    right.offset = alloc_page();
    right.count = static_cast<uint16_t>(p.count - mid - 1);
    right.keys = p.keys.substr((mid + 1) * ks);
    right.recno.assign(p.recno.begin() + static_cast<std::ptrdiff_t>(mid) + 1, p.recno.end());
    right.child.assign(p.child.begin() + static_cast<std::ptrdiff_t>(mid) + 1, p.child.end());
    up_key = p.keys.substr(mid * ks, ks);
    up_recno = p.recno[mid];
    up_right = right.offset;
    p.count = static_cast<uint16_t>(mid);
    p.keys.resize(mid * ks);
    p.recno.resize(mid);
    p.child.resize(mid + 1);
    uint32_t left_off = p.offset;
    put_page(std::move(right));
    put_page(std::move(p));
    if (level == 0) {
      Page root;
      root.offset = alloc_page();
      root.count = 1;
      root.keys = up_key;
      root.recno = {up_recno};
      root.child = {left_off, up_right};
      header_.root = root.offset;
      put_page(std::move(root));
      break;
    }
    --level;
  }
  write_stamp();
  ++generation_;
}

bool NtxFile::remove(std::string_view key, uint32_t recno) {
  Lock lk(*this, true);
  const std::size_t ks = header_.key_size;
  std::string w = pad_weights(key);
  Path path;
  if (!find_exact(path, w, recno)) return false;

  if (!path.back().page->leaf()) {
    // An inner entry is replaced by its predecessor, the last entry of its left subtree,
    // which is then removed from its leaf.
    std::size_t inner_level = path.size() - 1;
    std::size_t i = static_cast<std::size_t>(path[inner_level].idx);
    if (!descend_last(path, path[inner_level].page->child[i]) || path.size() <= inner_level + 1 ||
        !path.back().page->leaf())
      fail(gen::kCorruption, ntx::kSubCorrupt, "empty subtree below an inner entry");
    const Level& leaf = path.back();
    std::size_t li = static_cast<std::size_t>(leaf.idx);
    Page inner = *path[inner_level].page;
    inner.keys.replace(i * ks, ks, leaf.page->key(li, ks));
    inner.recno[i] = leaf.page->recno[li];
    path[inner_level].page = put_page(std::move(inner));
  }
  Page leaf = *path.back().page;
  std::size_t li = static_cast<std::size_t>(path.back().idx);
  leaf.keys.erase(li * ks, ks);
  leaf.recno.erase(leaf.recno.begin() + static_cast<std::ptrdiff_t>(li));
  leaf.child.pop_back();
  --leaf.count;
  path.back().page = put_page(std::move(leaf));
  fix_underflow(path);
  write_stamp();
  ++generation_;
  return true;
}

// Restores the minimum fill from the last level of the path upwards: borrow an entry
// through the parent from a sibling that can spare one, otherwise merge with it.
void NtxFile::fix_underflow(Path& path) {
  const std::size_t ks = header_.key_size;
  const std::size_t half = header_.half_page;
  const std::size_t max = header_.max_items;
  std::size_t level = path.size() - 1;
  while (level > 0) {
    const Page& p0 = *path[level].page;
    if (p0.count >= half && p0.count > 0) break;
    Page parent = *path[level - 1].page;
    std::size_t j = static_cast<std::size_t>(path[level - 1].idx);
    if (parent.count == 0) fail(gen::kCorruption, ntx::kSubCorrupt, "inner page without keys");
    bool use_left = j > 0;
    std::size_t sep = use_left ? j - 1 : j;  // separator between the two pages
    Page left = use_left ? *page(parent.child[j - 1]) : p0;
    Page right = use_left ? p0 : *page(parent.child[j + 1]);
    Page& sib = use_left ? left : right;
    std::size_t total = left.count + right.count + 1u;
    if (sib.count > half || total > max) {
      if (use_left) {  // the left sibling's last entry goes up, the separator comes down
        std::size_t last = left.count - 1u;
        right.keys.insert(0, parent.keys.substr(sep * ks, ks));
        right.recno.insert(right.recno.begin(), parent.recno[sep]);
        right.child.insert(right.child.begin(), left.child[last + 1]);
        parent.keys.replace(sep * ks, ks, left.keys.substr(last * ks, ks));
        parent.recno[sep] = left.recno[last];
        left.keys.resize(last * ks);
        left.recno.pop_back();
        left.child.pop_back();
      } else {  // the right sibling's first entry goes up
        left.keys.append(parent.keys.substr(sep * ks, ks));
        left.recno.push_back(parent.recno[sep]);
        left.child.push_back(right.child[0]);
        parent.keys.replace(sep * ks, ks, right.keys.substr(0, ks));
        parent.recno[sep] = right.recno[0];
        right.keys.erase(0, ks);
        right.recno.erase(right.recno.begin());
        right.child.erase(right.child.begin());
      }
      ++(use_left ? right.count : left.count);
      --(use_left ? left.count : right.count);
      put_page(std::move(left));
      put_page(std::move(right));
      path[level - 1].page = put_page(std::move(parent));
      return;
    }
    // Merge right into left with the separator between them.
    left.keys.append(parent.keys.substr(sep * ks, ks));
    left.recno.push_back(parent.recno[sep]);
    left.keys.append(right.keys);
    left.recno.insert(left.recno.end(), right.recno.begin(), right.recno.end());
    left.child.insert(left.child.end(), right.child.begin(), right.child.end());
    left.count = static_cast<uint16_t>(total);
    parent.keys.erase(sep * ks, ks);
    parent.recno.erase(parent.recno.begin() + static_cast<std::ptrdiff_t>(sep));
    parent.child.erase(parent.child.begin() + static_cast<std::ptrdiff_t>(sep) + 1);
    --parent.count;
    uint32_t gone = right.offset;
    put_page(std::move(left));
    free_page(gone);
    path[level - 1].page = put_page(std::move(parent));
    --level;
  }
  // A root left without keys hands the tree to its only child.
  PagePtr root = page(header_.root);
  if (root->count == 0 && !root->leaf()) {
    uint32_t old = header_.root;
    header_.root = root->child[0];
    free_page(old);
  }
}

// --- Check ---

NtxCheckResult NtxFile::check(uint32_t record_count, const ExpectedKey& expected) {
  Lock lk(*this, false);
  NtxCheckResult r;
  const std::size_t ks = header_.key_size;
  constexpr std::size_t kMaxFaults = 50;
  auto fault = [&](std::string s) {
    if (r.faults.size() < kMaxFaults) r.faults.push_back(std::move(s));
  };
  std::unordered_set<uint32_t> visited;
  std::vector<uint8_t> seen(record_count + 1u, 0);
  int leaf_depth = -1;
  std::string prev;
  bool have_prev = false;

  auto visit_entry = [&](std::string_view wkey, uint32_t recno) {
    ++r.keys;
    if (have_prev && std::memcmp(prev.data(), wkey.data(), ks) > 0)
      fault("key of record " + std::to_string(recno) + " out of order");
    prev.assign(wkey);
    have_prev = true;
    if (recno == 0) {
      fault("entry with record number 0");
      return;
    }
    if (record_count > 0) {
      if (recno > record_count) {
        fault("record " + std::to_string(recno) + " beyond the last record");
        return;
      }
      if (seen[recno]++ == 1) fault("record " + std::to_string(recno) + " appears more than once");
    }
    if (expected) {
      std::optional<std::string> want = expected(recno);
      std::string have = collation::from_weights(wkey);
      if (!want)
        fault("record " + std::to_string(recno) + " should not be in the index");
      else if (collation::key_char(*want, ks) != have)
        fault("record " + std::to_string(recno) + " has key \"" + cp852_to_utf8(have) +
              "\", its record gives \"" + cp852_to_utf8(collation::key_char(*want, ks)) + "\"");
    }
  };

  std::function<void(uint32_t, int)> walk = [&](uint32_t off, int depth) {
    if (r.faults.size() >= kMaxFaults) return;
    if (depth >= ntx::kMaxDepth) {
      fault("tree deeper than " + std::to_string(ntx::kMaxDepth));
      return;
    }
    if (!visited.insert(off).second) {
      fault("page " + std::to_string(off) + " reached twice");
      return;
    }
    PagePtr p;
    try {
      p = page(off);
    } catch (const ErrorException& e) {
      fault(e.error().operation);
      return;
    }
    ++r.pages;
    r.depth = std::max(r.depth, depth + 1);
    if (off != header_.root && p->count == 0) fault("page " + std::to_string(off) + " holds no keys");
    if (p->leaf()) {
      if (leaf_depth < 0) leaf_depth = depth;
      if (depth != leaf_depth) fault("leaf page " + std::to_string(off) + " at another depth");
    }
    for (std::size_t i = 0; i <= p->count; ++i) {
      if (!p->leaf()) walk(p->child[i], depth + 1);
      if (i < p->count) visit_entry(p->key(i, ks), p->recno[i]);
    }
  };
  walk(header_.root, 0);

  // The free list must not lead into the tree.
  uint32_t f = header_.free_head;
  for (std::size_t n = 0; f != 0 && n < visited.size() + 1000000; ++n) {
    if (visited.count(f)) {
      fault("free page " + std::to_string(f) + " is in use or the free list loops");
      break;
    }
    visited.insert(f);
    unsigned char block[kPageSize];
    if (f % kPageSize != 0 || ntx::read_at(fd_, block, kPageSize, f) != kPageSize) {
      fault("free list leads outside the file");
      break;
    }
    std::size_t item0 = ntx::get16(block + 2);
    f = item0 + 4 <= kPageSize ? ntx::get32(block + item0) : 0;
  }

  for (uint32_t rec = 1; rec <= record_count && r.faults.size() < kMaxFaults; ++rec) {
    if (seen[rec]) continue;
    if (expected && !expected(rec)) continue;  // rightly absent
    fault("record " + std::to_string(rec) + " missing from the index");
  }
  return r;
}

}  // namespace xbase
