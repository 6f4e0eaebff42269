// Randomised tests against in-memory models: the NTX file alone (insert, remove, seek,
// skip) and a table with three open indexes (append, key changes, delete, recall, ZAP,
// PACK, reindex, SEEK, SKIP both ways), with a full check after every batch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/ntx_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using ntx_test::ScratchDir;

// --- The file alone against a multimap ---

void random_updates_match_a_multimap(std::size_t cache_pages, int ops) {
  ScratchDir dir;
  constexpr std::size_t kKey = 6;  // 66 keys a page: several levels quickly
  NtxOptions opts;
  opts.cache_pages = cache_pages;
  auto f = ntx_test::build(dir.file("m.ntx"), kKey, {}, opts);
  std::map<std::string, std::multiset<uint32_t>> model;  // weights -> record numbers
  std::vector<std::pair<std::string, uint32_t>> present;
  std::mt19937 rng(20231);
  auto rnd = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  const std::string letters = std::string("ABC") + std::string(HU("ÁÖŐ")) + "abz";
  auto random_key = [&] {
    std::string k;
    for (std::size_t i = 0, n = 1 + rnd(kKey); i < n; ++i) k += letters[rnd(static_cast<uint32_t>(letters.size()))];
    return collation::key_char(k, kKey);
  };
  uint32_t next_rec = 1;
  for (int op = 0; op < ops; ++op) {
    uint32_t kind = rnd(100);
    if (kind < 45 || present.empty()) {
      std::string k = random_key();
      f->insert(k, next_rec);
      model[collation::to_weights(k)].insert(next_rec);
      present.emplace_back(k, next_rec++);
    } else if (kind < 80) {
      std::size_t i = rnd(static_cast<uint32_t>(present.size()));
      auto [k, r] = present[i];
      ASSERT_TRUE(f->remove(k, r)) << "op " << op;
      auto it = model.find(collation::to_weights(k));
      it->second.erase(it->second.find(r));
      if (it->second.empty()) model.erase(it);
      present[i] = present.back();
      present.pop_back();
    } else if (kind < 82) {
      ASSERT_FALSE(f->remove(random_key(), next_rec + 5));
    } else {
      // Seek a prefix, then skip a few entries forwards or backwards.
      std::string prefix = random_key().substr(0, 1 + rnd(3));
      std::string wp = collation::to_weights(prefix);
      auto lb = model.lower_bound(wp);
      bool found = false;
      bool ok = f->seek(prefix, &found);
      ASSERT_EQ(ok, lb != model.end()) << "op " << op;
      if (!ok) continue;
      ASSERT_EQ(collation::to_weights(f->key()), lb->first) << "op " << op;
      ASSERT_TRUE(lb->second.count(f->recno()));
      ASSERT_EQ(found, lb->first.compare(0, wp.size(), wp) == 0);
      // The keys ahead of and behind the seek position, one per entry.
      std::vector<std::string> ahead, behind;
      for (auto it = lb; it != model.end() && ahead.size() < 22; ++it)
        for (std::size_t i = 0; i < it->second.size() && ahead.size() < 22; ++i)
          ahead.push_back(collation::from_weights(it->first));
      for (auto it = std::make_reverse_iterator(lb); it != model.rend() && behind.size() < 22; ++it)
        for (std::size_t i = 0; i < it->second.size() && behind.size() < 22; ++i)
          behind.push_back(collation::from_weights(it->first));
      int steps = static_cast<int>(rnd(40)) - 20;
      for (int s = 1; s <= std::abs(steps); ++s) {
        bool moved = steps > 0 ? f->next() : f->prev();
        const std::vector<std::string>& keys = steps > 0 ? ahead : behind;
        std::size_t at = steps > 0 ? static_cast<std::size_t>(s) : static_cast<std::size_t>(s - 1);
        ASSERT_EQ(moved, at < keys.size()) << "op " << op << " step " << s;
        if (!moved) break;
        ASSERT_EQ(f->key(), keys[at]) << "op " << op << " step " << s;
      }
    }
    if (op % 5000 == 4999) {
      auto r = f->check();
      ASSERT_TRUE(r.ok()) << "op " << op << ": " << r.faults.front();
      ASSERT_EQ(r.keys, present.size());
      std::multiset<std::pair<std::string, uint32_t>> walked, want;
      for (auto& [k, rec] : ntx_test::walk(*f)) walked.emplace(k, rec);
      for (auto& e : present) want.insert(e);
      ASSERT_EQ(walked, want) << "op " << op;
    }
  }
}

TEST(NtxModel, RandomUpdatesSeeksAndSkipsMatchAMultimap) { random_updates_match_a_multimap(16384, 100000); }

