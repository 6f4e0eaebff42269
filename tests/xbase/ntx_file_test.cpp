// NTX files: header fields, bulk build, seeks, the cursor, updates, bad files, sharing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "xbase/collation.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_test_util.h"

namespace xbase {
namespace {

using ntx_test::build;
using ntx_test::Entries;
using ntx_test::ScratchDir;
using ntx_test::walk;
using ntx_test::walk_back;

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void patch(const std::string& path, std::size_t offset, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
            static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

std::string u16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32(uint32_t v) { return u16(static_cast<uint16_t>(v)) + u16(static_cast<uint16_t>(v >> 16)); }

Entries sorted(Entries e) {
  std::stable_sort(e.begin(), e.end(), [](const auto& a, const auto& b) {
    int c = collation::compare(a.first, b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  return e;
}

Entries random_entries(std::size_t n, std::size_t key_size, unsigned seed, int alphabet = 26) {
  std::mt19937 rng(seed);
  Entries e;
  for (std::size_t i = 0; i < n; ++i) {
    std::string k(key_size, ' ');
    for (auto& c : k) c = static_cast<char>('A' + rng() % alphabet);
    e.emplace_back(k, static_cast<uint32_t>(i + 1));
  }
  return e;
}

TEST(NtxFile, HeaderFieldsOfABuild) {
  EXPECT_EQ(ntx::max_items_for(43), 18);
  EXPECT_EQ(ntx::max_items_for(14), 40);
  EXPECT_EQ(ntx::max_items_for(5), 66);
  EXPECT_EQ(ntx::max_items_for(10), 50);
  ScratchDir dir;
  std::string path = dir.file("virda23.ntx");
  auto f = build(path, 43, random_entries(500, 43, 1), {}, "vkod+HUNGORD(nev)");
  f.reset();
  std::string b = read_bytes(path);
  ASSERT_EQ(b.size() % 1024, 0u);
  auto g16 = [&](std::size_t o) { return static_cast<unsigned>(ntx::get16(reinterpret_cast<const unsigned char*>(b.data()) + o)); };
  auto g32 = [&](std::size_t o) { return ntx::get32(reinterpret_cast<const unsigned char*>(b.data()) + o); };
  EXPECT_EQ(g16(0), 6u);
  EXPECT_EQ(g16(2), 1u);
  EXPECT_EQ(g32(4), b.size() - 1024);  // the root is written last
  EXPECT_EQ(g32(8), 0u);
  EXPECT_EQ(g16(12), 51u);
  EXPECT_EQ(g16(14), 43u);
  EXPECT_EQ(g16(16), 0u);
  EXPECT_EQ(g16(18), 18u);
  EXPECT_EQ(g16(20), 9u);
  EXPECT_EQ(std::string(b.data() + 22), "vkod+HUNGORD(nev)");
  EXPECT_EQ(b[22 + 17], '\0');
  EXPECT_EQ(b[278], 0);
  // The first leaf is full, in the fresh slot layout, and holds the lowest keys.
  EXPECT_EQ(g16(1024), 18u);
  EXPECT_EQ(g16(1024 + 2), 2u + 2u * 19u);
  EXPECT_EQ(g16(1024 + 4), 2u + 2u * 19u + 51u);
  EXPECT_EQ(g32(1024 + 40), 0u);  // leaf: no left child
}

TEST(NtxFile, BuildWalksInKeyOrderForEverySize) {
  ScratchDir dir;
  for (std::size_t n : {0u, 1u, 2u, 18u, 19u, 20u, 37u, 38u, 39u, 361u, 3000u}) {
    Entries e = random_entries(n, 10, static_cast<unsigned>(n), 4);  // many equal keys
    auto f = build(dir.file("t.ntx"), 10, e);
    Entries want = sorted(e);
    EXPECT_EQ(walk(*f), want) << n;
    Entries back = walk_back(*f);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, want) << n;
    auto r = f->check(static_cast<uint32_t>(n));
    EXPECT_TRUE(r.ok()) << n << ": " << (r.faults.empty() ? "" : r.faults[0]);
    EXPECT_EQ(r.keys, n);
  }
  // Long keys that differ only after the sort prefix, in Hungarian order.
  Entries e = random_entries(2000, 6, 8, 4);
  for (auto& [k, r] : e) k = std::string(30, 'X') + std::string(HU("É")) + k;
  auto f = build(dir.file("l.ntx"), 40, e);
  Entries want = sorted(e);
  for (auto& [k, r] : want) k.resize(40, ' ');
  EXPECT_EQ(walk(*f), want);
}

// The build sorts by radix on the first 16 key bytes in weight order, then by the rest of
// the key and the record number: keys whose byte order differs from the collation (accents,
// small letters), that differ before, at and after byte 16, and records given out of order.
TEST(NtxFile, BuildSortsByCollationThenRecordWhateverTheInputOrder) {
  ScratchDir dir;
  const std::string letters = "ABZaz" + std::string(HU("ÁÖŐé"));
  std::mt19937 rng(7);
  Entries e;
  for (uint32_t i = 0; i < 6000; ++i) {
    std::string k(24, 'K');
    std::size_t at = std::size_t{6} + rng() % 16;  // first byte that varies: 6..21
    for (std::size_t j = at; j < k.size(); j += 1 + rng() % 3) k[j] = letters[rng() % letters.size()];
    e.emplace_back(k, 0);
  }
  std::vector<uint32_t> recnos(e.size());
  for (uint32_t i = 0; i < recnos.size(); ++i) recnos[i] = i + 1;
  std::shuffle(recnos.begin(), recnos.end(), rng);
  for (std::size_t i = 0; i < e.size(); ++i) e[i].second = recnos[i];
  auto f = build(dir.file("r.ntx"), 24, e);
  Entries want = sorted(e);
  EXPECT_EQ(walk(*f), want);
  for (std::size_t i = 0; i < want.size(); i += 97) {
    bool found = false;
    ASSERT_TRUE(f->seek(want[i].first, &found));
    EXPECT_TRUE(found);
    EXPECT_EQ(f->key(), want[i].first);
  }
}

// Two threads sort a range of keys each (split by the first two key bytes) and write
// half of the leaves each: the file must be the one a single thread writes, for short
// keys (whole in the sort items) and long ones, many equal keys, keys that all share
// their first bytes (nothing to split), records given out of order, and sizes around
// the page boundaries.
TEST(NtxFile, BuildWithTwoThreadsWritesTheSameFile) {
  ScratchDir dir;
  struct Input {
    std::size_t key_size, n;
    int alphabet;
    std::string head;  // every key begins with it
  };
  const Input inputs[] = {{10, 20000, 4, ""},  {40, 20000, 3, std::string(20, 'K')},
                          {14, 9000, 10, "00"}, {43, 12000, 26, "001"},
                          {8, 100, 2, ""},     {20, 8193, 5, ""}};
  for (const Input& in : inputs) {
    SCOPED_TRACE(std::to_string(in.key_size) + " bytes, " + std::to_string(in.n) + " keys");
    Entries e = random_entries(in.n, in.key_size - in.head.size(), static_cast<unsigned>(in.n), in.alphabet);
    std::mt19937 rng(static_cast<unsigned>(in.key_size));
    std::vector<uint32_t> recnos(e.size());
    for (uint32_t i = 0; i < recnos.size(); ++i) recnos[i] = i + 1;
    if (in.n % 2 == 0) std::shuffle(recnos.begin(), recnos.end(), rng);
    for (std::size_t i = 0; i < e.size(); ++i) e[i] = {in.head + e[i].first, recnos[i]};
    NtxOptions one, two;
    one.build_threads = 1;
    two.build_threads = 2;
    build(dir.file("one.ntx"), in.key_size, e, one).reset();
    auto f = build(dir.file("two.ntx"), in.key_size, e, two);
    EXPECT_TRUE(read_bytes(dir.file("one.ntx")) == read_bytes(dir.file("two.ntx")));
    EXPECT_EQ(walk(*f), sorted(e));
  }
}

TEST(NtxFile, SeekExactSoftPrefixAndLast) {
  ScratchDir dir;
  Entries e;
  const char* names[] = {"ABA", "BAK", "BAKO", "BAKOS", "BARTA", "KISS", "KOVACS", "KOVACS", "NAGY", "TOTH"};
  for (uint32_t i = 0; i < 10; ++i) e.emplace_back(names[i], i + 1);
  auto f = build(dir.file("n.ntx"), 10, e);
  bool found = false;
  EXPECT_TRUE(f->seek("KOVACS    ", &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(f->recno(), 7u);  // the first of equal keys
  EXPECT_TRUE(f->seek("BAKO", &found));  // a prefix seek
  EXPECT_TRUE(found);
  EXPECT_EQ(f->recno(), 3u);
  EXPECT_TRUE(f->seek("BAKOS ", &found));
  EXPECT_EQ(f->recno(), 4u);
  EXPECT_TRUE(f->seek("C", &found));  // soft: the next greater key
  EXPECT_FALSE(found);
  EXPECT_EQ(f->recno(), 6u);
  EXPECT_FALSE(f->seek("Z", &found));  // past the last key
  EXPECT_FALSE(found);
  EXPECT_FALSE(f->valid());
  EXPECT_TRUE(f->seek_last("BAK"));
  EXPECT_EQ(f->recno(), 4u);
  EXPECT_TRUE(f->seek_last("KOVACS"));
  EXPECT_EQ(f->recno(), 8u);
  EXPECT_FALSE(f->seek_last("C"));
  EXPECT_TRUE(f->go_to("KOVACS", 8));
  EXPECT_TRUE(f->prev());
  EXPECT_EQ(f->recno(), 7u);
  EXPECT_FALSE(f->go_to("KOVACS", 9));
  EXPECT_TRUE(f->go_top());
  EXPECT_FALSE(f->prev());
}

TEST(NtxFile, InsertGoesAfterEqualKeysAndRemoveReusesPages) {
  ScratchDir dir;
  std::string path = dir.file("u.ntx");
  auto f = build(path, 8, {{"B", 5}, {"B", 7}, {"C", 2}});
  f->insert("B", 1);
  f->insert("A", 9);
  Entries want = {{"A       ", 9}, {"B       ", 5}, {"B       ", 7}, {"B       ", 1}, {"C       ", 2}};
  EXPECT_EQ(walk(*f), want);
  EXPECT_FALSE(f->remove("B", 8));
  EXPECT_TRUE(f->remove("B", 7));
  want.erase(want.begin() + 2);
  EXPECT_EQ(walk(*f), want);
  EXPECT_EQ(f->header().counter, 4);  // 1 after the build, one per update

  // Grow to several levels, empty it, grow again: the freed pages are used again.
  Entries e = random_entries(4000, 8, 7, 3);
  for (auto& [k, r] : e) f->insert(k, r + 10);
  ASSERT_TRUE(f->check().ok());
  uint64_t grown = read_bytes(path).size();
  for (auto& [k, r] : e) ASSERT_TRUE(f->remove(k, r + 10)) << r;
  auto c = f->check();
  ASSERT_TRUE(c.ok()) << c.faults[0];
  EXPECT_EQ(c.keys, 4u);
  for (auto& [k, r] : e) f->insert(k, r + 10);
  EXPECT_TRUE(f->check().ok());
  EXPECT_LE(read_bytes(path).size(), grown + 2048);
  EXPECT_EQ(walk(*f).size(), 4004u);
}

TEST(NtxFile, ReopenedFileKeepsItsKeys) {
  ScratchDir dir;
  std::string path = dir.file("r.ntx");
  Entries e = random_entries(700, 12, 3);
  {
    auto f = build(path, 12, e);
    f->insert("MMMMMMMMMMMM", 701);
  }
  auto f = NtxFile::open(path);
  EXPECT_EQ(f->key_expr(), "KEY");
  e.emplace_back("MMMMMMMMMMMM", 701);
  Entries got = walk(*f);
  EXPECT_EQ(got.size(), 701u);
  EXPECT_TRUE(f->check(701).ok());
  EXPECT_TRUE(f->go_to("MMMMMMMMMMMM", 701));
}

// A page written by another program may order its offset table differently.
TEST(NtxFile, ReadsPagesThroughTheirOffsetTable) {
  ScratchDir dir;
  std::string path = dir.file("o.ntx");
  build(path, 5, {{"AAAAA", 1}, {"BBBBB", 2}, {"CCCCC", 3}}).reset();
  // Move the items of the single leaf in reverse slot order and permute the table.
  std::string b = read_bytes(path);
  const std::size_t base = 1024 + 2 + 2 * 67, item = 13;
  std::string page = b.substr(1024, 1024);
  for (int i = 0; i < 3; ++i) {
    std::size_t slot = 40 - i;  // slots far from the fresh layout
    patch(path, base + slot * item, b.substr(base + i * item, item));
    patch(path, 1024 + 2 + 2 * i, u16(static_cast<uint16_t>(2 + 2 * 67 + slot * item)));
  }
  patch(path, base, std::string(3 * item, '\xEE'));  // the old slots now hold rubbish
  auto f = NtxFile::open(path);
  Entries want = {{"AAAAA", 1}, {"BBBBB", 2}, {"CCCCC", 3}};
  EXPECT_EQ(walk(*f), want);
  f->insert("BBBBC", 4);
  want.insert(want.begin() + 2, {"BBBBC", 4});
  EXPECT_EQ(walk(*f), want);
}

// Every page of a multi-level file with its items scattered over the slots: the walk,
// seeks, check and updates all go through the offset tables.
TEST(NtxFile, ReadsAndUpdatesAFileWithScatteredSlots) {
  ScratchDir dir;
  std::string path = dir.file("s.ntx");
  Entries e = random_entries(3000, 20, 11, 5);
  build(path, 20, e).reset();
  std::string b = read_bytes(path);
  const std::size_t max = ntx::max_items_for(20), item = 28, base = 2 + 2 * (max + 1);
  std::mt19937 rng(4);
  for (std::size_t page = 1024; page < b.size(); page += 1024) {
    std::string old = b.substr(page, 1024);
    std::vector<std::size_t> slots(max + 1);
    for (std::size_t i = 0; i <= max; ++i) slots[i] = i;
    std::shuffle(slots.begin(), slots.end(), rng);
    for (std::size_t i = 0; i <= max; ++i) {
      std::size_t from = ntx::get16(reinterpret_cast<const unsigned char*>(old.data()) + 2 + 2 * i);
      b.replace(page + base + slots[i] * item, item, old.substr(from, item));
      b.replace(page + 2 + 2 * i, 2, u16(static_cast<uint16_t>(base + slots[i] * item)));
    }
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << b;
  auto f = NtxFile::open(path);
  EXPECT_EQ(walk(*f), sorted(e));
  ASSERT_TRUE(f->check(3000).ok());
  for (std::size_t i = 0; i < e.size(); i += 97) EXPECT_TRUE(f->go_to(e[i].first, e[i].second));
  for (std::size_t i = 0; i < e.size(); i += 3) ASSERT_TRUE(f->remove(e[i].first, e[i].second));
  f->insert("AAAA", 9999);
  auto r = f->check();
  ASSERT_TRUE(r.ok()) << r.faults.front();
  EXPECT_EQ(r.keys, 2001u);
}

// After inserts, removes, splits and merges another reader (Perl's XBase index_dump)
// still walks the file in our order.
TEST(NtxFile, UpdatedFileReadsTheSameInAnotherReader) {
  if (std::system("command -v index_dump >/dev/null 2>&1") != 0) GTEST_SKIP() << "index_dump missing";
  ScratchDir dir;
  std::string path = dir.file("x.ntx");
  Entries e = random_entries(1500, 24, 21, 6);
  auto f = build(path, 24, e);
  std::mt19937 rng(3);
  for (int i = 0; i < 2500; ++i) {
    if (rng() % 2) {
      std::string k(24, 'A');
      for (auto& c : k) c = static_cast<char>('A' + rng() % 6);
      f->insert(k, 2000 + static_cast<uint32_t>(i));
    } else {
      auto& victim = e[rng() % e.size()];
      if (victim.second) f->remove(victim.first, victim.second);
      victim.second = 0;
    }
  }
  std::string ours;
  for (auto& [k, r] : walk(*f)) ours += std::to_string(r) + "\n";
  f.reset();
  std::string cmd = "index_dump --type char " + path + " ntx 2>/dev/null | awk '{print $NF}'";
  std::string theirs;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) theirs += buf;
    ::pclose(p);
  }
  EXPECT_GT(ours.size(), 5000u);
  EXPECT_EQ(theirs, ours);
}

TEST(NtxFile, BadFilesGiveErrorObjects) {
  ScratchDir dir;
  std::string good = dir.file("g.ntx");
  build(good, 10, random_entries(2000, 10, 5)).reset();
  const std::string bytes = read_bytes(good);
  auto expect_corrupt = [&](const std::string& content, const char* what) {
    std::string p = dir.file("bad.ntx");
    std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
    try {
      auto f = NtxFile::open(p);
      // The header may pass; then walking or checking must report the fault.
      auto r = f->check(2000);
      Entries w;
      try {
        w = walk(*f);
      } catch (const ErrorException& e) {
        EXPECT_EQ(e.error().gen_code, gen::kCorruption) << what;
        return;
      }
      EXPECT_FALSE(r.ok()) << what;
    } catch (const ErrorException& e) {
      EXPECT_EQ(e.error().subsystem, "DBFNTX") << what;
      EXPECT_TRUE(e.error().gen_code == gen::kCorruption || e.error().gen_code == gen::kOpen) << what;
    }
  };
  expect_corrupt("", "empty file");
  expect_corrupt(bytes.substr(0, 700), "cut in the header");
  expect_corrupt(bytes.substr(0, bytes.size() - 1024), "root cut off");
  expect_corrupt(bytes.substr(0, bytes.size() / 2), "half the pages gone");
  std::string b = bytes;
  b[0] = 9;
  expect_corrupt(b, "signature");
  b = bytes;
  b.replace(14, 2, u16(300));
  expect_corrupt(b, "key size");
  b = bytes;
  b.replace(4, 4, u32(0x7FFFFC00));
  expect_corrupt(b, "root beyond the file");
  b = bytes;
  b.replace(1024, 2, u16(200));
  expect_corrupt(b, "count above the maximum");
  // A child pointer back to the root: a loop, caught by the depth bound and the walk.
  uint32_t root = ntx::get32(reinterpret_cast<const unsigned char*>(bytes.data()) + 4);
  b = bytes;
  std::size_t item0 = ntx::get16(reinterpret_cast<const unsigned char*>(bytes.data()) + root + 2);
  b.replace(root + item0, 4, u32(root));
  expect_corrupt(b, "loop");
  b = bytes;
  b.replace(root + 2, 2, u16(1020));
  expect_corrupt(b, "item outside the page");
  std::mt19937 rng(9);
  for (int i = 0; i < 40; ++i) {
    b = bytes;
    for (int k = 0; k < 30; ++k) b[1024 + rng() % (b.size() - 1024)] = static_cast<char>(rng());
    std::string p = dir.file("rnd.ntx");
    std::ofstream(p, std::ios::binary | std::ios::trunc) << b;
    try {
      auto f = NtxFile::open(p);
      f->check(2000);
      int steps = 0;
      for (bool ok = f->go_top(); ok && steps < 5000; ok = f->next()) ++steps;
    } catch (const ErrorException& e) {
      EXPECT_EQ(e.error().subsystem, "DBFNTX");
    }
  }
}

TEST(NtxFile, SharedAndExclusiveOpening) {
  ScratchDir dir;
  std::string path = dir.file("s.ntx");
  build(path, 6, random_entries(100, 6, 2)).reset();
  NtxOptions shared;
  shared.share = NtxShare::Shared;
  auto a = NtxFile::open(path, shared);
  auto b = NtxFile::open(path, shared);
  try {
    NtxFile::open(path);
    FAIL() << "exclusive open beside a shared one";
  } catch (const ErrorException& e) {
    EXPECT_EQ(e.error().gen_code, gen::kOpen);
    EXPECT_EQ(e.error().os_code, 32);
    EXPECT_TRUE(e.error().can_default);
  }
  try {
    NtxFile::create(path, "KEY", 6, 0, NtxBuildInput(6));
    FAIL() << "create over a file in use";
  } catch (const ErrorException& e) {
    EXPECT_EQ(e.error().gen_code, gen::kCreate);
    EXPECT_EQ(e.error().os_code, 51);
  }
  EXPECT_TRUE(b->check(100).ok());  // the refused create truncated nothing

  // One handle's update is seen by the other through the header stamp.
  ASSERT_TRUE(b->go_top());
  std::string first = b->key();
  uint32_t first_rec = b->recno();
  a->insert("      ", 500);
  EXPECT_TRUE(b->go_top());
  EXPECT_EQ(b->recno(), 500u);
  ASSERT_TRUE(b->go_to(first, first_rec));
  a->remove(first, first_rec);
  // b's position is gone: the next entry is the one after it.
  ASSERT_TRUE(b->next());
  EXPECT_NE(b->recno(), first_rec);
  EXPECT_EQ(walk(*b), walk(*a));
  EXPECT_TRUE(b->check(0).ok());
}

}  // namespace
}  // namespace xbase
