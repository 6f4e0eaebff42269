// Expression evaluation speed: the year table's index key "vkod+HUNGORD(nev)", the
// certificate filter and a browse column, each compiled once and evaluated over a
// million records held in memory (a fake host, so only the evaluator is measured).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ctime>
#include <string>
#include <vector>

#include <stdlib.h>

#include "xbase/expr.h"
#include "xbase/expr_host.h"
#include "xbase/expr_workareas.h"
#include "xbase/functions.h"
#include "xbase/vars.h"

namespace {

// Records as a table file holds them: fixed-width character fields, one row after
// the other in one buffer.
class MemoryTable : public xbase::ExprHost {
 public:
  struct Field {
    std::string name;
    std::size_t offset, width;
  };
  std::vector<Field> fields;
  std::size_t row_size = 0;
  std::string data;
  std::size_t rows = 0;
  std::size_t rec = 0;

  void add_field(std::string name, std::size_t width) {
    fields.push_back({std::move(name), row_size, width});
    row_size += width;
  }
  void append(const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < fields.size(); ++i) data += xbase::padr(values[i], static_cast<int>(fields[i].width));
    ++rows;
  }

  int selected_area() const override { return 1; }
  int area_of_alias(std::string_view a) const override { return a == "VIRDA" ? 1 : 0; }
  int field_index(int, std::string_view name) const override {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].name == name) return static_cast<int>(i);
    return -1;
  }
  xbase::Value field_value(int, int index) const override {
    std::string_view v;
    field_text(1, index, v);
    return xbase::Value::str(std::string(v));
  }
  // As a table hands out its record buffer: no copy of the field.
  bool field_text(int, int index, std::string_view& out) const override {
    const Field& f = fields[static_cast<std::size_t>(index)];
    out = std::string_view(data).substr(rec * row_size + f.offset, f.width);
    return true;
  }
  bool deleted(int) const override { return false; }
  int64_t recno(int) const override { return static_cast<int64_t>(rec + 1); }
  uint64_t layout_generation() const override { return 1; }
};

}  // namespace

namespace {

// CPU time of this process: the machines running the benchmark are shared, so the
// wall clock says more about the neighbours than about the evaluator.
double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double run(const char* label, const xbase::Expr& e, MemoryTable& t, xbase::EvalContext& ctx) {
  auto wall_start = std::chrono::steady_clock::now();
  double start = cpu_seconds();
  std::size_t bytes = 0;
  for (t.rec = 0; t.rec < t.rows; ++t.rec) {
    xbase::Value v = e.eval(ctx);
    bytes += v.is_str() ? v.as_str().size() : 1;
  }
  double s = cpu_seconds() - start;
  double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  std::printf("%-48s %7.3f s CPU (%6.3f s wall)  %10.0f evaluations/s  (%zu bytes)\n", label, s,
              wall, static_cast<double>(t.rows) / s, bytes);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t n = argc > 1 ? std::stoul(argv[1]) : 1000000;
  MemoryTable t;
  for (auto [name, width] : {std::pair{"VKOD", 3}, {"NEV", 30}, {"NYILAT", 1}, {"SZEMSZAM", 10},
                             {"IRSZAM", 4}, {"HELYSEG", 25}, {"UTCA", 30}})
    t.add_field(name, static_cast<std::size_t>(width));
  t.data.reserve(n * t.row_size);
  const char* given[] = {"Anna", "B\x82la", "Csaba", "D\xa2ra", "Ede", "Ferenc"};
  for (std::size_t i = 0; i < n; ++i) {
    char vkod[24], name[64], id[32];
    std::snprintf(vkod, sizeof vkod, "%03zu", i % 500);
    std::snprintf(name, sizeof name, "kov\xa0" "cs %s %zu", given[i % 6], i);
    std::snprintf(id, sizeof id, "8%09zu", i);
    t.append({vkod, name, i % 3 == 0 ? "M" : i % 3 == 1 ? "K" : "E", id, "1051", "Budapest",
              "Fo utca 1."});
  }
  xbase::Variables vars;
  vars.make_public("KSZEMSZAM", xbase::Value::str("8000000042"));
  xbase::EvalContext ctx;
  ctx.host = &t;
  ctx.vars = &vars;
  std::printf("%zu records\n", n);
  xbase::Expr key_expr = xbase::Expr::compile("vkod+HUNGORD(nev)");
  double key = run("key  vkod+HUNGORD(nev)", key_expr, t, ctx);
  key = std::min(key, run("key  vkod+HUNGORD(nev), again", key_expr, t, ctx));
  if (argc > 2) return 0;  // "expr_bench N key": the index key alone
  run("filter .T..AND.nyilat$'MK'", xbase::Expr::compile(".T..AND.nyilat$'MK'"), t, ctx);
  run("filter szemszam=kszemszam", xbase::Expr::compile("szemszam=kszemszam"), t, ctx);
  run("column PADR(irszam+' '+TRIM(helyseg)+' '+utca,40)",
      xbase::Expr::compile("PADR(irszam+' '+TRIM(helyseg)+' '+utca,40)"), t, ctx);
  std::printf("index key: %.3f s CPU per million keys\n", key * 1e6 / static_cast<double>(n));

  // The same key through the work areas over a table file: what an index build pays
  // for reading the records and evaluating the key.
  std::size_t m = std::min<std::size_t>(n, 200000);
  std::string dir = std::filesystem::temp_directory_path().string() + "/expr_bench_XXXXXX";
  if (!::mkdtemp(dir.data())) return 1;
  {
    xbase::WorkAreas areas;
    xbase::Structure fields;
    for (const auto& f : t.fields)
      fields.push_back({f.name, 'C', static_cast<int>(f.width), 0});
    std::string path = dir + "/virda23";
    if (!areas.create(path, fields) || !areas.use(path, "VIRDA")) return 1;
    xbase::WorkArea& a = areas.current();
    for (t.rec = 0; t.rec < m; ++t.rec) {
      a.append_blank();
      for (std::size_t i = 0; i < t.fields.size(); ++i) a.put(static_cast<int>(i), t.field_value(1, static_cast<int>(i)));
    }
    a.commit();
    xbase::WorkAreasHost host(areas);
    xbase::EvalContext actx;
    actx.host = &host;
    double walk_start = cpu_seconds();
    std::size_t count = 0;
    for (a.go_top(); !a.eof(); a.skip()) ++count;
    double walk = cpu_seconds() - walk_start;
    double start = cpu_seconds();
    std::size_t bytes = 0;
    for (a.go_top(); !a.eof(); a.skip()) bytes += key_expr.eval(actx).as_str().size();
    double both = cpu_seconds() - start;
    std::printf("work areas, %zu records: walk %.3f s CPU, walk + key %.3f s CPU"
                " (key alone %.3f s per million; %zu bytes)\n",
                count, walk, both, (both - walk) * 1e6 / static_cast<double>(m), bytes);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
