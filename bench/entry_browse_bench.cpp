// Data entry speed: an installation with 100,000 persons and 999 companies is
// generated once; then the whole program runs on a headless console with a script of
// keys, as a clerk would press them one by one, each after the screen has answered
// the one before. For every kind of key the time from the key to the program's next
// wait for a key is taken (the screen drawn, the user function called).
//
// Measured: Enter on main-menu items 1 and 5 until the browse waits; PgDn, PgUp,
// Down and Up across a page edge, Ctrl+PgDn and Ctrl+PgUp in both browses; each key
// of a quick search; "M" on a company until the form waits; a company search by form
// that scans every company; a company deletion with its persons.
//
//   bench_entry_browse_bench [DIR]   DIR: where DIR/VIRDA23 is generated (or reused
//                                    when it holds the tables; the run deletes one
//                                    company); default: a temporary directory
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/idle_services.h"
#include "bench_keys.h"
#include "bench_program.h"
#include "console/backend.h"
#include "console/console.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "entry/browse_screen.h"
#include "entry/help.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "shell/program.h"
#include "store/tools/demo_data.h"
#include "support/error_handler.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

namespace fs = std::filesystem;
namespace key = console::key;

// Moves and searches in a browse of `rows` visible rows.
void navigate(Script& s, const std::string& which, int rows, const std::string& quick) {
  s.key(key::kPgDn, which + " PgDn", 20);
  s.key(key::kPgUp, which + " PgUp", 20);
  s.key(key::kCtrlPgDn, which + " Ctrl+PgDn", 5);
  s.key(key::kCtrlPgUp, which + " Ctrl+PgUp", 5);
  s.key(key::kCtrlPgUp);
  s.key(key::kDown, "", rows - 1);  // to the last row of the window
  s.key(key::kDown, which + " Down across a page edge", 20);
  s.key(key::kUp, "", rows - 1);  // to the first row
  s.key(key::kUp, which + " Up across a page edge", 20);
  for (int round = 0; round < 5; ++round) {
    s.key('g', which + " quick search: g");
    s.text(quick, which + " quick search: a key of the text");
    s.key(key::kEnter, which + " quick search: Enter");
  }
}

}  // namespace

int main(int argc, char** argv) {
  BenchInstallation inst(argc > 1 ? argv[1] : nullptr, "entry-browse-bench");
  const std::string dir = inst.dir();
  ::setenv("VIRDA_DRIVE", inst.base().c_str(), 1);
  store::demo::Options o;
  o.persons = 100000;
  o.companies = 999;
  if (!inst.ensure(o, now_ms)) return 1;
  if (::chdir(dir.c_str()) != 0) return 1;

  auto backend = std::make_unique<TimingBackend>();
  TimingBackend& t = *backend;
  Script s{t.script};
  if (!fs::exists("elsoind.jel")) s.key(key::kEnter);  // the first-start box
  s.key(key::kEnter);                                    // the processing date
  for (int round = 0; round < 5; ++round) {
    s.key('5', "Enter on item 5 until the browse waits");
    s.key(key::kEsc);
    s.key('1', "Enter on item 1 until the browse waits");
    s.key(key::kEsc);
  }
  // The companies: 15 rows under their two-line headings.
  s.key('5');
  navigate(s, "companies:", 14, "500");
  for (int round = 0; round < 5; ++round) {
    s.key(key::kCtrlPgUp);
    s.key(key::kDown, "", round * 100);
    s.key('M', "companies: M until the form waits");
    s.key(key::kEsc);
    s.key('I');
  }
  for (int round = 0; round < 3; ++round) {
    s.key('K');
    s.key(key::kEnter);
    s.text("Nincs ilyen nevu ceg");
    s.key(key::kPgDn, "companies: search by form over every company");
    s.key(key::kEnter);  // "Nem található..."
  }
  for (int round = 0; round < 3; ++round) {
    s.key(key::kCtrlPgUp);
    s.key(key::kDown, "", 200 + round * 250);
    s.key('T');
    s.key('I');
    s.key('I', "companies: deletion with its persons");
  }
  s.key(key::kEsc);
  // The persons: 16 rows under their one-line headings.
  s.key('1');
  navigate(s, "persons:", 15, "500kov");
  s.key(key::kEsc);
  s.key(key::kEsc);  // the main menu: the program ends

  shell::ShellServices services = mvirda_test::idle_services();
  services.help = entry::HELP;
  services.browse_persons = [](shell::Context& c) { entry::DBEDFELV(c); };
  services.browse_companies = [](shell::Context& c) { entry::DBEDFELV(c); };
  BenchProgram program(std::move(backend));  // keeps the terminal with its figures
  int code = program.run(services);
  print(t);
  if (!t.script.empty()) {
    std::fprintf(stderr, "entry_browse_bench: the program ended with %zu keys left\n",
                 t.script.size());
    return 1;
  }
  return code;
}
