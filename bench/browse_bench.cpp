// Table browse speed: a table of a million records browsed on a headless console,
// in natural order and through an NTX index on the name; each PgDn, PgUp and
// Ctrl+PgDn is a full repaint of a 15-row page with six columns (five from the
// record and one computed). Prints the mean time per key.
//
//   bench_browse_bench [records]      (default 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

#include "console/browse_dbedit.h"
#include "console/headless.h"
#include "console/keys.h"
#include "xbase/dbf_format.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Record i has the name "N" + (i·7919 mod n), so the name order shuffles the records.
void write_table(const std::string& path, long n) {
  xbase::Structure st = {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}, {"SZEMSZAM", 'C', 10, 0},
                         {"OSSZEG", 'N', 10, 0}, {"HELYSEG", 'C', 20, 0}, {"UTCA", 'C', 30, 0}};
  std::ofstream out(path, std::ios::binary);
  out << xbase::build_dbf_header(st, static_cast<uint32_t>(n), 2023, 1, 1);
  std::string buf;
  for (long i = 1; i <= n; ++i) {
    char rec[160];
    long key = (i * 7919) % n;
    std::snprintf(rec, sizeof rec, " %03ldN%07ld%-12s8%09ld%10ld%-20s%-30s", i % 1000, key, "", i % 1000000000L, i,
                  "Budapest", "Fo utca 1.");
    buf.append(rec, 1 + 3 + 20 + 10 + 10 + 20 + 30);
    if (buf.size() > (1u << 20)) {
      out << buf;
      buf.clear();
    }
  }
  out << buf;
  out.put(0x1A);
}

// Runs one browse with `keys` presses of `key` (then Esc); returns ms per key.
double run(console::Console& con, console::HeadlessBackend& term, xbase::WorkAreas& areas, int key,
           int keys) {
  std::vector<std::string> exprs = {"vkod", "nev", "szemszam", "osszeg", "helyseg",
                                    "PADR(TRIM(helyseg)+' '+utca,40)"};
  std::vector<std::string> heads = {std::string(HU("Cég")),    std::string(HU("Név")),
                                    std::string(HU("Adóazonosító")), std::string(HU("Összeg")),
                                    std::string(HU("Helység")), std::string(HU("Cím"))};
  auto cols = console::browse_columns(areas, exprs, {"", "", "@R XXXXXXXXXX"}, &heads);
  for (int i = 0; i < keys; ++i) term.key(key);
  term.key(console::key::kEsc);
  areas.current().go_top();
  auto t = Clock::now();
  console::dbedit(con, areas.current(), 4, 1, 20, 78, cols);
  return ms_since(t) / keys;
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string base = std::filesystem::temp_directory_path().string() + "/browsebench-XXXXXX";
  std::string dir = ::mkdtemp(base.data());

  auto t = Clock::now();
  write_table(dir + "/virda23.dbf", n);
  std::printf("table of %ld records written in %.0f ms\n", n, ms_since(t));

  auto backend = std::make_unique<console::HeadlessBackend>();
  console::HeadlessBackend& term = *backend;
  console::Console con(std::move(backend));
  xbase::WorkAreas areas;
  if (!areas.use(dir + "/virda23")) {
    std::fprintf(stderr, "cannot open the table\n");
    return 1;
  }
  const int kKeys = 500;
  double nat_pgdn = run(con, term, areas, console::key::kPgDn, kKeys);
  double nat_ctrl = run(con, term, areas, console::key::kCtrlPgDn, 20);
  std::printf("natural order: PgDn %.3f ms, Ctrl+PgDn %.3f ms per key with repaint\n", nat_pgdn, nat_ctrl);

  t = Clock::now();
  areas.current().add_order(xbase::NtxOrder::index_on(areas.current(), dir + "/virda23", "vkod+nev",
                                                       xbase::ntx_key_function(areas, "vkod+nev")));
  std::printf("index on vkod+nev built in %.0f ms\n", ms_since(t));
  double pgdn = run(con, term, areas, console::key::kPgDn, kKeys);
  double ctrl = run(con, term, areas, console::key::kCtrlPgDn, 20);
  // PgUp from the bottom of the index.
  for (int i = 0; i < kKeys; ++i) term.key(console::key::kPgUp);
  term.key(console::key::kEsc);
  areas.current().go_bottom();
  auto cols = console::browse_columns(areas, {"vkod", "nev", "szemszam", "osszeg"}, {}, nullptr);
  t = Clock::now();
  console::dbedit(con, areas.current(), 4, 1, 20, 78, cols);
  double pgup = ms_since(t) / kKeys;
  std::printf("index order: PgDn %.3f ms, PgUp %.3f ms, Ctrl+PgDn %.3f ms per key with repaint\n", pgdn, pgup,
              ctrl);
  areas.close_all();
  std::filesystem::remove_all(dir);
  return 0;
}
