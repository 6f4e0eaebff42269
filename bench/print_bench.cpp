// Print benchmark: certificate-shaped pages (condensed, 64 lines of up to 136
// characters, frames of box-drawing lines, bold headings, Hungarian text and
// amounts, one form feed a page) drawn into a PDF by the PDF maker, and the same
// stream written to a printer file as a port gets it. Time per page and file size.
//   bench_print_bench [directory] [pages...]   (default: /tmp 1000 20000)
// With BENCH_KEEP set the PDFs stay in the directory.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/printer.h"
#include "print/pdf_maker.h"
#include "print/routing.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// CPU time of this process (the machine may be shared: wall time alone misleads).
double cpu_seconds() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long peak_kib() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

std::string repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// One certificate page of person `n`, as the report writes it for an EPSON printer.
std::string certificate_page(int n) {
  std::string p = "\x0f";  // condensed
  char buf[160];
  p += "\x1b" "E" + std::string(HU("Jövedelemigazolás a 2023. évben kifizetett jövedelmekről")) +
       "\x1b" "F\r\n";
  p += std::string(HU("╔")) + repeat(HU("═"), 132) + std::string(HU("╗")) + "\r\n";
  std::snprintf(buf, sizeof buf, "Név: Kovács-Szabó Ödön Árpád %05d   Adóazonosító: 84%08d   TAJ: %09d", n,
                n * 7, n * 13);
  p += std::string(HU("║ ")) + xbase::utf8_to_cp852(buf) + "\r\n";
  for (int row = 0; row < 56; ++row) {
    if (row % 8 == 0) {
      p += std::string(HU("╠")) + repeat(HU("─"), 132) + std::string(HU("╣")) + "\r\n";
      continue;
    }
    std::snprintf(buf, sizeof buf, "%3d. Munkaviszonyból származó bérjövedelem (%d. sor)", row, row);
    std::string line = std::string(HU("║ ")) + xbase::utf8_to_cp852(buf);
    line.resize(100, ' ');
    std::snprintf(buf, sizeof buf, "%12d Ft %12d Ft ", (n * 977 + row * 131) % 10000000,
                  (n * 31 + row) % 1000000);
    line += buf;
    line += std::string(HU("║"));
    p += line + "\r\n";
  }
  p += std::string(HU("╚")) + repeat(HU("═"), 132) + std::string(HU("╝")) + "\r\n";
  p += "\x12\f\r";
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp";
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1000, 20000};
  std::string font = print::pdf_font_path(dir);
  for (int pages : counts) {
    std::string job;
    for (int i = 1; i <= pages; ++i) job += certificate_page(i);
    std::string pdf = dir + "/bench_print_" + std::to_string(::getpid()) + ".pdf";
    auto t0 = Clock::now();
    double c0 = cpu_seconds();
    print::pdf::Result r = print::pdf::make_pdf(job, {print::pdf::Language::Epson, 1, font}, pdf);
    double secs = seconds_since(t0);
    double cpu = cpu_seconds() - c0;
    std::printf("PDF maker  %6d pages: %8.3f s  %7.3f ms/page (cpu %7.3f ms/page)  %10lld bytes (%6.1f KiB/page)  peak %ld KiB\n",
                r.pages, secs, 1000 * secs / pages, 1000 * cpu / pages, r.bytes, r.bytes / 1024.0 / pages,
                peak_kib());
    if (!std::getenv("BENCH_KEEP")) std::remove(pdf.c_str());

    std::string lpt = dir + "/bench_print_" + std::to_string(::getpid()) + ".prn";
    console::Printer printer;
    t0 = Clock::now();
    printer.set_printer(lpt);
    // As the report writes: line by line at its print row.
    size_t from = 0;
    while (from < job.size()) {
      size_t end = job.find("\r\n", from);
      if (end == std::string::npos) end = job.size();
      printer.out(std::string_view(job).substr(from, end - from));
      if (end < job.size()) printer.devpos(printer.prow() + 1, 0);
      from = end + 2;
    }
    printer.close();
    secs = seconds_since(t0);
    std::printf("LPT file   %6d pages: %8.3f s  %7.4f ms/page  %10lld bytes\n", pages, secs,
                1000 * secs / pages, printer.written());
    std::remove(lpt.c_str());
  }
  return 0;
}
