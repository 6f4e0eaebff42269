// Person form speed: an installation with 100,000 persons, 75,000 dependants and 999
// companies is generated once; then the whole program runs on a headless console
// with a script of keys, each given after the screen answered the one before, and
// for every kind of key the time from the key to the program's next wait is taken.
//
// Measured, on persons across the whole table (the quick search lands on a company
// spread over the codes, "M" opens its first person): opening a person (page 1 and
// its menu); each page move; "Javít" and the PgDn walk of page 1; "Tárolás"
// (derived amounts, lock, checks, write, commit, the browse again); a new person over
// six pages; the dependants button; a new dependant stored. The share of the time
// spent in fsync is shown beside.
//
//   bench_person_form_bench [DIR]   DIR: where DIR/VIRDA23 is generated (or reused
//                                   when it holds the tables; the run adds persons
//                                   and dependants); default: a temporary directory
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/idle_services.h"
#include "bench_keys.h"
#include "bench_program.h"
#include "entry/browse_screen.h"
#include "entry/help.h"
#include "store/identifiers.h"

namespace {

double g_fsync_ms = 0;

}  // namespace

// Every fsync of the program passes here, so that the benchmark can tell how much
// of a store is the disk's.
extern "C" int fsync(int fd) {
  using Fsync = int (*)(int);
  static Fsync real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
  const double t = now_ms();
  const int rc = real(fd);
  g_fsync_ms += now_ms() - t;
  return rc;
}

namespace {

namespace key = console::key;

// A valid tax identifier from eight digits after a "9" (no generated person has
// one); a number without a check digit is passed over.
std::string new_tax_id(int& serial) {
  for (;;) {
    char nine[16];
    std::snprintf(nine, sizeof nine, "9%08d", serial++ % 100000000);
    const int check = store::ids::tax_id_check_digit(nine);
    if (check >= 0) return std::string(nine) + static_cast<char>('0' + check);
  }
}

// A dependant's tax identifier: born on 2 March 2015 (days 54116 from 1867).
std::string child_tax_id(int& serial) {
  for (;;) {
    char nine[16];
    std::snprintf(nine, sizeof nine, "854116%03d", serial++ % 1000);
    const int check = store::ids::tax_id_check_digit(nine);
    if (check >= 0) return std::string(nine) + static_cast<char>('0' + check);
  }
}

std::string new_taj(int serial) {
  char eight[16];
  std::snprintf(eight, sizeof eight, "1%07d", serial % 10000000);
  return std::string(eight) + static_cast<char>('0' + store::ids::taj_check_digit(eight));
}

// The quick search to the first person of company `code`.
void to_company(Script& s, int code) {
  char c[8];
  std::snprintf(c, sizeof c, "%03d", code % 1000);
  s.key('g');
  s.text(c);
  s.key(key::kEnter);
}

}  // namespace

int main(int argc, char** argv) {
  BenchInstallation inst(argc > 1 ? argv[1] : nullptr, "person-form-bench");
  const std::string dir = inst.dir();
  ::setenv("VIRDA_DRIVE", inst.base().c_str(), 1);
  store::demo::Options o;
  o.persons = 100000;
  o.companies = 999;
  o.dependants = 75000;
  if (!inst.ensure(o, now_ms)) return 1;
  if (::chdir(dir.c_str()) != 0) return 1;

  auto backend = std::make_unique<TimingBackend>();
  TimingBackend& t = *backend;
  t.side_clock = [] { return g_fsync_ms; };
  Script s{t.script};
  if (!std::filesystem::exists("elsoind.jel")) s.key(key::kEnter);  // the first-start box
  s.key(key::kEnter);                                                 // the processing date
  s.key('1');

  // Existing persons across the table: view, move, correct page 1, store.
  for (int round = 0; round < 20; ++round) {
    to_company(s, 1 + round * 50);
    s.key('M', "open a person (page 1 and its menu)");
    s.key('K', "next page", 5);
    s.key('E', "previous page", 5);
    s.key('J', "Javit: page 1 read");
    s.key(key::kPgDn, "PgDn walk of page 1 to its menu");
    s.key('T', "Tarolas (amounts, lock, checks, write, commit, browse)");
  }

  // New persons over six pages, and their dependants. The tax identifiers differ
  // from run to run, so that a reused installation takes them as new.
  int serial = static_cast<int>(::time(nullptr) % 1000000) * 100;
  for (int round = 0; round < 10; ++round) {
    s.key('F', "new person: F until page 1 waits");
    s.text("001" + new_tax_id(serial), "new person: a key on page 1");
    s.key(key::kEnter, "new person: a key on page 1");
    s.text("MEN", "new person: a key on page 1");
    s.key(key::kEnter, "new person: a key on page 1");
    s.text("1", "new person: a key on page 1");
    s.key(key::kPgDn, "new person: PgDn walk of a page to its menu");
    for (int page = 2; page <= 6; ++page) {
      s.key('K', "new person: next page");
      s.key(key::kPgDn, "new person: PgDn walk of a page to its menu");
    }
    s.key('T', "new person: Tarolas");
  }
  for (int round = 0; round < 10; ++round) {
    to_company(s, 25 + round * 97);
    s.key('M');
    s.key('K', "", 3);
    s.key('J');
    s.key(key::kEnter, "dependants button until the browse waits");
    s.key('F', "new dependant: F until the form waits");
    s.text("1Kis");
    s.key(key::kEnter);
    s.text("Anna");
    s.key(key::kEnter);
    s.text("Maria");
    s.key(key::kEnter);
    s.text(child_tax_id(serial) + new_taj(round));
    s.key(key::kEnter, "", 2);
    s.key(key::kPgDn);
    s.text("11111111111");
    s.key('1', "new dependant: last month code (checks, lock, write, commit, browse)");
    s.key(key::kEsc, "leave the dependants browse (page 4 again)");
    s.key(key::kEsc);
    s.key('I');
  }
  s.key(key::kEsc);
  s.key(key::kEsc);  // the main menu: the program ends

  shell::ShellServices services = mvirda_test::idle_services();
  services.help = entry::HELP;
  services.browse_persons = [](shell::Context& c) { entry::DBEDFELV(c); };
  BenchProgram program(std::move(backend));  // keeps the terminal with its figures
  int code = program.run(services);
  print(t, "fsync");
  if (!t.script.empty()) {
    std::fprintf(stderr, "person_form_bench: the program ended with %zu keys left\n",
                 t.script.size());
    return 1;
  }
  return code;
}
