// The whole-tree check behind check-index.
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_set>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;

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
    // Read past the cache: a walk over every page would only push the useful ones out.
    auto p = std::make_unique<ntx::Page>();
    try {
      read_page(off, *p);
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