// With room for 16 pages the cache overflows inside single updates and walks, and is
// emptied after them: the paths held meanwhile must stay sound.
TEST(NtxModel, ATinyPageCacheChangesNothing) { random_updates_match_a_multimap(16, 20000); }

// --- A table with three indexes against a vector of records ---

struct Rec {
  std::string vkod, nev;
  double osszeg = 0;
  bool deleted = false;
};

class TableModel {
 public:
  static constexpr int kOrders = 3;
  static std::string key(const Rec& r, int order) {
    switch (order) {
      case 0: return collation::key_char(r.vkod, 3) + collation::key_char(hu852_upper(r.nev), 12);
      case 1: return collation::key_num(r.osszeg, 7, 0);
      default: return collation::key_char(r.nev, 12) + collation::key_char(r.vkod, 3);
    }
  }
  // (key weights, recno) of the visible records in key order.
  std::vector<std::pair<std::string, uint32_t>> sorted(int order, bool hide_deleted) const {
    std::vector<std::pair<std::string, uint32_t>> out;
    for (std::size_t i = 0; i < recs.size(); ++i)
      if (!(hide_deleted && recs[i].deleted))
        out.emplace_back(collation::to_weights(key(recs[i], order)), static_cast<uint32_t>(i + 1));
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<Rec> recs;
};

// One run of `ops` random operations from `seed`; the suite runs several seeds side by side.
void three_indexes_match_the_model(uint32_t seed, int ops) {
  ScratchDir dir;
  WorkAreas areas;
  ASSERT_TRUE(areas.create(dir.file("t.dbf"), {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 12, 0}, {"OSSZEG", 'N', 7, 0}}));
  ASSERT_TRUE(areas.use(dir.file("t")));
  WorkArea& area = areas.current();
  const char* keys[] = {"vkod+HUNGORD(nev)", "osszeg", "nev+vkod"};
  std::vector<NtxOrder*> orders;
  auto reindex = [&] {
    area.clear_orders();
    orders.clear();
    for (int i = 0; i < TableModel::kOrders; ++i) {
      auto o = NtxOrder::index_on(area, dir.file("i" + std::to_string(i)), keys[i], ntx_key_function(areas, keys[i]));
      orders.push_back(o.get());
      area.add_order(std::move(o));
    }
  };
  reindex();
  TableModel model;
  std::mt19937 rng(seed);
  auto rnd = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  std::vector<std::string> names = {"Kiss", "KISS", "Nagy", std::string(HU("Ács")), std::string(HU("ÁCS")),
                                    "Abai", std::string(HU("Őri")), std::string(HU("ördög")), "Szabo", "Szucs",
                                    std::string(HU("Szűcs")), "Toth", "Zsolt", "Cseh", "Czako", ""};
  auto put_rec = [&](const Rec& r) {
    area.put("VKOD", Value::str(r.vkod));
    area.put("NEV", Value::str(r.nev));
    area.put("OSSZEG", Value::num(r.osszeg, 7, 0));
  };
  auto random_rec = [&] {
    Rec r;
    r.vkod = "00" + std::to_string(rnd(4));
    r.nev = names[rnd(static_cast<uint32_t>(names.size()))];
    r.osszeg = static_cast<double>(static_cast<int>(rnd(201)) - 100);
    return r;
  };
  auto full_check = [&](int op) {
    bool hide = areas.deleted_hidden();
    areas.set_deleted(false);
    area.skip(0);  // a pending change reaches the table and the indexes
    uint32_t n = area.lastrec();
    ASSERT_EQ(n, model.recs.size());
    for (int o = 0; o < TableModel::kOrders; ++o) {
      auto res = orders[static_cast<std::size_t>(o)]->file().check(n, [&](uint32_t r) {
        return std::optional<std::string>(TableModel::key(model.recs[r - 1], o));
      });
      for (auto& fault : res.faults) ADD_FAILURE() << "op " << op << " order " << o << ": " << fault;
      ASSERT_TRUE(res.ok());
      area.set_order(o + 1);
      std::vector<std::pair<std::string, uint32_t>> walked;
      for (area.go_top(); !area.eof(); area.skip(1))
        walked.emplace_back(collation::to_weights(orders[static_cast<std::size_t>(o)]->current_key()), area.recno());
      std::sort(walked.begin(), walked.end());
      ASSERT_EQ(walked, model.sorted(o, false)) << "op " << op << " order " << o;
    }
    areas.set_deleted(hide);
  };

