// The B-tree edits: insert with page splits, remove with borrowing and merging.
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::Page;

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
    Page p = path[level].page->to_page();
    std::size_t pos = static_cast<std::size_t>(path[level].idx);
    p.keys.insert(pos * ks, up_key);
    p.recno.insert(p.recno.begin() + static_cast<std::ptrdiff_t>(pos), up_recno);
    p.child.insert(p.child.begin() + static_cast<std::ptrdiff_t>(pos) + 1, up_right);
    ++p.count;
    if (p.count <= header_.max_items) {
      put_page(p);
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
    put_page(right);
    put_page(p);
    if (level == 0) {
      Page root;
      root.offset = alloc_page();
      root.count = 1;
      root.keys = up_key;
      root.recno = {up_recno};
      root.child = {left_off, up_right};
      header_.root = root.offset;
      put_page(root);
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
    if (!descend_last(path, path[inner_level].page->child(i)) || path.size() <= inner_level + 1 ||
        !path.back().page->leaf())
      fail(gen::kCorruption, ntx::kSubCorrupt,
           std::string(HU("üres részfa egy belső bejegyzés alatt")));
    const Level& leaf = path.back();
    std::size_t li = static_cast<std::size_t>(leaf.idx);
    Page inner = path[inner_level].page->to_page();
    inner.keys.replace(i * ks, ks, leaf.page->key(li));
    inner.recno[i] = leaf.page->recno(li);
    path[inner_level].page = put_page(inner);
  }
  Page leaf = path.back().page->to_page();
  std::size_t li = static_cast<std::size_t>(path.back().idx);
  leaf.keys.erase(li * ks, ks);
  leaf.recno.erase(leaf.recno.begin() + static_cast<std::ptrdiff_t>(li));
  leaf.child.pop_back();
  --leaf.count;
  path.back().page = put_page(leaf);
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
    if (path[level].page->count() >= static_cast<int>(half) && path[level].page->count() > 0) break;
    Page p0 = path[level].page->to_page();
    Page parent = path[level - 1].page->to_page();
    std::size_t j = static_cast<std::size_t>(path[level - 1].idx);
    if (parent.count == 0)
      fail(gen::kCorruption, ntx::kSubCorrupt, std::string(HU("kulcs nélküli belső lap")));
    bool use_left = j > 0;
    std::size_t sep = use_left ? j - 1 : j;  // separator between the two pages
    Page left = use_left ? page(parent.child[j - 1])->to_page() : p0;
    Page right = use_left ? p0 : page(parent.child[j + 1])->to_page();
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
      put_page(left);
      put_page(right);
      path[level - 1].page = put_page(parent);
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
    put_page(left);
    free_page(gone);
    path[level - 1].page = put_page(parent);
    --level;
  }
  // A root left without keys hands the tree to its only child.
  PagePtr root = page(header_.root);
  if (root->count() == 0 && !root->leaf()) {
    uint32_t old = header_.root;
    header_.root = root->child(0);
    free_page(old);
  }
}

}  // namespace xbase
