// The whole-tree check behind check-index.
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_set>

#include "xbase/collation.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_io.h"

namespace xbase {

using ntx::kPageSize;
using ntx::page_text;

namespace {

// "12. rekord: " + what (CP852).
std::string of_record(uint32_t recno, std::string_view what) {
  return std::to_string(recno) + std::string(HU(". rekord: ")) + std::string(what);
}

}  // namespace

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
      fault(of_record(recno, HU("a kulcsa nincs a sorrend szerinti helyén")));
    prev.assign(wkey);
    have_prev = true;
    if (recno == 0) {
      fault(std::string(HU("bejegyzés 0 rekordszámmal")));
      return;
    }
    if (record_count > 0) {
      if (recno > record_count) {
        fault(of_record(recno, HU("az utolsó rekordon túl van")));
        return;
      }
      if (seen[recno]++ == 1) fault(of_record(recno, HU("többször szerepel")));
    }
    if (expected) {
      std::optional<std::string> want = expected(recno);
      std::string have = collation::from_weights(wkey);
      if (!want)
        fault(of_record(recno, HU("nem lehetne az indexben")));
      else if (collation::key_char(*want, ks) != have)
        fault(of_record(recno, std::string(HU("a kulcsa \"")) + have +
                                   std::string(HU("\", a rekordja szerint \"")) +
                                   collation::key_char(*want, ks) + "\""));
    }
  };

  std::function<void(uint32_t, int)> walk = [&](uint32_t off, int depth) {
    if (r.faults.size() >= kMaxFaults) return;
    if (depth >= ntx::kMaxDepth) {
      fault(ntx::too_deep_text());
      return;
    }
    if (!visited.insert(off).second) {
      fault(page_text(off) + std::string(HU(": kétszer érhető el")));
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
    if (off != header_.root && p->count == 0)
      fault(page_text(off) + std::string(HU(": nincs rajta kulcs")));
    if (p->leaf()) {
      if (leaf_depth < 0) leaf_depth = depth;
      if (depth != leaf_depth) fault(page_text(off) + std::string(HU(": levéllap más mélységben")));
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
      fault(page_text(f) +
            std::string(
                HU(": szabad lap, mégis használatban van, vagy körbeér a szabad lapok listája")));
      break;
    }
    visited.insert(f);
    unsigned char block[kPageSize];
    if (f % kPageSize != 0 || ntx::read_at(fd_, block, kPageSize, f) != kPageSize) {
      fault(std::string(HU("a szabad lapok listája a fájlon kívülre vezet")));
      break;
    }
    std::size_t item0 = ntx::get16(block + 2);
    f = item0 + 4 <= kPageSize ? ntx::get32(block + item0) : 0;
  }

  for (uint32_t rec = 1; rec <= record_count && r.faults.size() < kMaxFaults; ++rec) {
    if (seen[rec]) continue;
    if (expected && !expected(rec)) continue;  // rightly absent
    fault(of_record(rec, HU("hiányzik az indexből")));
  }
  return r;
}

}  // namespace xbase
