// The batch mode over generated installations (fixed seeds): "batch m30" over every
// certificate of 10,000 persons, without and with its XML files, against the same run
// called in-process (the batch's own share: its start, locks, answers and progress);
// "batch m30 --pdf" beside the same run into the preview (best of 2 each: the ratio,
// the processor time a page and the PDF's size); and "batch check" over 100,000
// persons. Best of several runs (the machine may be shared), wall time.
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
#include "support/platform_files.h"

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

int run_batch_args(const std::vector<std::string>& args) {
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
      whole = std::min(whole, best_of(1, [&] { code = run_batch_args(args); }));
      inproc = std::min(inproc, best_of(1, [&] { run_in_process(m30_inst.dir(), out, xml); }));
    }
    std::printf("m30%s over 10,000 persons: in-process run %.2f s, batch m30 %.2f s (exit %d): "
                "the batch's own share %.1f %%\n",
                xml ? " with XML files" : "", inproc, whole, code,
                100.0 * (whole - inproc) / inproc);
  }

  {
    // The PDF route against the preview, taken in turns as above.
    std::vector<std::string> args = {"--dir", m30_inst.dir(), "--date", "2024.01.31", "m30", "--out", out};
    std::vector<std::string> pdf_args = args;
    pdf_args.push_back("--pdf");
    struct Best {
      double wall = 1e18, cpu = 1e18;
    } preview, pdf;
    auto timed = [&](Best& best, const std::vector<std::string>& a) {
      double w = now_ms(), c = cpu_ms();
      code = run_batch_args(a);
      best.wall = std::min(best.wall, (now_ms() - w) / 1e3);
      best.cpu = std::min(best.cpu, (cpu_ms() - c) / 1e3);
    };
    for (int i = 0; i < 2; ++i) {
      timed(preview, args);
      timed(pdf, pdf_args);
    }
    const std::string file = out + "/JOVEDIG.pdf";
    const auto size = static_cast<int64_t>(std::filesystem::file_size(file));
    // The page count from the Pages object, written at the end with its Kids.
    support::platform::File f;
    std::string tail;
    if (f.open(file) && f.seek(std::max<int64_t>(0, size - (4 << 20))) >= 0) tail = f.read(4 << 20);
    size_t count = tail.rfind("/Count ");
    long pages = count == std::string::npos ? 0 : std::atol(tail.c_str() + count + 7);
    std::printf("m30 --pdf over 10,000 persons: %.2f s (cpu %.2f s, exit %d) against the preview's %.2f s "
                "(cpu %.2f s): %.2f times; %ld pages, %.3f ms of cpu a page (%.3f ms beyond the "
                "preview's), %.1f MB\n",
                pdf.wall, pdf.cpu, code, preview.wall, preview.cpu, pdf.wall / preview.wall, pages,
                pages ? 1e3 * pdf.cpu / static_cast<double>(pages) : 0.0,
                pages ? 1e3 * (pdf.cpu - preview.cpu) / static_cast<double>(pages) : 0.0,
                static_cast<double>(size) / 1e6);
  }

  BenchInstallation check_inst(base.empty() ? nullptr : (base + "/check").c_str(),
                               "batch_bench_check");
  o.persons = 100000;
  o.companies = 50;
  o.seed = 19;
  if (!check_inst.ensure(o, now_ms)) return 1;
  ::setenv("VIRDA_DRIVE", check_inst.base().c_str(), 1);
  double check = best_of(runs, [&] { code = run_batch_args({"--dir", check_inst.dir(), "check"}); });
  std::printf("batch check over 100,000 persons: %.2f s (exit %d)\n", check, code);
  return 0;
}
