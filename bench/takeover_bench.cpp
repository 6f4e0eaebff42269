// Takeover speed: 10,000 persons from tools/gen-payroll taken over, once from one
// company and once from 100 companies, into a small installation; each run from a
// fresh copy of the installation, on a headless console, timed from the start of the
// run (the payroll directory given) to its end (tables packed and indexed, report
// written). Beside each, a pure read-and-write bound of the same bytes: reading every
// file of the payroll tables the run reads, writing the new year and dependants
// records once and syncing them.
//
//   bench_takeover_bench [DIR] [runs]   DIR: scratch directory (default: a temporary
//                                       one, removed afterwards; an installation
//                                       already in DIR/VIRDA23 is reused); runs: per case,
//                                       default 5; the best and the median are shown
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_program.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "shell/shared_access.h"
#include "store/tools/demo_data.h"
#include "support/error_handler.h"
#include "takeover/takeover_run.h"
#include "takeover/tools/payroll_gen.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPersons = 10000;

struct Result {
  double ms = 0, cpu = 0;
  int persons = 0, dependants = 0;
};

// One takeover of every bulk company of `payroll` into a copy of `program`.
Result take_over(const std::string& program_template, const std::string& payroll,
                 const std::string& scratch) {
  fs::remove_all(scratch);
  fs::copy(program_template, scratch, fs::copy_options::recursive);
  BenchStation station(scratch);
  shell::Context& ctx = station.ctx;
  station.areas.set_deleted(true);
  if (!shell::NYITOGAT(ctx, true)) std::exit(1);

  takeover::Request req;
  req.payroll_dir = payroll;
  for (const fs::directory_entry& e : fs::directory_iterator(payroll)) {
    std::string name = e.path().filename().string();
    if (name.size() == 6 && name.substr(3) == ".23" && name >= "010") req.companies.push_back(name.substr(0, 3));
  }
  Result r;
  double t0 = now_ms(), c0 = cpu_ms();
  takeover::Outcome out = takeover::run_takeover(ctx, req);
  r.ms = now_ms() - t0;
  r.cpu = cpu_ms() - c0;
  for (const takeover::CompanyResult& c : out.companies) {
    r.persons += c.persons;
    r.dependants += c.dependants;
  }
  return r;
}

// Reads every file of the payroll's bulk company directories, then writes `bytes`
// to a scratch file and syncs it.
double read_write_bound(const std::string& payroll, long long bytes, const std::string& scratch) {
  std::vector<char> buf(1 << 20);
  double t0 = now_ms();
  for (const fs::directory_entry& d : fs::directory_iterator(payroll)) {
    std::string name = d.path().filename().string();
    if (!d.is_directory() || name.substr(3) != ".23" || name < "010") continue;
    for (const fs::directory_entry& f : fs::directory_iterator(d.path())) {
      int fd = ::open(f.path().c_str(), O_RDONLY);
      if (fd < 0) continue;
      while (::read(fd, buf.data(), buf.size()) > 0) {
      }
      ::close(fd);
    }
  }
  int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (long long left = bytes; left > 0;) {
    ssize_t n = ::write(fd, buf.data(), static_cast<size_t>(std::min<long long>(left, buf.size())));
    if (n <= 0) break;
    left -= n;
  }
  ::fsync(fd);
  ::close(fd);
  double ms = now_ms() - t0;
  fs::remove(scratch);
  return ms;
}

// Record lengths of the program's year and dependants tables.
long long record_bytes(const std::string& program, int persons, int dependants) {
  xbase::WorkAreas areas;
  areas.use(program + "/virda23.dbf", "", xbase::OpenMode::Shared, true);
  long long year = areas.current().table()->record_length();
  areas.select(2);
  areas.use(program + "/eltar23.dbf", "", xbase::OpenMode::Shared, true);
  long long dep = areas.current().table()->record_length();
  return year * persons + dep * dependants;
}

}  // namespace

int main(int argc, char** argv) {
  BenchInstallation installation(argc > 1 ? argv[1] : nullptr, "takeover-bench");
  int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  store::demo::Options o;
  o.persons = 300;
  o.companies = 3;
  if (!installation.ensure(o, now_ms)) return 1;
  const std::string dir = installation.base();
  const std::string program = installation.dir();

  std::printf("%-22s %8s %10s %8s %10s %10s %9s\n", "case", "persons", "dependants", "best ms",
              "median ms", "best cpu", "bound ms");
  for (int companies : {1, 100}) {
    std::string payroll = dir + "/kvad" + std::to_string(companies);
    takeover::gen::Options g;
    g.companies = companies;
    g.persons = kPersons;
    g.seed = 7;
    takeover::gen::generate_payroll(payroll, g);
    std::vector<double> times, bounds, cpus;
    Result last;
    for (int i = 0; i < runs; ++i) {
      last = take_over(program, payroll, dir + "/run");
      times.push_back(last.ms);
      cpus.push_back(last.cpu);
      bounds.push_back(read_write_bound(
          payroll, record_bytes(dir + "/run", last.persons, last.dependants), dir + "/bound.tmp"));
    }
    std::sort(times.begin(), times.end());
    std::sort(bounds.begin(), bounds.end());
    std::sort(cpus.begin(), cpus.end());
    std::string name = std::to_string(kPersons) + " in " + std::to_string(companies) +
                       (companies == 1 ? " company" : " companies");
    std::printf("%-22s %8d %10d %8.0f %10.0f %10.0f %9.0f\n", name.c_str(), last.persons,
                last.dependants, times.front(), times[times.size() / 2], cpus.front(), bounds.front());
  }
  return 0;
}
