// Start-up speed: an installation with 100,000 persons (75,000 dependants, 1,000
// companies) and its index files is generated once; then the program's start is run
// several times, each in a fresh process (this program started again), on a
// headless console. Enter takes the processing date, Esc leaves the main menu.
//
// Each start is timed from the launch of the process to the moment the title screen
// waits for the processing date, and from the Enter there to the moment the main
// menu waits for its first key. The start is the one of the first workstation in:
// it checks the table upgrade, gives Hungarian citizens their country code and
// checks the index files, as every first start of a day does. A last series starts
// after an unclean end (the marker "gond.baj" left behind), which deletes and rebuilds
// all four index files before the menu.
//
//   bench_startup_bench [DIR] [runs]   DIR: where DIR/VIRDA23 is generated, or reused
//                                      when it already holds the tables (default: a
//                                      temporary directory, removed afterwards);
//                                      runs: warm starts, default 7 (half as
//                                      many cold ones and rebuilding ones follow)
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/idle_services.h"
#include "bench_clock.h"
#include "console/backend.h"
#include "console/console.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "print/settings.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "shell/program.h"
#include "bench_program.h"
#include "store/tools/demo_data.h"
#include "support/error_handler.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPersons = 100000;

// The moments of one start, in CLOCK_MONOTONIC milliseconds (the same clock in
// every process).
struct Marks {
  double main_entered = 0;  // the start routine begins
  double title_waits = 0;   // the title screen waits for the processing date
  double menu_waits = 0;    // the main menu waits for its first key
  long peak_kib = 0;        // the process's peak resident memory at the menu
};

// The peak resident memory of this process since it was started (VmHWM).
long peak_kib() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kib = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::atol(line + 6);
  std::fclose(f);
  return kib;
}

