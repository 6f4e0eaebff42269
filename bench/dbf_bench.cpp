// Table engine benchmark: appends and scans of a small-record table (1,000,000
// records of 83 bytes) and of a year-table-shaped one (100,000 records of 150 fields,
// 1,200 bytes), exclusive access; a few shared appends under the file lock; peak memory.
//   bench_dbf_bench [directory]   (default: /tmp)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "xbase/workarea.h"

using namespace xbase;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

long peak_kib() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

void report(const char* what, long n, double secs) {
  std::printf("%-44s %9ld records %8.3f s %12.0f records/s  peak %ld KiB\n", what, n, secs,
              n / secs, peak_kib());
}

Structure small_structure() {
  return {{"VKOD", 'C', 3, 0},      {"SZEMSZAM", 'C', 10, 0}, {"NYILAT", 'C', 1, 0},
          {"NEV", 'C', 40, 0},      {"JOVEDELEM", 'N', 9, 0}, {"OSZT16", 'N', 10, 0},
          {"SZULIDO", 'D', 8, 0},   {"FLAG", 'L', 1, 0}};
}

// 150 fields, 1,200 bytes a record: codes and name, 124 amounts, 20 one-letter marks,
// a date and a flag.
Structure wide_structure() {
  Structure s = {{"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}, {"NYILAT", 'C', 1, 0},
                 {"NEV", 'C', 40, 0}};
  for (int i = 0; i < 124; ++i) s.push_back({"OSSZEG" + std::to_string(i), 'N', 9, 0});
  for (int i = 0; i < 20; ++i) s.push_back({"JEL" + std::to_string(i), 'C', 1, 0});
  s.push_back({"SZULIDO", 'D', 8, 0});
  s.push_back({"FLAG", 'L', 1, 0});
  return s;
}

void scan(WorkAreas& wa, const std::string& path, const char* field, const char* what) {
  wa.use(path);
  WorkArea& a = wa.current();
  int pos = a.field_pos(field);
  auto t0 = Clock::now();
  long n = 0;
  double sum = 0;
  for (a.go_top(); !a.eof(); a.skip()) {
    Value v = a.get(pos);
    sum += v.is_num() ? v.as_num() : static_cast<double>(v.as_str().size());
    ++n;
  }
  report(what, n, seconds_since(t0));
  if (sum < 0) std::printf("?\n");
  wa.close_area();
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp";
  std::string small = dir + "/dbf_bench_small_" + std::to_string(::getpid()) + ".dbf";
  std::string wide = dir + "/dbf_bench_wide_" + std::to_string(::getpid()) + ".dbf";
  WorkAreas wa;

  // 1,000,000 small appends under exclusive access.
  wa.create(small, small_structure());
  wa.use(small);
  {
    WorkArea& a = wa.current();
    const Value vkod = Value::str("001"), nyilat = Value::str("M"),
                nev = Value::str("KOVACS JANOS"), flag = Value::logical(true);
    const Value szul = Value::date(Date::from_ymd(1970, 3, 9));
    char szsz[16];
    auto t0 = Clock::now();
    const long kSmall = 1000000;
    for (long i = 0; i < kSmall; ++i) {
      a.append_blank();
      std::snprintf(szsz, sizeof szsz, "%010ld", 8000000000L + i);
      a.put(0, vkod);
      a.put(1, Value::str(szsz));
      a.put(2, nyilat);
      a.put(3, nev);
      a.put(4, Value::num(static_cast<double>(i % 100000000)));
      a.put(5, Value::num(static_cast<double>(i)));
      a.put(6, szul);
      a.put(7, flag);
    }
    wa.close_area();
    report("append small (83 bytes), exclusive", kSmall, seconds_since(t0));
  }
  scan(wa, small, "JOVEDELEM", "scan small, one numeric field");
  scan(wa, small, "NEV", "scan small, one text field");

  // 100,000 year-table-shaped records, every field filled.
  wa.create(wide, wide_structure());
  wa.use(wide);
  {
    WorkArea& a = wa.current();
    const int nf = a.field_count();
    auto t0 = Clock::now();
    const long kWide = 100000;
    for (long i = 0; i < kWide; ++i) {
      a.append_blank();
      a.put(0, Value::str("002"));
      a.put(1, Value::str("8123456789"));
      a.put(2, Value::str("M"));
      a.put(3, Value::str("NAGY ERZSEBET"));
      for (int f = 4; f < 128; ++f) a.put(f, Value::num(static_cast<double>((i * f) % 999999)));
      for (int f = 128; f < 148; ++f) a.put(f, Value::str("I"));
      a.put(nf - 2, Value::date(Date::from_ymd(1980, 12, 1)));
      a.put(nf - 1, Value::logical(false));
    }
    wa.close_area();
    report("append wide (150 fields, 1200 bytes), excl.", kWide, seconds_since(t0));
  }
  scan(wa, wide, "OSSZEG77", "scan wide, one numeric field");

  // Shared appends under the file lock, as the forms store records.
  wa.use(small, "", OpenMode::Shared);
  {
    WorkArea& a = wa.current();
    auto t0 = Clock::now();
    const long kShared = 20000;
    for (long i = 0; i < kShared; ++i) {
      a.flock();
      a.append_blank();
      a.put(0, Value::str("003"));
      a.put(4, Value::num(static_cast<double>(i)));
      a.unlock();
    }
    report("append small, shared under FLOCK (no fsync)", kShared, seconds_since(t0));
  }
  wa.close_all();
  ::unlink(small.c_str());
  ::unlink(wide.c_str());
  std::printf("peak memory: %ld KiB\n", peak_kib());
  return 0;
}
