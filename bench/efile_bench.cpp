// M30 XML speed: an installation of 10,000 persons (100 companies) is generated
// once; then, as the M30 run does after each printed certificate, every person's
// company is sought, the record loaded into the buffer (BEOLV), the derived amounts
// computed (SZAMOL) and the XML file written (M30XML). Beside it the same bytes
// written with plain open, write and close, one file each, into the same directory
// after the same removal, and the start of an XML run (the row table read, the
// previous run's 10,000 files removed).
//
//   bench_efile_bench [DIR] [runs]   DIR: where DIR/VIRDA23 is generated or reused
//                                    (default: a temporary directory); runs: 5
// The best of the runs is the figure (the machine is shared).
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_program.h"
#include "certs/cert_run.h"
#include "certs/szamol.h"
#include "efile/m30_xml_run.h"
#include "shell/record_buffer.h"
#include "shell/shared_access.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPersons = 10000;

// A phase's best wall and CPU times over the runs.
struct Best {
  double wall = 1e30, cpu = 1e30;
  template <typename F>
  void time(F f) {
    double w = now_ms(), c = cpu_ms();
    f();
    wall = std::min(wall, now_ms() - w);
    cpu = std::min(cpu, cpu_ms() - c);
  }
};

struct Figures {
  Best begin, run, szamol, plain;
  long long bytes = 0;
  int files = 0;
};

// Every person in the run's order: the company sought, BEOLV, SZAMOL, then `after`.
template <typename After>
int walk(shell::Context& ctx, After after) {
  xbase::WorkArea& y = *ctx.areas.find("VIRDA");
  ctx.areas.select(y.number());
  y.set_order(1);
  y.go_top();
  std::string company = "?";
  int db = 0, n = 0;
  for (; !y.eof(); y.skip(1)) {
    const xbase::Value vkod = y.get("VKOD");
    if (vkod.as_str() != company) company = vkod.as_str(), db = 0;
    certs::company_area(ctx, vkod);
    ctx.areas.select(y.number());
    shell::BEOLV(ctx);
    certs::SZAMOL(ctx.vars);
    after(++db);
    ++n;
  }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  BenchInstallation inst(argc > 1 ? argv[1] : nullptr, "efile_bench");
  store::demo::Options o;
  o.persons = kPersons;
  if (!inst.ensure(o, now_ms)) return 1;
  fs::current_path(inst.dir());

  BenchStation s(inst.dir());
  shell::set_globals(s.ctx, shell::StartArgs{});
  s.vars.assign("MAINAP", xbase::Value::date(xbase::Date::from_ymd(2024, 1, 31)));
  s.areas.set_deleted(true);
  if (!shell::NYITOGAT(s.ctx, false)) {
    std::fprintf(stderr, "efile_bench: the tables do not open\n");
    return 1;
  }
  efile::XmlRunOptions options;
  options.out_dir = inst.dir();
  options.show_list = false;
  options.alert = [](std::string_view text) {
    std::fprintf(stderr, "alert: %.*s\n", static_cast<int>(text.size()), text.data());
  };

  Figures f;
  for (int r = 0; r < runs; ++r) {
    efile::M30XmlRun xml(s.ctx, options);
    bool begun = false;
    // The first run finds no files of an earlier one to remove.
    Best first_begin;
    Best& begin = r == 0 ? first_begin : f.begin;
    begin.time([&] { begun = xml.begin(); });
    if (!begun) return 1;
    f.run.time([&] { f.files = walk(s.ctx, [&](int db) { xml.after_certificate(db); }); });
    xml.end();

    // The same walk without the files: what SZAMOL and the reading take.
    f.szamol.time([&] { walk(s.ctx, [](int) {}); });

    // The same bytes with plain writes, one file each, into the same directory after
    // the same removal (the file system's cost of creating files where as many were
    // just removed is in both figures).
    std::vector<std::pair<std::string, std::string>> files;
    f.bytes = 0;
    for (const std::string& path : xml.outcome().files) {
      std::FILE* in = std::fopen(path.c_str(), "rb");
      std::string bytes;
      char buf[65536];
      size_t got;
      while (in && (got = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.append(buf, got);
      if (in) std::fclose(in);
      f.bytes += static_cast<long long>(bytes.size());
      files.emplace_back(path, std::move(bytes));
    }
    for (const auto& file : files) ::unlink(file.first.c_str());
    bool written = true;
    f.plain.time([&] {
      for (const auto& [path, bytes] : files) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
          written = false;
        if (fd >= 0) ::close(fd);
      }
    });
    if (!written) return 1;
  }

  std::printf("%d certificates, %d XML files, %.1f MB; best of %d runs (wall, CPU)\n", kPersons,
              f.files, static_cast<double>(f.bytes) / 1e6, runs);
  auto line = [](const char* what, const Best& b) {
    std::printf("  %-58s %8.1f ms %8.1f ms\n", what, b.wall, b.cpu);
  };
  if (runs > 1) line("start of an XML run (row table, 10,000 old files removed)", f.begin);
  line("seek, BEOLV, SZAMOL and M30XML for every certificate", f.run);
  line("  of which seek, BEOLV and SZAMOL alone", f.szamol);
  line("the same bytes with plain open, write, close", f.plain);
  return f.run.wall < 2000 ? 0 : 2;
}
