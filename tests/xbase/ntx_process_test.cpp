// Several processes on one index: a writer inserting and removing under the index lock
// while a reader seeks and walks, and two writers at once. The reader must never see a
// torn page or keys out of order; afterwards the index is sound and holds every key.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <set>

#include "xbase/ntx_file.h"
#include "xbase/ntx_order.h"
#include "xbase/ntx_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using ntx_test::ScratchDir;

std::string key_of(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "K%07d", i);
  return buf;
}

NtxOptions shared_opts() {
  NtxOptions o;
  o.share = NtxShare::Shared;
  return o;
}

// Runs `body` in a child process; the child's exit status tells whether it succeeded.
template <typename F>
pid_t spawn(F body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int rc = 1;
    try {
      rc = body() ? 0 : 1;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: %s\n", e.what());
    }
    ::_exit(rc);
  }
  return pid;
}

int wait_ok(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(NtxProcess, ReaderNeverSeesATornIndexWhileAWriterUpdates) {
  ScratchDir dir;
  std::string path = dir.file("p.ntx");
  ntx_test::Entries initial;
  for (int i = 0; i < 2000; i += 2) initial.emplace_back(key_of(i), static_cast<uint32_t>(i + 1));
  ntx_test::build(path, 8, initial).reset();

  pid_t writer = spawn([&] {
    auto f = NtxFile::open(path, shared_opts());
    std::mt19937 rng(1);
    for (int n = 0; n < 3000; ++n) {
      int i = 2 * static_cast<int>(rng() % 1000) + 1;  // odd keys come and go
      if (!f->remove(key_of(i), static_cast<uint32_t>(i + 1))) f->insert(key_of(i), static_cast<uint32_t>(i + 1));
    }
    for (int i = 1; i < 2000; i += 2) f->insert(key_of(i), static_cast<uint32_t>(i + 100000));
    return true;
  });

  auto f = NtxFile::open(path, shared_opts());
  std::mt19937 rng(2);
  int rounds = 0;
  while (::waitpid(writer, nullptr, WNOHANG) == 0 || rounds < 50) {
    ++rounds;
    // Every even key stays in the index the whole time.
    int i = 2 * static_cast<int>(rng() % 1000);
    bool found = false;
    ASSERT_TRUE(f->seek(key_of(i), &found));
    ASSERT_TRUE(found) << key_of(i);
    ASSERT_EQ(f->recno(), static_cast<uint32_t>(i + 1));
    std::string prev = f->key();
    for (int s = 0; s < 30 && f->next(); ++s) {
      ASSERT_LE(prev, f->key());
      prev = f->key();
    }
    if (rounds > 20000) break;
  }
  int status = 0;
  ::waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  auto r = f->check();
  ASSERT_TRUE(r.ok()) << r.faults.front();
  for (int i = 1; i < 2000; i += 2) {
    bool found = false;
    f->seek(key_of(i), &found);
    EXPECT_TRUE(found) << key_of(i);
  }
}

TEST(NtxProcess, TwoWritersAtOnceLoseNothing) {
  ScratchDir dir;
  std::string path = dir.file("w.ntx");
  ntx_test::build(path, 8, {}).reset();
  auto writer = [&](int first) {
    return spawn([&, first] {
      auto f = NtxFile::open(path, shared_opts());
      for (int i = first; i < 3000; i += 2) f->insert(key_of(i), static_cast<uint32_t>(i + 1));
      for (int i = first; i < 3000; i += 10) f->remove(key_of(i), static_cast<uint32_t>(i + 1));
      return true;
    });
  };
  pid_t a = writer(0), b = writer(1);
  EXPECT_EQ(wait_ok(a), 0);
  EXPECT_EQ(wait_ok(b), 0);
  auto f = NtxFile::open(path);
  auto r = f->check(3000, [](uint32_t rec) -> std::optional<std::string> {
    int i = static_cast<int>(rec) - 1;
    if ((i % 2 == 0 && i % 10 == 0) || (i % 2 == 1 && (i - 1) % 10 == 0)) return std::nullopt;
    return key_of(i);
  });
  ASSERT_TRUE(r.ok()) << r.faults.front();
  EXPECT_EQ(r.keys, 3000u - 600u);
}

// Table level: one process appends and changes key fields under record locks while
// another seeks and skips in key order through the same shared index.
TEST(NtxProcess, TableWriterAndReaderShareTheIndex) {
  ScratchDir dir;
  {
    WorkAreas areas;
    ASSERT_TRUE(areas.create(dir.file("t.dbf"), {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 10, 0}}));
    ASSERT_TRUE(areas.use(dir.file("t")));
    for (int i = 0; i < 300; ++i) {
      areas.current().append_blank();
      areas.current().put("VKOD", Value::str("001"));
      areas.current().put("NEV", Value::str(key_of(i).substr(0, 10)));
    }
    NtxOrder::index_on(areas.current(), dir.file("t"), "vkod+nev", ntx_key_function(areas, "vkod+nev"));
  }
  auto open_shared = [&](WorkAreas& areas) {
    areas.set_exclusive(false);
    if (!areas.use(dir.file("t"))) return false;
    areas.current().add_order(NtxOrder::open(areas.current(), dir.file("t"), ntx_key_function(areas, "vkod+nev")));
    return true;
  };
  pid_t writer = spawn([&] {
    WorkAreas areas;
    if (!open_shared(areas)) return false;
    WorkArea& a = areas.current();
    for (int i = 0; i < 200; ++i) {
      if (!a.append_blank()) return false;
      a.put("VKOD", Value::str("002"));
      a.put("NEV", Value::str(key_of(1000 + i).substr(0, 10)));
      a.unlock();
      a.go_to(1 + static_cast<uint32_t>(i % 300));  // move a record to company 003
      if (!a.rlock()) return false;
      a.put("VKOD", Value::str("003"));
      a.unlock();
    }
    return true;
  });
  WorkAreas areas;
  ASSERT_TRUE(open_shared(areas));
  WorkArea& a = areas.current();
  int rounds = 0;
  while (::waitpid(writer, nullptr, WNOHANG) == 0 && rounds < 5000) {
    ++rounds;
    a.seek(Value::str("001"), true);
    std::string prev;
    for (int s = 0; s < 40 && !a.eof(); ++s, a.skip(1)) {
      std::string k = a.get("VKOD").as_str() + a.get("NEV").as_str();
      ASSERT_LE(prev, k) << "round " << rounds;
      prev = k;
    }
  }
  int status = 0;
  ::waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Afterwards every record is found under its key and the index checks sound.
  a.skip(0);
  uint32_t n = a.lastrec();
  ASSERT_EQ(n, 500u);
  auto* order = static_cast<NtxOrder*>(a.controlling_order());
  std::vector<std::string> keys(n + 1);
  for (uint32_t r = 1; r <= n; ++r) {
    a.go_to(r);
    keys[r] = order->current_key();
  }
  auto res = order->file().check(n, [&](uint32_t r) { return std::optional<std::string>(keys[r]); });
  ASSERT_TRUE(res.ok()) << res.faults.front();
  for (uint32_t r = 1; r <= n; r += 7) {
    EXPECT_TRUE(a.seek(Value::str(keys[r]))) << r;
  }
}

}  // namespace
}  // namespace xbase
