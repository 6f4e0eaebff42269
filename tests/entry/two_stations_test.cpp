// Two workstations on one installation: a forked process holds a lock or changes the
// company table the way another workstation would, while this one stores a form or
// deletes from the browse.
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

#include "entry/browse_screen.h"
#include "entry_test_util.h"
#include "xbase/ntx_order.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

// Keys given to the program in steps: each step runs when the program waits for a
// key without a time-out and the keys of the step before are used up.
struct Steps {
  std::deque<std::function<void()>> steps;
  explicit Steps(Install& in) {
    in.s.term->before_untimed_wait = [this, &in] {
      if (in.s.term->keys_left() == 0 && !steps.empty()) {
        auto step = std::move(steps.front());
        steps.pop_front();
        step();
      }
    };
  }
  void then(std::function<void()> f) { steps.push_back(std::move(f)); }
};

// The other workstation: opens `file` shared with its indexes, runs `hold` (a lock),
// says it is ready, waits for the word, runs `then` and lets everything go.
Other other_station(const std::string& dir, const std::string& file,
                    std::vector<std::string> indexes,
                    std::function<bool(xbase::WorkArea&)> hold,
                    std::function<void(xbase::WorkArea&)> then = {}) {
  return Other([=](int down, int up) {
    xbase::WorkAreas areas;
    if (!areas.use(dir + "/" + file, "", xbase::OpenMode::Shared)) return 2;
    for (const std::string& ix : indexes)
      areas.current().add_order(xbase::NtxOrder::open(areas, dir + "/" + ix));
    if (hold && !hold(areas.current())) return 3;
    mvirda_test::say_ready(up);
    mvirda_test::wait_parent(down);
    if (then) then(areas.current());
    areas.current().commit();
    areas.close_all();
    mvirda_test::say_ready(up);
    return 0;
  });
}

void companies(Install& in) {
  in.company("001", "Alfa Kft.", {{"kozter", "utca"}, {"adoszam", "10000001000"}});
  in.company("002", "Béta Bt.", {{"kozter", "tér"}, {"adoszam", "10000001001"}});
  in.person("001", "Kovács Anna", "8123456789");
  in.person("001", "Nagy Béla", "8123456790");
  in.open();
}

// "M" on the first company and a new name, up to the PgDn that stores it.
void rename_first(Install& in, const char* name) {
  in.keys({'M'});
  in.type(name);
  in.keys({key::ctrl('y'), key::kPgDn});
}

TEST(TwoStations, StoringWaitsForTheFileLockAndStoresOnRelease) {
  Install in;
  companies(in);
  in.select("VALLAL");
  Other other = other_station(in.s.dir, "vallal", {}, [](xbase::WorkArea& a) { return a.flock(); });
  ASSERT_TRUE(other.ready());
  Steps steps(in);
  rename_first(in, "Alfa Zrt.");
  steps.then([&] {  // the browse again: stored
    in.keys({key::kEsc});
  });
  // The other one lets go after a while.
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    other.go();
  });
  DBEDFELV(in.ctx);
  release.join();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(in.rows("vallal", {"vnev"}), (std::vector<std::string>{"Alfa Zrt.", "Béta Bt."}));
  const Screen* wait = shown_on_row(*in.s.term, 18, "Várakozás foglalt állományra...");
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(at(*wait, 16, 20, 41), "┌" + xbase::replicate("─", 39) + "┐");
  EXPECT_EQ(at(*wait, 22, 20, 41), "└" + xbase::replicate("─", 39) + "┘");
  EXPECT_EQ(xbase::alltrim(at(*wait, 20, 21, 39)), "ESC - kilépés");
  EXPECT_EQ(wait->at(18, 30).attr, 0x4f);  // "w+/r"
}

TEST(TwoStations, AGivenUpLockKeepsTheEntriesForALaterStore) {
  Install in;
  companies(in);
  in.select("VALLAL");
  Other other = other_station(in.s.dir, "vallal", {}, [](xbase::WorkArea& a) { return a.flock(); });
  ASSERT_TRUE(other.ready());
  in.s.term->esc_after = 1;  // Esc in the wait window
  Steps steps(in);
  rename_first(in, "Alfa Zrt.");
  steps.then([&] { in.keys({'V'}); });  // "Vissza az adatokhoz"
  steps.then([&] {                      // the form again, with the entries
    in.s.term->esc_after = -1;
    other.go();
    other.ready();
    in.keys({key::kPgDn});
  });
  steps.then([&] { in.keys({key::kEsc}); });
  DBEDFELV(in.ctx);
  EXPECT_EQ(other.finish(), 0);
  const console::HeadlessBackend& t = *in.s.term;
  const Screen* ask = shown(t, 17, 23, "Az adatok nincsenek tárolva: az állomány foglalt.");
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(at(*ask, 19, 23, 13), "Újra próbálja");
  EXPECT_EQ(at(*ask, 20, 23, 19), "Vissza az adatokhoz");
  int reopened = 0;
  for (const Screen& s : t.waits())
    if (at(s, 0, 30, 9) == "Módosítás" && at(s, 3, 46, 9) == "Alfa Zrt.") ++reopened;
  EXPECT_GE(reopened, 1);
  EXPECT_EQ(in.rows("vallal", {"vnev"}), (std::vector<std::string>{"Alfa Zrt.", "Béta Bt."}));
}