// Drops the installation's files from the page cache, as after a reboot: the next
// start reads them from the disk.
void evict(const std::string& dir) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir, ec)) {
    if (!e.is_regular_file(ec)) continue;
    int fd = ::open(e.path().c_str(), O_RDONLY);
    if (fd < 0) continue;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

// A terminal with scripted keys that notes when the title screen and the main menu
// first wait for a key.
class TimingBackend : public console::Backend {
 public:
  explicit TimingBackend(Marks& marks) : marks_(marks) {}
  void key(int code) { script_.push_back(console::KeyEvent{code, 0}); }

  void present(const console::Screen& screen) override {
    if (marks_.title_waits == 0) title_ = screen.row_utf8(24).find("dátuma") != std::string::npos;
    if (marks_.menu_waits == 0)
      menu_ = screen.row_utf8(3).find("SZJA ADATSZOLGÁLTATÁS v") != std::string::npos;
  }
  std::optional<console::KeyEvent> read_key(int timeout_ms) override {
    if (timeout_ms != 0) {
      double t = now_ms();
      if (title_ && marks_.title_waits == 0) marks_.title_waits = t;
      if (menu_ && marks_.menu_waits == 0) {
        marks_.menu_waits = t;
        marks_.peak_kib = peak_kib();
      }
    }
    if (script_.empty()) {
      // Nothing more to answer: Esc, so a question the script did not foresee
      // ends instead of hanging.
      return timeout_ms < 0 ? std::optional(console::KeyEvent{console::key::kEsc, 0})
                            : std::nullopt;
    }
    console::KeyEvent k = script_.front();
    script_.pop_front();
    return k;
  }
  bool has_colours() const override { return true; }

 private:
  Marks& marks_;
  std::deque<console::KeyEvent> script_;
  bool title_ = false;
  bool menu_ = false;
};

// One start in this process, in the installation directory `dir`; the marks go to
// `out_fd`.
int run_start(const std::string& dir, int out_fd) {
  Marks marks;
  marks.main_entered = now_ms();
  if (::chdir(dir.c_str()) != 0) return 1;
  auto b = std::make_unique<TimingBackend>(marks);
  TimingBackend* term = b.get();
  // The first-start box (only on the very first start), the processing date, the
  // main menu.
  if (!fs::exists("elsoind.jel")) term->key(console::key::kEnter);
  term->key(console::key::kEnter);
  term->key(console::key::kEsc);

  shell::ShellServices services = mvirda_test::idle_services();
  services.start.kons_ini = print::KONS_INI;
  services.start.konsbe = print::KONSBE;
  services.beallit = print::BEALLIT;
  // The change notes are not part of the start's figure.
  int code = BenchProgram(std::move(b)).run(services);
  if (::write(out_fd, &marks, sizeof marks) != static_cast<ssize_t>(sizeof marks)) return 1;
  return code;
}

struct StartFigures {
  double to_title = 0;  // ms from the launch to the title screen's wait
  double to_menu = 0;   // ms from the Enter on the date to the main menu's wait
  double in_main = 0;   // ms of the start routine alone (title + menu)
  long peak_kib = 0;
};

// Launches this program again for one start and collects its figures.
bool one_start(const std::string& self, const std::string& dir, StartFigures* out) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  double launched = now_ms();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    ::execl(self.c_str(), self.c_str(), "--start", dir.c_str(), fd.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  Marks m;
  ssize_t got = ::read(fds[0], &m, sizeof m);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (got != static_cast<ssize_t>(sizeof m) || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      m.title_waits == 0 || m.menu_waits == 0)
    return false;
  out->to_title = m.title_waits - launched;
  out->to_menu = m.menu_waits - m.title_waits;
  out->in_main = m.menu_waits - m.main_entered;
  out->peak_kib = m.peak_kib;
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--start") == 0) return run_start(argv[2], std::atoi(argv[3]));

  BenchInstallation inst(argc > 1 ? argv[1] : nullptr, "startup-bench");
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const std::string base = inst.base();
  std::string dir = inst.dir();
  std::string self = fs::read_symlink("/proc/self/exe").string();
  // The drive root holding VIRDA23, so the directory check passes as at a user's.
  ::setenv("VIRDA_DRIVE", base.c_str(), 1);
  store::demo::Options o;
  o.persons = kPersons;
  if (!inst.ensure(o, now_ms)) return 1;

  // A first start: the first-start box, and any upgrade of a new installation, are
  // not what is measured.
  StartFigures f;
  if (!one_start(self, dir, &f)) {
    std::fprintf(stderr, "startup_bench: the first start failed\n");
    return 1;
  }
  // Warm starts (the files in the page cache, as for every start but the first one
  // after a reboot), then cold ones.
  struct Series {
    const char* name;
    bool cold;
    bool unclean;  // the previous run ended without closing: every index is rebuilt
    int runs;
  };
  const Series series[] = {{"warm", false, false, runs},
                           {"cold", true, false, std::max(1, runs / 2)},
                           {"rebuild", false, true, std::max(1, runs / 2)}};
  std::printf("%-8s %14s %14s %14s %14s %10s\n", "start", "launch->title", "Enter->menu",
              "launch->menu", "in program", "peak");
  for (const Series& ser : series) {
    std::vector<double> totals, titles, menus, inside;
    long peak = 0;
    for (int i = 1; i <= ser.runs; ++i) {
      if (ser.cold) evict(dir);
      if (ser.unclean) std::fclose(std::fopen((dir + "/gond.baj").c_str(), "w"));
      if (!one_start(self, dir, &f)) {
        std::fprintf(stderr, "startup_bench: %s start %d failed\n", ser.name, i);
        return 1;
      }
      std::printf("%-7s %-3d %8.1f ms %11.1f ms %11.1f ms %11.1f ms %6.1f MiB\n", ser.name, i,
                  f.to_title, f.to_menu, f.to_title + f.to_menu, f.in_main, f.peak_kib / 1024.0);
      titles.push_back(f.to_title);
      menus.push_back(f.to_menu);
      totals.push_back(f.to_title + f.to_menu);
      inside.push_back(f.in_main);
      peak = std::max(peak, f.peak_kib);
    }
    std::printf("%s median: launch->title %.1f ms, Enter->menu %.1f ms, launch->menu %.1f ms "
                "(best %.1f, worst %.1f), in program %.1f ms; peak memory %.1f MiB\n",
                ser.name, median(titles), median(menus), median(totals),
                *std::min_element(totals.begin(), totals.end()),
                *std::max_element(totals.begin(), totals.end()), median(inside), peak / 1024.0);
  }
  return 0;
}
