// Paths through the tree and the cursor: descents for seeks, steps in key order, and
// finding a cursor's entry again after the tree changed.
#include <algorithm>
#include <cstring>

#include "xbase/collation.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;

// --- Paths through the tree ---
//
// A path holds one level per page from the root down. On the last level idx is the entry
// the path stands on; on the levels above, idx is the child that was taken, so that after
// the subtree under child j the next entry is entry j of that page.

void NtxFile::descend(Path& path, std::string_view wkey, Bound bound) {
  path.clear();
  uint32_t off = header_.root;
  // The sought key's first 16 bytes as two big-endian numbers, and the masks of those bytes.
  uint64_t head[2] = {0, 0}, mask[2] = {0, 0};
  for (std::size_t j = 0; j < 16; ++j) {
    bool in = j < wkey.size();
    head[j / 8] = (head[j / 8] << 8) | (in ? static_cast<unsigned char>(wkey[j]) : 0);
    mask[j / 8] = (mask[j / 8] << 8) | (in ? 0xFF : 0);
  }
  for (;;) {
    if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
      fail(gen::kCorruption, ntx::kSubCorrupt, ntx::too_deep_text());
    PagePtr p = page(off);
    // Binary search: the first entry >= key (Lower) or > key (Upper), on the prefix;
    // the 16-byte key prefixes settle most steps without touching the keys.
    const ntx::SearchEntry* s = p->entries();  // page() has begun fetching them
    int lo = 0, hi = p->count();
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
                              : std::memcmp(p->key_data(static_cast<std::size_t>(mid)) + 16,
                                            wkey.data() + 16, wkey.size() - 16);
      if (c < 0 || (bound == Bound::Upper && c == 0))
        lo = mid + 1;
      else
        hi = mid;
    }
    bool leaf = s[0].child == 0;  // as p->leaf(), without fetching the child array
    off = leaf ? 0 : s[lo].child;
    path.push_back({p, lo});
    if (leaf) return;
  }
}

// From a leaf position that may be past the leaf's last entry, climb to the next entry.
bool NtxFile::settle_forward(Path& path) {
  if (path.empty()) return false;
  if (path.back().idx < path.back().page->count()) return true;
  path.pop_back();
  while (!path.empty()) {
    if (path.back().idx < path.back().page->count()) return true;
    path.pop_back();
  }
  return false;
}

bool NtxFile::descend_last(Path& path, uint32_t offset) {
  uint32_t off = offset;
  for (;;) {
    if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
      fail(gen::kCorruption, ntx::kSubCorrupt, ntx::too_deep_text());
    PagePtr p = page(off);
    if (p->leaf()) {
      path.push_back({p, p->count() - 1});
      break;
    }
    path.push_back({p, p->count()});
    off = p->child(static_cast<std::size_t>(p->count()));
  }
  if (path.back().idx >= 0) return true;
  // An empty leaf (only the root of an empty index may be one): climb backwards.
  return settle_backward(path);
}

// From a position before the first entry of the path's last page, climb to the entry
// before it.
bool NtxFile::settle_backward(Path& path) {
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
    uint32_t off = top.page->child(static_cast<std::size_t>(top.idx));
    for (;;) {
      if (path.size() >= static_cast<std::size_t>(ntx::kMaxDepth))
        fail(gen::kCorruption, ntx::kSubCorrupt, ntx::too_deep_text());
      PagePtr p = page(off);
      path.push_back({p, 0});
      if (p->leaf()) break;
      off = p->child(0);
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
    return descend_last(path, top.page->child(static_cast<std::size_t>(top.idx)));
  if (top.idx > 0) {
    --top.idx;
    return true;
  }
  return settle_backward(path);
}

bool NtxFile::find_exact(Path& path, std::string_view wkey, uint32_t recno) {
  descend(path, wkey, Bound::Lower);
  if (!settle_forward(path)) return false;
  // A sound tree holds fewer entries than the file has item slots; more steps than
  // that means pages are shared or looped.
  uint64_t steps_left = (file_size_ / kPageSize + 1) * (header_.max_items + 1u);
  for (;;) {
    if (steps_left-- == 0)
      fail(gen::kCorruption, ntx::kSubCorrupt,
           std::string(HU("a bejárás többször ér ugyanarra a lapra")));
    const Level& t = path.back();
    std::size_t i = static_cast<std::size_t>(t.idx);
    if (t.page->key(i) != wkey) return false;
    if (t.page->recno(i) == recno) return true;
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
    cur_wkey_.assign(t.page->key(i));
    cur_recno_ = t.page->recno(i);
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

}  // namespace xbase
