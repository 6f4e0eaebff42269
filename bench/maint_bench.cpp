// Backup and restore speed against 7-Zip's own: an installation with 100,000
// persons (75,000 dependants, 1,000 companies) is generated once; then, several
// times each, on the same files:
//
//   7-Zip backup    "7zz a -tzip" of the installation's "*.db?" and "*.pdf" files
//   our backup      locks, the copy into the work directory, the archiver on the
//                   copy, the rename over the archive (a new archive each time)
//   7-Zip restore   "7zz e -tzip" of that archive into an empty directory
//   our restore     the listing, the extraction, the table check, the swap under
//                   its journal (the index rebuild, the submenu's, apart)
//
// The best and the median of the runs are printed; the goal is our figure within
// 1.5 times 7-Zip's own.
//
//   bench_maint_bench [DIR] [runs]   DIR: where DIR/VIRDA23 is generated, or reused
//                                    when it holds the tables (default: a temporary
//                                    directory, removed afterwards); runs: default 5

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_program.h"
#include "maint/archiver.h"
#include "maint/backup.h"
#include "maint/restore.h"
#include "maint/restore_swap.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "store/tools/demo_data.h"
#include "support/error_handler.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

namespace fs = std::filesystem;
namespace pf = support::platform;

struct Figures {
  std::vector<double> ms;
  void add(double v) { ms.push_back(v); }
  double best() const { return *std::min_element(ms.begin(), ms.end()); }
  double median() const {
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }
};

std::vector<std::string> backup_names(const std::string& dir) {
  std::vector<std::string> out;
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.*")))
    if (maint::is_backup_name(e.name)) out.push_back(e.name);
  return out;
}

bool run_7zip(const std::string& program, const char* command, const std::vector<std::string>& sw,
              const std::vector<std::string>& operands, const std::string& dir) {
  maint::ArchiverRun r = maint::run_archiver(program, command, sw, operands, dir);
  if (!r.ok()) std::fprintf(stderr, "7-Zip %s: %d %s\n", command, r.code, r.last_line.c_str());
  return r.ok();
}

}  // namespace

int main(int argc, char** argv) {
  std::string base = argc > 1 ? argv[1] : "";
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  bool temporary = base.empty();
  if (temporary) base = fs::temp_directory_path().string() + "/maint_bench." + std::to_string(::getpid());
  base = fs::absolute(base).string();
  const std::string dir = base + "/VIRDA23";
  ::setenv("VIRDA_DRIVE", base.c_str(), 1);
  struct Cleanup {
    std::string path;
    bool on;
    ~Cleanup() {
      if (on) fs::remove_all(path);
    }
  } cleanup{base, temporary};

  if (!fs::exists(dir + "/virda23.dbf")) {
    double t0 = now_ms();
    store::demo::Options o;
    o.persons = 100000;
    auto s = store::demo::generate_installation(base, o);
    std::printf("generated %s: %d companies, %d persons, %d dependants (%.1f s)\n",
                s.program_dir.c_str(), s.companies, s.persons, s.dependants, (now_ms() - t0) / 1e3);
  }
  std::string program = maint::find_archiver();
  if (program.empty()) {
    std::fprintf(stderr, "no 7-Zip (Debian package 7zip)\n");
    return 1;
  }
  std::vector<std::string> names = backup_names(dir);
  long long bytes = 0;
  for (const std::string& n : names) bytes += pf::file_size(pf::join(dir, n));
  std::printf("archiver %s; %zu files, %.1f MB\n", program.c_str(), names.size(), bytes / 1e6);

  const std::string plain = base + "/plain", ours = base + "/ours", out = base + "/out";
  fs::create_directories(plain);
  fs::create_directories(ours);
  Figures zip_a, our_backup, zip_e, our_restore;
  BenchStation station(dir);
  // MAINT_BENCH_STEPS=1: where the restore's time goes, step by step.
  static double step_from = 0;
  if (std::getenv("MAINT_BENCH_STEPS"))
    maint::set_restore_step_hook([](std::string_view step) {
      if (step == "old-moved" || step == "new-moved") return;
      double t = now_ms();
      std::printf("  %-16.*s %6.0f ms\n", static_cast<int>(step.size()), step.data(), t - step_from);
      step_from = t;
    });
  for (int i = 0; i < runs; ++i) {
    fs::remove(plain + "/virda23#.zip");
    std::vector<std::string> operands = {plain + "/virda23#.zip"};
    operands.insert(operands.end(), names.begin(), names.end());
    double t0 = now_ms();
    if (!run_7zip(program, "a", {}, operands, dir)) return 1;
    zip_a.add(now_ms() - t0);

    fs::remove(ours + "/virda23#.zip");
    t0 = now_ms();
    maint::Result b = maint::backup(station.ctx, ours);
    our_backup.add(now_ms() - t0);
    if (b.outcome != maint::Outcome::Done) {
      std::fprintf(stderr, "backup failed: %s\n", b.archiver_line.c_str());
      return 1;
    }

    fs::remove_all(out);
    fs::create_directories(out);
    t0 = now_ms();
    if (!run_7zip(program, "e", {"-o" + out}, {plain + "/virda23#.zip"}, "")) return 1;
    zip_e.add(now_ms() - t0);

    t0 = now_ms();
    step_from = t0;
    shell::StartupGuard guard;
    maint::Result r = maint::restore(station.ctx, ours, guard);
    our_restore.add(now_ms() - t0);
    if (r.outcome != maint::Outcome::Done) {
      std::fprintf(stderr, "restore failed: %s %s\n", r.name.c_str(), r.archiver_line.c_str());
      return 1;
    }
  }
  auto line = [](const char* what, const Figures& f) {
    std::printf("%-16s best %8.0f ms   median %8.0f ms\n", what, f.best(), f.median());
  };
  line("7-Zip backup", zip_a);
  line("our backup", our_backup);
  line("7-Zip restore", zip_e);
  line("our restore", our_restore);
  std::printf("backup  %.2f x 7-Zip (best), %.2f x (median)\n", our_backup.best() / zip_a.best(),
              our_backup.median() / zip_a.median());
  std::printf("restore %.2f x 7-Zip (best), %.2f x (median)\n", our_restore.best() / zip_e.best(),
              our_restore.median() / zip_e.median());
  return 0;
}
