// Certificate runs over a generated installation of 10,000 persons (fixed seed):
// the M30 preview of every certificate, the EKHO preview, and the M30 on the PDF
// route without the save dialog, split into the run (its bytes written to a port's
// file, as the route's work file gets them) and the PDF maker over those bytes.
// Best of several runs (the machine may be shared), wall and CPU time.
//   bench_certs_bench [DIR] [runs]   DIR: where DIR/VIRDA23 is generated, or reused
//                                    (default: a temporary directory, removed afterwards)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "bench_clock.h"
#include "bench_program.h"
#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "print/control_codes.h"
#include "print/pdf_maker.h"
#include "print/routing.h"
#include "shell/shared_access.h"
#include "shell/program.h"
#include "store/tools/demo_data.h"
#include "ui/windows.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPersons = 10000;
constexpr uint64_t kSeed = 15;

struct Timing {
  double wall = 1e9, cpu = 1e9;
};

// Runs `f` `runs` times; the best wall and CPU time.
Timing best_of(int runs, const std::function<void()>& f) {
  Timing t;
  for (int i = 0; i < runs; ++i) {
    double c0 = cpu_ms(), w0 = now_ms();
    f();
    t.wall = std::min(t.wall, (now_ms() - w0) / 1e3);
    t.cpu = std::min(t.cpu, (cpu_ms() - c0) / 1e3);
  }
  return t;
}

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void set(xbase::Variables& v, const char* name, xbase::Value value) {
  if (v.exists(name))
    v.assign(name, std::move(value));
  else
    v.make_public(name, std::move(value));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  BenchInstallation installation(argc > 1 ? argv[1] : nullptr, "certs_bench");
  store::demo::Options o;
  o.persons = kPersons;
  o.seed = kSeed;
  if (!installation.ensure(o, now_ms)) return 1;
  const std::string dir = installation.base();
  struct {
    std::string program_dir;
  } inst{installation.dir()};

  BenchStation station(inst.program_dir);
  xbase::WorkAreas& areas = station.areas;
  xbase::Variables& vars = station.vars;
  shell::Context& ctx = station.ctx;
  shell::set_globals(ctx, shell::StartArgs{});
  areas.set_deleted(true);
  areas.set_exact(false);
  // An EPSON printer on LPT1, which is a file here; the PDF route's font as found.
  const std::string lpt = dir + "/lpt1.prn";
  ::setenv("VIRDA_LPT1", lpt.c_str(), 1);
  ::setenv("TEMP", dir.c_str(), 1);
  set(vars, "KNYOMTIP", xbase::Value::str("EPSON"));
  set(vars, "LKAR852", xbase::Value::logical(true));
  set(vars, "KHPAUTO", xbase::Value::num(1));
  set(vars, "PAPIRMERET", xbase::Value::num(1));
  print::nyomtipbe(vars, inst.program_dir);
  if (!shell::NYITOGAT(ctx, false)) return 1;

  certs::RunRequest req;
  req.selection.kvkod1 = "000";
  req.selection.kvkod2 = "999";
  req.selection.condi = ".T..AND.nyilat$'MK'";
  req.mainap = xbase::Date::from_ymd(2024, 1, 31);

  certs::RunResult r;
  Timing m30 = best_of(runs, [&] { r = certs::run_m30(ctx, req); });
  const std::string preview = inst.program_dir + "/jovedig.prn";
  std::printf("M30 preview:   %5d certificates, %6.1f MB, best of %d: %.3f s wall, %.3f s CPU"
              " (%.0f us a certificate)\n",
              r.certificates, static_cast<double>(fs::file_size(preview)) / 1e6, runs, m30.wall, m30.cpu,
              m30.wall / r.certificates * 1e6);

  Timing ekho = best_of(runs, [&] { r = certs::run_ekho(ctx, req); });
  std::printf("EKHO preview:  %5d pages,        %6.1f MB, best of %d: %.3f s wall, %.3f s CPU\n",
              r.certificates, static_cast<double>(fs::file_size(inst.program_dir + "/ekhoig.prn")) / 1e6,
              runs, ekho.wall, ekho.cpu);

  // The PDF route, split: the run into the port's file, then the PDF maker.
  req.device = certs::Device::Printer;
  set(vars, "EPRPORT", xbase::Value::str("LPT1"));
  std::ofstream(lpt).close();
  Timing paper = best_of(runs, [&] { r = certs::run_m30(ctx, req); });
  const std::string bytes = slurp(lpt);
  std::printf("M30 printer:   %5d certificates, %6.1f MB, best of %d: %.3f s wall, %.3f s CPU\n",
              r.certificates, static_cast<double>(bytes.size()) / 1e6, runs, paper.wall, paper.cpu);
  print::pdf::Maker maker;
  if (!maker.load_font(print::pdf_font_path(inst.program_dir))) {
    std::printf("PDF maker: no font\n");
  } else {
    print::pdf::Result made;
    const int pdf_runs = std::max(1, runs / 2);
    Timing pdf = best_of(pdf_runs, [&] {
      made = maker.make(bytes, print::pdf::Language::Epson, 1, dir + "/m30.pdf");
    });
    std::printf("PDF maker:     %5d pages,        %6.1f MB, best of %d: %.3f s wall, %.3f s CPU"
                " (%.2f ms a page)\n",
                made.pages, static_cast<double>(made.bytes) / 1e6, pdf_runs, pdf.wall, pdf.cpu,
                pdf.wall / made.pages * 1e3);
    // The whole route: the run, the work file, the PDF into DIR without the dialog.
    set(vars, "EPRPORT", xbase::Value::str("PDF"));
    req.pdf_dir = dir;
    Timing whole = best_of(pdf_runs, [&] { r = certs::run_m30(ctx, req); });
    std::printf("M30 PDF route: %5d pages in all, best of %d: %.3f s wall, %.3f s CPU\n",
                r.outcome.pages, pdf_runs, whole.wall, whole.cpu);
  }

  areas.close_all();
  return 0;
}
