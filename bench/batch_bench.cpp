// The batch mode over generated installations (fixed seeds): "batch m30" over every
// certificate of 10,000 persons, without and with its XML files, against the same run
// called in-process (the batch's own share: its start, locks, answers and progress),
// and "batch check" over 100,000 persons. Best of several runs (the machine may be shared), wall time.
//   bench_batch_bench [DIR] [runs]   DIR: where DIR/m30/VIRDA23 and DIR/check/VIRDA23
//                                    are generated, or reused (default: temporary)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench_clock.h"
#include "bench_program.h"
#include "certs/m30_run.h"
#include "efile/m30_xml_run.h"
#include "print/settings.h"
#include "batch/run.h"
#include "shell/shared_access.h"

namespace {

double best_of(int runs, const std::function<void()>& f) {
  double best = 1e18;
  for (int i = 0; i < runs; ++i) {
    double t = now_ms();
    f();
    best = std::min(best, now_ms() - t);
  }
  return best / 1e3;
}

// The M30 run below its dialogs, in-process, as the batch calls it.
void run_in_process(const std::string& dir, const std::string& out, bool xml) {
  BenchStation station(dir);
  shell::Context& ctx = station.ctx;
  shell::set_globals(ctx, shell::StartArgs{});
  station.areas.set_deleted(true);
  station.areas.set_exact(false);
  if (!shell::NYITOGAT(ctx, false)) std::exit(1);
  certs::RunRequest req;
  req.selection.kvkod1 = "000";
  req.selection.kvkod2 = "999";
  req.selection.condi = ".T..AND.nyilat$'MK'";
  req.mainap = xbase::Date::from_ymd(2024, 1, 31);
  req.out_dir = out;
  req.selection.xml = xml;
  efile::XmlRunOptions xml_options;
  xml_options.out_dir = out;
  xml_options.show_list = false;
  xml_options.alert = [](std::string_view) {};
  efile::M30XmlRun xml_run(ctx, xml_options);
  if (xml)
    certs::run_m30(ctx, req, xml_run.hooks());
  else
    certs::run_m30(ctx, req);
  station.areas.close_all();
}

int run_batch(const std::vector<std::string>& args) {
  const batch::BatchServices s{.start = batch::program_start_services()};
  std::FILE* null = std::fopen("/dev/null", "w");
  int code = batch::run_batch(args, s, null, null);
  std::fclose(null);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::string base = argc > 1 ? argv[1] : "";
  BenchInstallation m30_inst(base.empty() ? nullptr : (base + "/m30").c_str(), "batch_bench_m30");
  store::demo::Options o;
  o.persons = 10000;
  o.seed = 15;
  if (!m30_inst.ensure(o, now_ms)) return 1;
  ::setenv("VIRDA_DRIVE", m30_inst.base().c_str(), 1);
  const std::string out = m30_inst.base() + "/ki";
  std::filesystem::create_directories(out);

  int code = 0;
  for (bool xml : {false, true}) {
    std::vector<std::string> args = {"--dir", m30_inst.dir(), "--date", "2024.01.31", "m30",
                                     "--out", out};
    if (xml) args.push_back("--xml");
    // Taken in turns, so that both see the same state of the disk and the page cache
    // (each run first removes the files the one before wrote).
    double whole = 1e18, inproc = 1e18;
    for (int i = 0; i < runs; ++i) {
      whole = std::min(whole, best_of(1, [&] { code = run_batch(args); }));
      inproc = std::min(inproc, best_of(1, [&] { run_in_process(m30_inst.dir(), out, xml); }));
    }
    std::printf("m30%s over 10,000 persons: in-process run %.2f s, batch m30 %.2f s (exit %d): "
                "the batch's own share %.1f %%\n",
                xml ? " with XML files" : "", inproc, whole, code,
                100.0 * (whole - inproc) / inproc);
  }

  BenchInstallation check_inst(base.empty() ? nullptr : (base + "/check").c_str(),
                               "batch_bench_check");
  o.persons = 100000;
  o.companies = 50;
  o.seed = 19;
  if (!check_inst.ensure(o, now_ms)) return 1;
  ::setenv("VIRDA_DRIVE", check_inst.base().c_str(), 1);
  double check = best_of(runs, [&] { code = run_batch({"--dir", check_inst.dir(), "check"}); });
  std::printf("batch check over 100,000 persons: %.2f s (exit %d)\n", check, code);
  return 0;
}
