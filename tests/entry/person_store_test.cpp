// Storing the person form beside another workstation (a forked process): the busy
// year table, the entries kept after a given-up wait, no lock while the form is
// open, the same new certificate from two stations, a record deleted meanwhile; and
// a number too large for its field, told before any lock.
#include <chrono>
#include <memory>
#include <thread>

#include "entry/record_store.h"
#include "person_test_util.h"
#include "stations_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

const std::vector<std::string> kIndexes = {"virda23", "virda232"};

// "M" on Kovács Péter, "Javít", company 002, the page read to its end.
void change_company(Install& in) {
  in.keys({'M', 'J'});
  in.type("002");
  in.keys({key::kPgDn});
}

TEST(PersonStore, TarolasWaitsForTheBusyYearTableAndStoresOnRelease) {
  Persons p;
  Install& in = p.in;
  Other other = other_station(in.s.dir, "virda23", {}, [](xbase::WorkArea& a) { return a.flock(); });
  ASSERT_TRUE(other.ready());
  Steps steps(in);
  change_company(in);
  in.keys({'T'});
  steps.then([&] { in.keys({key::kEsc}); });  // the browse again: stored
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    other.go();
  });
  p.run();
  release.join();
  EXPECT_EQ(other.finish(), 0);
  const Screen* wait = shown_on_row(p.term(), 18, "Várakozás foglalt állományra...");
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(at(*wait, 16, 20, 41), "┌" + xbase::replicate("─", 39) + "┐");
  EXPECT_EQ(at(*wait, 22, 20, 41), "└" + xbase::replicate("─", 39) + "┘");
  EXPECT_EQ(wait->at(18, 30).attr, 0x4f);  // "w+/r"
  EXPECT_EQ(person_row(in, 1, {"vkod", "nev"}), "vkod=002 nev=Kovács Péter");
}

TEST(PersonStore, AGivenUpWaitKeepsTheEntriesForALaterStore) {
  Persons p;
  Install& in = p.in;
  Other other = other_station(in.s.dir, "virda23", {}, [](xbase::WorkArea& a) { return a.flock(); });
  ASSERT_TRUE(other.ready());
  in.s.term->esc_after = 1;  // Esc in the wait window
  Steps steps(in);
  change_company(in);
  in.keys({'T'});
  steps.then([&] { in.keys({'V'}); });  // "Vissza az adatokhoz"
  steps.then([&] {                      // page 1 again, shown with the entries
    in.s.term->esc_after = -1;
    other.go();
    other.ready();
    in.keys({'T'});
  });
  steps.then([&] { in.keys({key::kEsc}); });
  p.run();
  EXPECT_EQ(other.finish(), 0);
  const console::HeadlessBackend& t = p.term();
  const Screen* ask = shown(t, 17, 23, "Az adatok nincsenek tárolva: az állomány foglalt.");
  ASSERT_NE(ask, nullptr);
  const Screen* again = menu_of_page(t, 1, static_cast<std::size_t>(ask - t.waits().data()));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(at(*again, 0, 30, 9), "Módosítás");
  EXPECT_EQ(at(*again, 2, 7, 3), "002");
  EXPECT_EQ(person_row(in, 1, {"vkod", "nev"}), "vkod=002 nev=Kovács Péter");
}

TEST(PersonStore, AnOpenFormHoldsNoLock) {
  Persons p;
  Install& in = p.in;
  Steps steps(in);
  std::unique_ptr<Other> other;
  in.keys({'M', 'J'});
  steps.then([&] {  // the read waits: the other station takes the whole table
    other = std::make_unique<Other>([dir = in.s.dir](int down, int up) {
      xbase::WorkAreas areas;
      if (!areas.use(dir + "/virda23", "", xbase::OpenMode::Shared)) return 2;
      if (!areas.current().flock()) return 3;
      areas.current().unlock();
      mvirda_test::say_ready(up);
      mvirda_test::wait_parent(down);
      return 0;
    });
    other->ready();
    in.keys({key::kEsc, 'I', key::kEsc});
  });
  p.run();
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->finish(), 0);
}

