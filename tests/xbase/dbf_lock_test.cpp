// Sharing between processes: open modes, record and file locks, appends under the
// file lock, a process killed in the middle of appending. Each case forks children
// that open the table themselves, as another workstation would.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "common/forked_process.h"
#include "dbf_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using testing::person_structure;
using testing::ScratchDir;

using Child = mvirda_test::ForkedProcess;
using mvirda_test::say_ready;
using mvirda_test::wait_parent;

// A child that opens the table in `mode`, takes `lock` ("", "rlock:N", "flock"), says
// ready and holds it until the parent lets go.
int hold(const std::string& path, bool exclusive, const std::string& lock, int in, int out) {
  WorkAreas wa;
  if (!wa.use(path, "", exclusive ? OpenMode::Exclusive : OpenMode::Shared)) return 2;
  WorkArea& a = wa.current();
  if (lock == "flock" && !a.flock()) return 3;
  if (lock.rfind("rlock:", 0) == 0) {
    a.go_to(static_cast<uint32_t>(std::stoul(lock.substr(6))));
    if (!a.rlock()) return 3;
  }
  say_ready(out);
  wait_parent(in);
  return 0;
}

// The answer a fresh process gets when it tries `mode`/`lock` once.
bool probe(const std::string& path, bool exclusive, const std::string& lock = "") {
  Child c([&](int, int) {
    WorkAreas wa;
    wa.set_error_handler([](Error&) { return ErrorAnswer::fallback(); });
    if (!wa.use(path, "", exclusive ? OpenMode::Exclusive : OpenMode::Shared)) return 1;
    WorkArea& a = wa.current();
    if (lock == "flock") return a.flock() ? 0 : 1;
    if (lock.rfind("rlock:", 0) == 0) {
      a.go_to(static_cast<uint32_t>(std::stoul(lock.substr(6))));
      return a.rlock() ? 0 : 1;
    }
    return 0;
  });
  return c.finish() == 0;
}

class DbfLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.file("t.dbf");
    WorkAreas wa;
    ASSERT_TRUE(wa.create(path_, person_structure()));
    ASSERT_TRUE(wa.use(path_));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(wa.current().append_blank());
  }
  ScratchDir dir_;
  std::string path_;
};

TEST_F(DbfLocks, ExclusiveAndSharedOpensExcludeEachOther) {
  {
    Child holder([&](int in, int out) { return hold(path_, true, "", in, out); });
    ASSERT_TRUE(holder.ready());
    EXPECT_FALSE(probe(path_, false));
    EXPECT_FALSE(probe(path_, true));
    EXPECT_EQ(holder.finish(), 0);
  }
  {
    Child holder([&](int in, int out) { return hold(path_, false, "", in, out); });
    ASSERT_TRUE(holder.ready());
    EXPECT_TRUE(probe(path_, false));
    EXPECT_FALSE(probe(path_, true));
    // The open error object of a sharing violation.
    WorkAreas wa;
    try {
      wa.use(path_, "", OpenMode::Exclusive);
      ADD_FAILURE();
    } catch (const ErrorException& ex) {
      EXPECT_EQ(ex.error().gen_code, gen::kOpen);
      EXPECT_EQ(ex.error().sub_code, 1001);
      EXPECT_EQ(ex.error().os_code, 32);
      EXPECT_TRUE(ex.error().can_default);
    }
    // A create never wipes a table another process holds: error 20, osCode 51.
    try {
      DbfTable::create(path_, person_structure());
      ADD_FAILURE();
    } catch (const ErrorException& ex) {
      EXPECT_EQ(ex.error().gen_code, gen::kCreate);
      EXPECT_EQ(ex.error().os_code, 51);
    }
    EXPECT_EQ(DbfTable::open(path_, false)->record_count(), 3u);
    EXPECT_EQ(holder.finish(), 0);
  }
  EXPECT_TRUE(probe(path_, true));
}

TEST_F(DbfLocks, RecordAndFileLocksConflictAcrossProcesses) {
  {
    Child holder([&](int in, int out) { return hold(path_, false, "rlock:2", in, out); });
    ASSERT_TRUE(holder.ready());
    EXPECT_FALSE(probe(path_, false, "rlock:2"));
    EXPECT_TRUE(probe(path_, false, "rlock:1"));
    EXPECT_FALSE(probe(path_, false, "flock"));
    EXPECT_EQ(holder.finish(), 0);
  }
  {
    Child holder([&](int in, int out) { return hold(path_, false, "flock", in, out); });
    ASSERT_TRUE(holder.ready());
    EXPECT_FALSE(probe(path_, false, "rlock:3"));
    EXPECT_FALSE(probe(path_, false, "flock"));
    // An append needs the new record's lock, which the file lock covers.
    WorkAreas wa;
    wa.set_error_handler([](Error& e) {
      EXPECT_EQ(e.gen_code, gen::kAppendLock);
      return ErrorAnswer::fallback();
    });
    ASSERT_TRUE(wa.use(path_, "", OpenMode::Shared));
    EXPECT_FALSE(wa.current().append_blank());
    EXPECT_TRUE(wa.neterr());
    EXPECT_EQ(holder.finish(), 0);
  }
  EXPECT_TRUE(probe(path_, false, "flock"));
}

