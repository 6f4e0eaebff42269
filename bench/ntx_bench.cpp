// NTX index speed: a bulk build of a million 43-byte keys shaped like the year table's
// name index ("vkod+HUNGORD(nev)"), a million random seeks from a warm cache, a full
// walk in key order, and INDEX ON "vkod+HUNGORD(nev)" over a million-record table
// (the key made for every record). Prints keys per second, how much of the process
// lies on huge pages after the seeks, and the peak memory.
//
//   bench_ntx_bench [keys]      (default 1000000)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "xbase/cp852.h"
#include "xbase/dbf_format.h"
#include "xbase/hutext.h"
#include "xbase/ntx_file.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace {

using Clock = std::chrono::steady_clock;

double secs_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Processor time of this process: on a shared machine the wall-clock figures include
// the time other programs had the processor.
double cpu_secs() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Memory of this process on transparent huge pages (AnonHugePages), in MiB.
long huge_mib() {
  std::ifstream in("/proc/self/smaps_rollup");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("AnonHugePages:", 0) == 0) return std::atol(line.c_str() + 14) / 1024;
  return 0;
}

long peak_mib() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

// A company code and a 40-character upper-case Hungarian name.
std::string make_key(std::mt19937& rng) {
  static const std::string syllables[] = {"KO", "VÁ", "CS", "NA", "GY", "SZ", "Ő", "RI", "TÓ", "TH",
                                          "BA", "LÁ", "ZS", "Ü", "VE", "GE", "ÉR", "DE", "MI", "HÁ"};
  static std::vector<std::string> cp852;
  if (cp852.empty())
    for (const auto& s : syllables) cp852.push_back(xbase::utf8_to_cp852(s));
  char code[8];
  std::snprintf(code, sizeof code, "%03u", static_cast<unsigned>(rng() % 300));
  std::string name;
  int words = 2 + static_cast<int>(rng() % 2);
  for (int w = 0; w < words; ++w) {
    int n = 2 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) name += cp852[rng() % cp852.size()];
    name += ' ';
  }
  name.resize(40, ' ');
  return code + name;
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 1000000;
  char tmpl[] = "/tmp/ntx_bench_XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  std::mt19937 rng(2023);
  std::vector<std::string> keys(static_cast<std::size_t>(n));
  for (auto& k : keys) k = make_key(rng);
  std::printf("NTX benchmark: %ld keys of 43 bytes (peak before: %ld MiB)\n", n, peak_mib());

  // 1. Bulk build.
  auto t = Clock::now();
  double c = cpu_secs();
  xbase::NtxBuildInput in(43);
  in.reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) in.add(keys[static_cast<std::size_t>(i)], static_cast<uint32_t>(i + 1));
  xbase::NtxOptions opts;
  opts.cache_pages = 1 << 17;  // 128 MiB: the whole index stays warm
  double gather = secs_since(t);
  auto f = xbase::NtxFile::create(dir + "/bench.ntx", "vkod+HUNGORD(nev)", 43, 0, std::move(in), opts);
  double build = secs_since(t), build_cpu = cpu_secs() - c;
  std::printf("build: %.3f s (%.3f s gathering the keys; processor %.3f s), %.0f keys/s, %.3f s per million; file %.1f MiB\n",
              build, gather, build_cpu, n / build, build * 1e6 / static_cast<double>(n),
              static_cast<double>(std::filesystem::file_size(dir + "/bench.ntx")) / 1048576.0);

  // 2. Full walk (also warms the cache).
  t = Clock::now();
  long walked = 0;
  for (bool ok = f->go_top(); ok; ok = f->next()) ++walked;
  double walk = secs_since(t);
  std::printf("walk: %ld keys in %.3f s, %.0f keys/s\n", walked, walk, walked / walk);

  // 3. Random seeks of existing keys, taken from one flat array so that fetching the
  // sought key costs the loop little besides the seek.
  std::string flat;
  flat.reserve(static_cast<std::size_t>(n) * 43);
  for (const std::string& k : keys) flat += k;
  std::vector<uint32_t> picks(static_cast<std::size_t>(n));
  for (auto& p : picks) p = static_cast<uint32_t>(rng() % static_cast<uint32_t>(n));
  t = Clock::now();
  c = cpu_secs();
  long found = 0;
  for (uint32_t p : picks) {
    bool hit = false;
    f->seek(std::string_view(flat).substr(std::size_t{p} * 43, 43), &hit);
    found += hit;
  }
  double seek = secs_since(t), seek_cpu = cpu_secs() - c;
  std::printf("seek: %ld of %ld found in %.3f s (processor %.3f s), %.0f seeks/s; %ld MiB on huge pages\n",
              found, n, seek, seek_cpu, n / seek, huge_mib());
  f.reset();

  // 4. INDEX ON over a table: the key expression evaluated for every record.
  {
    xbase::Structure st = {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 40, 0}};
    std::ofstream out(dir + "/virda23.dbf", std::ios::binary);
    out << xbase::build_dbf_header(st, static_cast<uint32_t>(n), 2023, 1, 1);
    std::string rec;
    for (const std::string& k : keys) {
      rec = " " + k;
      out.write(rec.data(), static_cast<std::streamsize>(rec.size()));
    }
    out.put('\x1A');
  }
  {
    xbase::WorkAreas areas;
    areas.use(dir + "/virda23.dbf");
    t = Clock::now();
    auto order = xbase::NtxOrder::index_on(areas.current(), dir + "/virda23", "vkod+HUNGORD(nev)",
                                           xbase::ntx_key_function(areas, "vkod+HUNGORD(nev)"));
    double idx = secs_since(t);
    std::printf("INDEX ON vkod+HUNGORD(nev): %ld records in %.3f s, %.0f keys/s\n", n, idx, n / idx);
  }
  std::printf("peak memory: %ld MiB\n", peak_mib());
  std::filesystem::remove_all(dir);
  return 0;
}