TEST(TwoStations, PersonDeletionWaitsForTheRecordLock) {
  Install in;
  companies(in);
  in.select("VIRDA");
  Other other = other_station(in.s.dir, "virda23", {}, [](xbase::WorkArea& a) {
    a.go_to(1);
    return a.rlock();
  });
  ASSERT_TRUE(other.ready());
  in.s.term->esc_after = 1;
  Steps steps(in);
  in.keys({'T', 'I', 'I'});  // Esc in the wait: nothing deleted
  steps.then([&] {
    in.s.term->esc_after = -1;
    other.go();
    other.ready();
    in.keys({'T', 'I', 'I'});
  });
  steps.then([&] { in.keys({key::kEsc}); });
  DBEDFELV(in.ctx);
  EXPECT_EQ(other.finish(), 0);
  EXPECT_NE(shown_on_row(*in.s.term, 18, "Várakozás foglalt rekordra..."), nullptr);
  EXPECT_EQ(in.rows("virda23", {"nev"}), (std::vector<std::string>{"*Kovács Anna", "Nagy Béla"}));
}

TEST(TwoStations, ACompanyDeletionGivenUpAtEitherLockDeletesNothing) {
  for (const char* held : {"persons", "company"}) {
    SCOPED_TRACE(held);
    Install in;
    companies(in);
    in.select("VALLAL");
    const bool persons = std::string(held) == "persons";
    Other other = other_station(in.s.dir, persons ? "virda23" : "vallal", {},
                                [persons](xbase::WorkArea& a) {
                                  if (persons) return a.flock();
                                  a.go_to(1);
                                  return a.rlock();
                                });
    ASSERT_TRUE(other.ready());
    in.s.term->esc_after = 1;  // Esc in the wait window
    Steps steps(in);
    in.keys({'T', 'I', 'I'});
    steps.then([&] { in.keys({key::kEsc}); });
    DBEDFELV(in.ctx);
    other.go();
    EXPECT_EQ(other.finish(), 0);
    EXPECT_NE(shown_on_row(*in.s.term, 18,
                           persons ? "Várakozás foglalt állományra..." : "Várakozás foglalt rekordra..."),
              nullptr);
    EXPECT_EQ(in.rows("vallal", {"vkod"}), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(in.rows("virda23", {"nev"}), (std::vector<std::string>{"Kovács Anna", "Nagy Béla"}));
    // Nothing is left locked.
    EXPECT_FALSE(in.s.areas.find("VIRDA")->table()->file_locked());
  }
}

TEST(TwoStations, TheSameNewCodeFromTwoStationsIsStoredOnce) {
  Install in;
  companies(in);
  in.select("VALLAL");
  Other other = other_station(in.s.dir, "vallal", {"vallal"}, nullptr, [](xbase::WorkArea& a) {
    a.flock();
    a.append_blank();
    a.put("vkod", xbase::Value::str("500"));
    a.put("vnev", xbase::Value::str("A masik"));
    a.commit();
    a.unlock();
  });
  ASSERT_TRUE(other.ready());
  Steps steps(in);
  in.keys({'F'});
  in.type("500");  // not there yet: on to the name
  in.type("Ötszázas Kft.");
  in.keys({key::kPgDn});
  in.type("utca");
  steps.then([&] {  // meanwhile the other workstation stores 500
    other.go();
    other.ready();
    in.keys({key::kPgDn, key::kEnter});  // the tax number's message
    in.type("10000001000");
    in.keys({key::kPgDn});
  });
  steps.then([&] { in.keys({key::kEnter}); });  // "Ez már volt…"
  steps.then([&] { in.keys({key::kEsc, 'I'}); });  // back in the add form: leave it
  steps.then([&] { in.keys({key::kEsc}); });
  DBEDFELV(in.ctx);
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(in.rows("vallal", {"vkod", "vnev"}),
            (std::vector<std::string>{"001,Alfa Kft.", "002,Béta Bt.", "500,A masik"}));
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, 18, "Ez már volt. Nem lehet újra felvinni !"), 1);
  int reopened = 0;
  for (const Screen& s : t.waits())
    if (at(s, 0, 31, 8) == "Felvitel" && at(s, 3, 46, 13) == "Ötszázas Kft." &&
        at(s, 17, 11, 11) == "10000001000" && s.row_utf8(18).find("Ez már") == std::string::npos)
      ++reopened;
  EXPECT_GE(reopened, 1);
}

TEST(TwoStations, AFormWhoseRecordWasDeletedMeanwhileStoresItAsNewOrDropsIt) {
  for (int keep : {1, 2}) {
    SCOPED_TRACE(keep);
    Install in;
    companies(in);
    in.select("VALLAL");
    Other other = other_station(in.s.dir, "vallal", {"vallal"}, nullptr, [](xbase::WorkArea& a) {
      a.go_to(1);
      a.rlock();
      a.delete_record();
      a.commit();
      a.unlock();
    });
    ASSERT_TRUE(other.ready());
    Steps steps(in);
    in.keys({'M'});
    in.type("Alfa Zrt.");
    steps.then([&] {
      other.go();
      other.ready();
      in.keys({key::ctrl('y'), key::kPgDn});
    });
    steps.then([&] { in.keys({key::kEsc}); });  // Esc asks again
    steps.then([&] { in.keys({keep == 1 ? key::kEnter : 'E'}); });
    steps.then([&] { in.keys({key::kEsc}); });
    DBEDFELV(in.ctx);
    EXPECT_EQ(other.finish(), 0);
    EXPECT_EQ(count_shown(*in.s.term, 17, "A tételt közben egy másik munkaállomás törölte."), 2);
    std::vector<std::string> want = {"*001,Alfa Kft.", "002,Béta Bt."};
    if (keep == 1) want.push_back("001,Alfa Zrt.");
    EXPECT_EQ(in.rows("vallal", {"vkod", "vnev"}), want);
  }
}

}  // namespace
}  // namespace entry
