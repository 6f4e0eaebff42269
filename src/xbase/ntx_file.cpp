#include "xbase/ntx_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "xbase/collation.h"
#include "xbase/hutext.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;
using ntx::Page;
using ntx::CachedPage;

namespace {

// The byte the index lock covers, beyond any real page.
constexpr off_t kLockOffset = 1000000000;

uint64_t size_of(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}


}  // namespace

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
                     std::string(HU("nem megengedett kulcshossz: ")) + std::to_string(key_size));
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
    build(fd, h, input, path,
          opts.build_threads > 0 ? opts.build_threads : ntx_build_threads(input.size()));
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
    fail(gen::kCorruption, ntx::kSubCorrupt, std::string(HU("csonka a fejléc")));
  std::string err = ntx::decode_header(block, file_size_, header_);
  if (!err.empty()) fail(gen::kCorruption, ntx::kSubCorrupt, err);
  std::memcpy(stamp_, block, sizeof stamp_);
  cache_.configure(header_.key_size, header_.max_items, opts_.cache_pages);
  ++generation_;
}

void NtxFile::flush() {
  if (!opts_.read_only) ::fsync(fd_);
}

// --- Index locks ---

NtxFile::Lock::Lock(NtxFile& f, bool write) : f_(f) { f_.lock(write); }
NtxFile::Lock::~Lock() { f_.unlock(); }

void NtxFile::lock(bool write) {
  if (write && opts_.read_only)
    fail(gen::kReadOnly, ntx::kSubWrite, std::string(HU("csak olvasható index módosítása")));
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
  // The operation is over and holds no page: now a cache that outgrew its size can go.
  if (cache_.over_capacity()) forget_pages();
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
    fail(gen::kCorruption, ntx::kSubCorrupt, std::string(HU("csonka a fejléc")));
  if (std::memcmp(now, stamp_, sizeof now) == 0) return;
  // Another process changed the tree: every cached page and path may be stale.
  std::memcpy(stamp_, now, sizeof now);
  file_size_ = size_of(fd_);
  header_.counter = ntx::get16(now + 2);
  header_.root = ntx::get32(now + 4);
  header_.free_head = ntx::get32(now + 8);
  if (header_.root == 0 || header_.root % kPageSize != 0 || header_.root + kPageSize > file_size_)
    fail(gen::kCorruption, ntx::kSubCorrupt, std::string(HU("a gyökérlap a fájlon kívül esik")));
  forget_pages();
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

void NtxFile::forget_pages() {
  cache_.clear();
  ++generation_;
}

void NtxFile::read_page(uint32_t offset, Page& p) {
  if (offset == 0 || offset % kPageSize != 0 || offset + kPageSize > file_size_)
    fail(gen::kCorruption, ntx::kSubCorrupt,
         ntx::page_text(offset) + std::string(HU(": a fájlon kívül esik")));
  unsigned char block[kPageSize];
  if (ntx::read_at(fd_, block, kPageSize, offset) != kPageSize)
    fail(gen::kCorruption, ntx::kSubCorrupt, ntx::page_text(offset) + std::string(HU(": csonka")));
  p.offset = offset;
  std::string err = ntx::decode_page(block, header_, file_size_, p);
  if (!err.empty()) fail(gen::kCorruption, ntx::kSubCorrupt, ntx::page_text(offset) + ": " + err);
}

NtxFile::PagePtr NtxFile::page(uint32_t offset) {
  if (PagePtr p = cache_.find(offset)) return p;
  read_page(offset, scratch_);
  return cache_.store(scratch_);
}

NtxFile::PagePtr NtxFile::put_page(const Page& p) {
  unsigned char block[kPageSize];
  ntx::encode_page(p, header_, block);
  if (!ntx::write_at(fd_, block, kPageSize, p.offset))
    fail(gen::kWrite, ntx::kSubWrite, ntx::page_text(p.offset), ntx::os_code_of(errno));
  if (p.offset + kPageSize > file_size_) file_size_ = p.offset + kPageSize;
  return cache_.store(p);
}

uint32_t NtxFile::alloc_page() {
  if (header_.free_head != 0) {
    uint32_t off = header_.free_head;
    unsigned char block[kPageSize];
    if (off % kPageSize != 0 || off + kPageSize > file_size_ ||
        ntx::read_at(fd_, block, kPageSize, off) != kPageSize)
      fail(gen::kCorruption, ntx::kSubCorrupt,
           std::string(HU("szabad ")) + ntx::page_text(off) +
               std::string(HU(": a fájlon kívül esik")));
    // A free page is chained through the child pointer of its item 0.
    std::size_t item0 = ntx::get16(block + 2);
    uint32_t next = item0 + 4 <= kPageSize ? ntx::get32(block + item0) : 0;
    if (next == off || next % kPageSize != 0 || (next != 0 && next + kPageSize > file_size_))
      next = 0;  // a broken chain is dropped, not followed
    header_.free_head = next;
    cache_.drop(off);
    return off;
  }
  uint64_t end = (file_size_ + kPageSize - 1) / kPageSize * kPageSize;
  if (end + kPageSize > 0xFFFFFFFFull)
    fail(gen::kWrite, ntx::kSubWrite, std::string(HU("megtelt az indexfájl")));
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
    fail(gen::kWrite, ntx::kSubWrite, ntx::page_text(offset), ntx::os_code_of(errno));
  header_.free_head = offset;
  cache_.drop(offset);
}

}  // namespace xbase
