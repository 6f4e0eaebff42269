// INDEX ON as a whole process: a table of a million 83-byte records (the year table's
// key fields among amounts, a date and a flag) is generated once, then
// `dbftool index T.dbf KEY I.ntx` runs as a process of its own for the year table's two
// keys, several times each. Prints per key the best wall time, the processor time
// (user + system) of that run and the peak memory of the process, against twice the
// keys' own size (records × key size).
//
//   bench_index_process_bench [DIR [records [runs]]]
//     DIR: where T.dbf is generated, or reused when it is there already (default: a
//     temporary directory, removed afterwards); records default 1000000; runs default 3.
//     The index files stay in DIR when DIR is given, to compare builds byte for byte.
//     DBFTOOL=path names the dbftool to run (default: the one of this build).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "xbase/cp852.h"
#include "xbase/dbf_format.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const xbase::Structure kFields = {{"VKOD", 'C', 3, 0},     {"SZEMSZAM", 'C', 10, 0},
                                  {"NYILAT", 'C', 1, 0},   {"NEV", 'C', 40, 0},
                                  {"JOVEDELEM", 'N', 9, 0}, {"OSZT16", 'N', 10, 0},
                                  {"SZULIDO", 'D', 8, 0},  {"FLAG", 'L', 1, 0}};

// Names as clerks type them: capital initials, small letters with accents.
std::vector<std::string> cp852_list(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8) out.push_back(xbase::utf8_to_cp852(s));
  return out;
}

void generate(const std::string& path, long n) {
  const auto surnames = cp852_list({"Nagy", "Kovács", "Tóth", "Szabó", "Horváth", "Varga", "Kiss",
                                    "Molnár", "Németh", "Farkas", "Balogh", "Papp", "Takács",
                                    "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon", "Rácz",
                                    "Fekete", "Szilágyi", "Török", "Fehér", "Balázs", "Gál",
                                    "Kis", "Szűcs", "Kocsis", "Orsós", "Pintér", "Fodor",
                                    "Szalai", "Sipos", "Magyar", "Lukács", "Gulyás", "Bíró",
                                    "Király", "Katona", "László", "Jakab", "Bogdán", "Balog",
                                    "Sándor", "Boros", "Fazekas", "Kelemen", "Antal", "Orosz",
                                    "Somogyi", "Fülöp", "Veres", "Budai", "Vincze", "Hegedűs",
                                    "Deák", "Pap", "Bálint", "Illés", "Pál", "Vass", "Szőke",
                                    "Fábián", "Vörös", "Lengyel", "Bognár", "Bodnár", "Jónás",
                                    "Szücs", "Hajdu", "Halász", "Máté", "Székely", "Kozma",
                                    "Pásztor", "Bakos", "Dudás", "Major", "Virág", "Hegedüs",
                                    "Orbán", "Ördög", "Úri", "Ács", "Éles", "Őri", "Ügyes"});
  const auto given = cp852_list({"László", "István", "József", "János", "Zoltán", "Sándor",
                                 "Gábor", "Ferenc", "Attila", "Péter", "Tamás", "Zsolt", "Tibor",
                                 "András", "Csaba", "Imre", "Lajos", "György", "Balázs", "Gyula",
                                 "Mihály", "Károly", "Róbert", "Norbert", "Mária", "Erzsébet",
                                 "Katalin", "Ilona", "Éva", "Anna", "Zsuzsanna", "Margit",
                                 "Judit", "Ágnes", "Julianna", "Andrea", "Ildikó", "Erika",
                                 "Krisztina", "Irén", "Eszter", "Mónika", "Edit", "Gabriella",
                                 "Szilvia", "Anita", "Márta", "Tímea", "Zsófia", "Réka",
                                 "Orsolya", "Dóra", "Ákos", "Ödön", "Őrs", "Üllő"});
  std::mt19937 rng(2023);
  std::ofstream out(path, std::ios::binary);
  out << xbase::build_dbf_header(kFields, static_cast<uint32_t>(n), 2023, 1, 1);
  std::string rec;
  char buf[64];
  const char kinds[] = "MKE";
  for (long i = 0; i < n; ++i) {
    rec = (rng() % 50 == 0) ? "*" : " ";  // a few deleted records: they are indexed too
    std::snprintf(buf, sizeof buf, "%03u8%09u", static_cast<unsigned>(rng() % 300),
                  static_cast<unsigned>(rng() % 1000000000u));
    rec += buf;
    rec += kinds[rng() % 3];
    std::string name = surnames[rng() % surnames.size()] + " " + given[rng() % given.size()];
    if (rng() % 3 == 0) name += " " + given[rng() % given.size()];
    name.resize(40, ' ');
    rec += name;
    std::snprintf(buf, sizeof buf, "%9u%10u%04u%02u%02u%c", static_cast<unsigned>(rng() % 10000000),
                  static_cast<unsigned>(rng() % 100000), 1940 + static_cast<unsigned>(rng() % 65),
                  1 + static_cast<unsigned>(rng() % 12), 1 + static_cast<unsigned>(rng() % 28),
                  rng() % 2 ? 'T' : 'F');
    rec += buf;
    out.write(rec.data(), static_cast<std::streamsize>(rec.size()));
  }
  out.put('\x1A');
}