TEST_F(DbfLocks, LocksDieWithTheProcessAndUnlockReleasesThem) {
  Child holder([&](int in, int out) { return hold(path_, false, "rlock:1", in, out); });
  ASSERT_TRUE(holder.ready());
  EXPECT_FALSE(probe(path_, false, "rlock:1"));
  holder.kill();
  EXPECT_TRUE(probe(path_, false, "rlock:1"));

  WorkAreas wa;
  ASSERT_TRUE(wa.use(path_, "", OpenMode::Shared));
  WorkArea& a = wa.current();
  ASSERT_TRUE(a.flock());
  EXPECT_FALSE(probe(path_, false, "rlock:2"));
  a.unlock();
  EXPECT_TRUE(probe(path_, false, "rlock:2"));
  a.go_to(2);
  ASSERT_TRUE(a.rlock());
  a.go_to(3);
  ASSERT_TRUE(a.rlock());  // RLOCK gives up the previous record's lock
  EXPECT_TRUE(probe(path_, false, "rlock:2"));
  EXPECT_FALSE(probe(path_, false, "rlock:3"));
  // A second table handle in this process closing does not drop our locks.
  DbfTable::open(path_, false)->close();
  EXPECT_FALSE(probe(path_, false, "rlock:3"));
  wa.close_all();
  EXPECT_TRUE(probe(path_, false, "rlock:3"));
}

TEST_F(DbfLocks, ARereadSeesWhatAnotherProcessCommitted) {
  WorkAreas wa;
  ASSERT_TRUE(wa.use(path_, "", OpenMode::Shared));
  WorkArea& a = wa.current();
  a.go_to(2);
  EXPECT_EQ(a.get("NEV").as_str(), std::string(20, ' '));
  Child writer([&](int, int) {
    WorkAreas w;
    if (!w.use(path_, "", OpenMode::Shared)) return 2;
    WorkArea& b = w.current();
    b.go_to(2);
    if (!b.rlock()) return 3;
    b.put("NEV", Value::str("KOVACS"));
    b.commit();
    b.unlock();
    if (!b.append_blank()) return 4;
    b.put("NEV", Value::str("UJ"));
    b.commit();
    return 0;
  });
  ASSERT_EQ(writer.finish(), 0);
  a.skip(0);
  EXPECT_EQ(a.get("NEV").as_str().substr(0, 6), "KOVACS");
  a.go_bottom();  // the bottom is found from the file size under shared access
  EXPECT_EQ(a.recno(), 4u);
  EXPECT_EQ(a.get("NEV").as_str().substr(0, 2), "UJ");
}

TEST_F(DbfLocks, TwoProcessesAppendingUnderFileLockNeverOverwriteEachOther) {
  constexpr int kEach = 10000;
  auto appender = [&](const char* who) {
    return [&, who](int, int) {
      WorkAreas wa;
      if (!wa.use(path_, "", OpenMode::Shared)) return 2;
      WorkArea& a = wa.current();
      for (int i = 0; i < kEach; ++i) {
        while (!a.flock()) ::usleep(50);
        if (!a.append_blank()) return 3;
        a.put("VKOD", Value::str(who));
        a.put("OSSZEG", Value::num(i));
        a.unlock();
      }
      return 0;
    };
  };
  Child one(appender("AAA")), two(appender("BBB"));
  EXPECT_EQ(one.finish(), 0);
  EXPECT_EQ(two.finish(), 0);

  WorkAreas wa;
  ASSERT_TRUE(wa.use(path_));
  WorkArea& a = wa.current();
  ASSERT_EQ(a.lastrec(), 3u + 2 * kEach);
  std::vector<int> next_a(1, 0), next_b(1, 0);
  int seen_a = 0, seen_b = 0;
  for (a.go_to(4); !a.eof(); a.skip()) {
    std::string who = a.get("VKOD").as_str();
    int n = static_cast<int>(a.get("OSSZEG").as_num());
    if (who == "AAA") ASSERT_EQ(n, seen_a++);  // each process's records in its own order
    else if (who == "BBB") ASSERT_EQ(n, seen_b++);
    else FAIL() << "damaged record " << a.recno();
  }
  EXPECT_EQ(seen_a, kEach);
  EXPECT_EQ(seen_b, kEach);
  std::string b = testing::read_file(path_);
  EXPECT_EQ(static_cast<unsigned char>(b[4]) | (static_cast<unsigned char>(b[5]) << 8),
            (3 + 2 * kEach) & 0xFFFF);
}

TEST_F(DbfLocks, AKilledAppenderLeavesAReadableTableWithEveryCommittedRecord) {
  Child appender([&](int, int out) {
    WorkAreas wa;
    if (!wa.use(path_, "", OpenMode::Shared)) return 2;
    WorkArea& a = wa.current();
    for (int i = 0;; ++i) {
      if (!a.append_blank()) return 3;
      a.put("NEV", Value::str("COMMITTED"));
      a.put("OSSZEG", Value::num(i));
      a.commit();
      a.unlock();
      if (i == 50) say_ready(out);
    }
  });
  ASSERT_TRUE(appender.ready());
  ::usleep(20000);
  appender.kill();

  WorkAreas wa;
  ASSERT_TRUE(wa.use(path_));
  WorkArea& a = wa.current();
  ASSERT_GT(a.lastrec(), 50u);
  int expect = 0;
  for (a.go_to(4); !a.eof(); a.skip()) {
    std::string nev = a.get("NEV").as_str();
    if (a.recno() == a.lastrec() && nev == std::string(20, ' ')) break;  // appended, not filled
    ASSERT_EQ(nev.substr(0, 9), "COMMITTED") << a.recno();
    ASSERT_EQ(a.get("OSSZEG").as_num(), expect++);
  }
}

}  // namespace
}  // namespace xbase