TEST(PersonStore, TheSameNewCertificateFromTwoStationsIsStoredOnce) {
  Persons p;
  Install& in = p.in;
  Other other = other_station(in.s.dir, "virda23", kIndexes, nullptr, [](xbase::WorkArea& a) {
    a.flock();
    a.append_blank();
    a.put("vkod", xbase::Value::str("001"));
    a.put("szemszam", xbase::Value::str("8123456786"));
    a.put("nyilat", xbase::Value::str("M"));
    a.put("nev", xbase::Value::str("A masik"));
    a.commit();
    a.unlock();
  });
  ASSERT_TRUE(other.ready());
  Steps steps(in);
  new_person_page1(in, "8123456786", "Szabó", "Anna");
  steps.then([&] {  // the kind passed its check; meanwhile the other station stores it
    other.go();
    other.ready();
    for (int page = 2; page <= 6; ++page) in.keys({'K', key::kPgDn});
    in.keys({'T'});
  });
  steps.then([&] { in.keys({key::kEnter}); });  // "Ez már volt…"
  steps.then([&] {                              // page 1 again with the entries: kind "K"
    in.keys({key::kDown, key::kDown, key::kDown});
    in.type("K");
    in.keys({key::kPgDn});
    for (int page = 2; page <= 6; ++page) in.keys({'K', key::kPgDn});
    in.keys({'T'});
  });
  steps.then([&] { in.keys({key::kEsc}); });
  p.run();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(count_shown(p.term(), 18, "Ez már volt. Nem lehet újra felvinni !"), 1);
  std::vector<std::string> rows = in.rows("virda23", {"szemszam", "nyilat", "nev"});
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2], "8123456786,M,A masik");
  EXPECT_EQ(rows[3], "8123456786,K,Szabó Anna");
}

TEST(PersonStore, APersonDeletedMeanwhileIsStoredAsNewOnRequest) {
  Persons p;
  Install& in = p.in;
  Other other = other_station(in.s.dir, "virda23", {}, nullptr, delete_record_1);
  ASSERT_TRUE(other.ready());
  Steps steps(in);
  in.keys({'M'});
  steps.then([&] {  // page 1 shown; meanwhile the other station deletes the person
    other.go();
    other.ready();
    in.keys({'T'});
  });
  steps.then([&] { in.keys({key::kEnter}); });  // "Újként tárolja"
  steps.then([&] { in.keys({key::kEsc}); });
  p.run();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_NE(shown_on_row(p.term(), 17, "A tételt közben egy másik munkaállomás törölte."), nullptr);
  EXPECT_EQ(in.rows("virda23", {"nev"}),
            (std::vector<std::string>{"*Kovács Péter", "Nagy Béla", "Kovács Péter"}));
  EXPECT_EQ(person_row(in, 3, {"jovedelem", "ekhos_95"}), "jovedelem=5400000 ekhos_95=28500");
}

TEST(PersonStore, ANumberTooLargeForItsFieldIsToldBeforeAnyLock) {
  Persons p;
  Install& in = p.in;
  xbase::WorkArea& persons = in.s.areas.current();
  shell::BEOLV(in.ctx);
  Form form(in.ctx, FormMode::Modify, persons.recno());
  in.s.vars.assign("XJOVEDELEM", xbase::Value::num(1'000'000'000));  // ten digits in N 9
  bool locked_while_shown = true;
  in.s.term->before_untimed_wait = [&] { locked_while_shown = persons.table()->file_locked(); };
  in.keys({key::kEnter});
  EXPECT_EQ(store_record(form, "Xvkod+Xszemszam+Xnyilat", 2), StoreResult::BackToForm);
  EXPECT_NE(shown_on_row(p.term(), 24, "Túl nagy szám: 001 Kovács Péter"), nullptr);
  EXPECT_FALSE(locked_while_shown);
  EXPECT_EQ(person_row(in, 1, {"jovedelem"}), "jovedelem=5400000");
}

}  // namespace
}  // namespace entry