struct Run {
  double wall = 0, user = 0, sys = 0;
  long peak_kib = 0;
};

bool run_index(const std::string& tool, const std::string& table, const std::string& key,
               const std::string& index, Run* r) {
  auto t = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 1);
    ::execl(tool.c_str(), tool.c_str(), "index", table.c_str(), key.c_str(), index.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage ru{};
  if (pid < 0 || ::wait4(pid, &status, 0, &ru) != pid) return false;
  r->wall = std::chrono::duration<double>(Clock::now() - t).count();
  r->user = static_cast<double>(ru.ru_utime.tv_sec) + static_cast<double>(ru.ru_utime.tv_usec) * 1e-6;
  r->sys = static_cast<double>(ru.ru_stime.tv_sec) + static_cast<double>(ru.ru_stime.tv_usec) * 1e-6;
  r->peak_kib = ru.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  bool temporary = argc < 2;
  if (temporary) {
    char tmpl[] = "/tmp/index_process_bench_XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    dir = tmpl;
  } else {
    dir = argv[1];
    fs::create_directories(dir);
  }
  const long n = argc > 2 ? std::atol(argv[2]) : 1000000;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const char* env_tool = std::getenv("DBFTOOL");
  fs::path self = fs::read_symlink("/proc/self/exe");
  std::string tool = env_tool ? env_tool : (self.parent_path().parent_path() / "src/xbase/tools/dbftool").string();

  std::string table = dir + "/t.dbf";
  if (!fs::exists(table)) {
    auto t = Clock::now();
    generate(table, n);
    std::printf("generated %s: %ld records of %u bytes (%.1f s)\n", table.c_str(), n,
                xbase::record_length_of(kFields),
                std::chrono::duration<double>(Clock::now() - t).count());
  }
  // Read once, so every run finds the table in the page cache.
  {
    std::ifstream in(table, std::ios::binary);
    std::vector<char> buf(1 << 20);
    while (in.read(buf.data(), static_cast<std::streamsize>(buf.size()))) {
    }
  }
  struct Key {
    const char* text;
    const char* file;
    long size;
  };
  const Key keys[] = {{"vkod+HUNGORD(nev)", "/nev.ntx", 43}, {"vkod+szemszam+nyilat", "/szem.ntx", 14}};
  std::printf("%s, %d runs per key\n", tool.c_str(), runs);
  for (const Key& k : keys) {
    Run best;
    best.wall = 1e9;
    for (int i = 0; i < runs; ++i) {
      Run r;
      if (!run_index(tool, table, k.text, dir + k.file, &r)) {
        std::fprintf(stderr, "index_process_bench: dbftool index failed for %s\n", k.text);
        return 1;
      }
      std::printf("  %-22s run %d: %.3f s (user %.3f s, system %.3f s), peak %.1f MiB\n", k.text,
                  i + 1, r.wall, r.user, r.sys, static_cast<double>(r.peak_kib) / 1024.0);
      if (r.wall < best.wall) best = r;
    }
    double keys_mib = static_cast<double>(n) * static_cast<double>(k.size) / 1048576.0;
    std::printf("INDEX ON %-22s best %.3f s (%.3f s per million records; user %.3f s, system %.3f s), "
                "peak %.1f MiB (twice the keys: %.1f MiB)\n",
                k.text, best.wall, best.wall * 1e6 / static_cast<double>(n), best.user, best.sys,
                static_cast<double>(best.peak_kib) / 1024.0, 2 * keys_mib);
  }
  if (temporary) fs::remove_all(dir);
  return 0;
}