  // The model's key order, kept while only seeks run.
  std::vector<std::pair<std::string, uint32_t>> sorted_cache[TableModel::kOrders][2];
  uint64_t version = 1, cached[TableModel::kOrders][2] = {};
  for (int op = 0; op < ops; ++op) {
    uint32_t kind = rnd(1000);
    uint32_t n = static_cast<uint32_t>(model.recs.size());
    if (kind < 545 || n == 0) ++version;
    if (kind < 200 || n == 0) {  // append
      Rec r = random_rec();
      ASSERT_TRUE(area.append_blank());
      put_rec(r);
      model.recs.push_back(r);
    } else if (kind < 400) {  // change one key field
      uint32_t r = 1 + rnd(n);
      area.go_to(r);
      Rec nr = random_rec();
      Rec& m = model.recs[r - 1];
      switch (rnd(3)) {
        case 0: area.put("VKOD", Value::str(nr.vkod)); m.vkod = nr.vkod; break;
        case 1: area.put("NEV", Value::str(nr.nev)); m.nev = nr.nev; break;
        default: area.put("OSSZEG", Value::num(nr.osszeg, 7, 0)); m.osszeg = nr.osszeg; break;
      }
    } else if (kind < 520) {  // delete or recall
      uint32_t r = 1 + rnd(n);
      area.go_to(r);
      if (rnd(3)) { area.delete_record(); model.recs[r - 1].deleted = true; }
      else { area.recall(); model.recs[r - 1].deleted = false; }
    } else if (kind < 521) {
      ASSERT_TRUE(area.zap());
      model.recs.clear();
    } else if (kind < 531) {
      ASSERT_TRUE(area.pack());
      std::erase_if(model.recs, [](const Rec& r) { return r.deleted; });
    } else if (kind < 533) {
      reindex();
    } else if (kind < 545) {
      areas.set_deleted(!areas.deleted_hidden());
    } else {  // SEEK a prefix of a key, then SKIP both ways
      int o = static_cast<int>(rnd(TableModel::kOrders));
      area.set_order(o + 1);
      bool hide = areas.deleted_hidden();
      if (cached[o][hide] != version) {
        sorted_cache[o][hide] = model.sorted(o, hide);
        cached[o][hide] = version;
      }
      const auto& sorted = sorted_cache[o][hide];
      std::string full = TableModel::key(random_rec(), o);
      Value key = o == 1 ? Value::num(collation::num_of_key(full), 7, 0)
                         : Value::str(full.substr(0, 1 + rnd(static_cast<uint32_t>(full.size()))));
      std::string wprefix = collation::to_weights(orders[static_cast<std::size_t>(o)]->seek_bytes(key));
      auto lb = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(wprefix, uint32_t{0}));
      bool want_found = lb != sorted.end() && lb->first.compare(0, wprefix.size(), wprefix) == 0;
      bool soft = rnd(2);
      bool found = area.seek(key, soft);
      ASSERT_EQ(found, want_found) << "op " << op;
      if (!found && !soft) {
        ASSERT_TRUE(area.eof());
        continue;
      }
      ASSERT_EQ(area.eof(), lb == sorted.end()) << "op " << op;
      if (area.eof()) continue;
      auto current = [&] { return collation::to_weights(orders[static_cast<std::size_t>(o)]->current_key()); };
      ASSERT_EQ(current(), lb->first) << "op " << op;
      std::size_t pos = static_cast<std::size_t>(lb - sorted.begin());
      int steps = static_cast<int>(rnd(16)) - 8;
      for (int s = 0; s < std::abs(steps); ++s) {
        area.skip(steps > 0 ? 1 : -1);
        if (steps > 0) {
          ++pos;
          if (pos >= sorted.size()) { ASSERT_TRUE(area.eof()) << "op " << op; break; }
        } else {
          if (pos == 0) { ASSERT_TRUE(area.bof()) << "op " << op; break; }
          --pos;
        }
        ASSERT_EQ(current(), sorted[pos].first) << "op " << op << " step " << s;
      }
    }
    if (op % 2000 == 1999 || (std::getenv("NTX_MODEL_DEBUG") && op % 10 == 9)) full_check(op);
    if (::testing::Test::HasFatalFailure()) return;
  }
  full_check(ops);
}

class NtxTableModel : public ::testing::TestWithParam<uint32_t> {};

TEST_P(NtxTableModel, TableWithThreeIndexesMatchesTheModel) { three_indexes_match_the_model(GetParam(), 25000); }

INSTANTIATE_TEST_SUITE_P(Seeds, NtxTableModel, ::testing::Values(852u, 853u, 854u, 855u));

}  // namespace
}  // namespace xbase
