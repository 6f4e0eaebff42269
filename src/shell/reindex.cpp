#include "shell/reindex.h"

#include <cstdio>

#include "shell/upgrade.h"
#include "store/tables.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "xbase/fileio.h"
#include "xbase/ntx_order.h"

namespace shell {

namespace {

namespace pf = support::platform;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The work name under which an index file is built before it takes its own name.
std::string work_name(const std::string& index_path) { return index_path + ".ntmp"; }

// Builds one index file of the table open in `area` and attaches it.
void build_index(Context& ctx, xbase::WorkArea& area, const std::string& index_path,
                 std::string_view key) {
  std::string work = work_name(index_path);
  pf::delete_file(work);
  {
    auto order = xbase::NtxOrder::index_on(area, work, key,
                                           xbase::ntx_key_function(ctx.areas, key, &ctx.vars));
    order->flush();
  }
  restructure_step("index-written");
  if (std::rename(xbase::resolve_path_nocase(work).c_str(), index_path.c_str()) != 0) {
    pf::delete_file(work);
    xbase::Error e;
    e.gen_code = xbase::gen::kCreate;
    e.subsystem = "DBFNTX";
    e.sub_code = 1004;
    e.description = "Create error";
    e.filename = index_path;
    e.can_default = true;
    throw xbase::ErrorException(e);
  }
  area.add_order(xbase::NtxOrder::open(area, index_path,
                                       xbase::ntx_key_function(ctx.areas, key, &ctx.vars)));
}

}  // namespace

std::vector<TableIndexes> program_index_set(std::string_view ev) {
  // Taken from the table definitions, so the keys are written down once.
  std::vector<TableIndexes> out;
  for (const store::TableDef& t :
       {store::company_table(), store::dependants_table(ev), store::year_table(ev)}) {
    TableIndexes ti{t.file, t.indexes.at(0).key, ""};
    if (t.indexes.size() > 1) ti.key2 = t.indexes[1].key;
    out.push_back(std::move(ti));
  }
  return out;
}

bool VANINDEX(Context& ctx, std::string_view table, std::string_view key1, std::string_view key2) {
  support::Routine r(ctx.routines(), "VANINDEX", __LINE__);
  // A name of the program's tables, or a path (the payroll program's tables).
  std::string base = table.find('/') != std::string_view::npos ? std::string(table) : ctx.path(table);
  std::string first = base + ".ntx";
  std::string second = base + "2.ntx";
  bool want_first = !pf::exists(first);
  bool want_second = !key2.empty() && !pf::exists(second);
  if (!want_first && !want_second) return true;

  if (!ctx.areas.use(base)) return false;
  xbase::WorkArea& area = ctx.areas.current();
  bool ok = true;
  if (want_first) ok = ctx.areas.guarded([&] { build_index(ctx, area, first, key1); });
  if (ok && want_second) ok = ctx.areas.guarded([&] { build_index(ctx, area, second, key2); });
  return ok;
}

void INDEXELES(Context& ctx) {
  support::Routine r(ctx.routines(), "INDEXELES", __LINE__);
  for (const TableIndexes& t : program_index_set(ctx.ev)) {
    // A table that is not there has nothing to index (the template copy brings it).
    if (!pf::exists(xbase::with_default_extension(ctx.path(t.table), ".dbf"))) continue;
    VANINDEX(ctx, t.table, t.key1, t.key2);
  }
}

std::vector<std::string> index_files_of(const Context& ctx, std::string_view table) {
  std::string name = lower(table);
  std::vector<std::string> out;
  for (const TableIndexes& t : program_index_set(ctx.ev)) {
    if (t.table != name) continue;
    out.push_back(ctx.path(t.table + ".ntx"));
    if (!t.key2.empty()) out.push_back(ctx.path(t.table + "2.ntx"));
  }
  return out;
}

bool remove_table_indexes(Context& ctx, std::string_view table) {
  bool ok = true;
  for (const std::string& f : index_files_of(ctx, table)) {
    pf::delete_file(work_name(f));
    if (pf::exists(f) && !pf::delete_file(f)) ok = false;
  }
  return ok;
}

bool rebuild_table_indexes(Context& ctx, std::string_view table) {
  std::string name = lower(table);
  for (const TableIndexes& t : program_index_set(ctx.ev)) {
    if (t.table != name) continue;
    bool ok = VANINDEX(ctx, t.table, t.key1, t.key2);
    ctx.areas.close_area();
    return ok;
  }
  return true;
}

}  // namespace shell
