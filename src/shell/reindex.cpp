#include "shell/reindex.h"

#include <cstdio>

#include "shell/startup_files.h"
#include "shell/upgrade.h"
#include "store/tables.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
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

struct IndexFile {
  std::string path;
  std::string key;
};

// The index files of one table of the set, with their keys, in building order.
std::vector<IndexFile> files_and_keys(const Context& ctx, const TableIndexes& t) {
  std::vector<IndexFile> out{{ctx.path(t.table + ".ntx"), t.key1}};
  if (!t.key2.empty()) out.push_back({ctx.path(t.table + "2.ntx"), t.key2});
  return out;
}

bool any_missing(const std::vector<IndexFile>& files) {
  for (const IndexFile& f : files)
    if (!pf::exists(f.path)) return true;
  return false;
}

// Builds the missing ones of `files` into the table open in the selected area.
bool build_missing(Context& ctx, const std::vector<IndexFile>& files) {
  xbase::WorkArea& area = ctx.areas.current();
  for (const IndexFile& f : files) {
    if (pf::exists(f.path)) continue;
    if (!ctx.areas.guarded([&] { build_index(ctx, area, f.path, f.key); })) return false;
  }
  return true;
}

const TableIndexes* in_index_set(const std::vector<TableIndexes>& set, std::string_view table) {
  std::string name = lower(table);
  for (const TableIndexes& t : set)
    if (t.table == name) return &t;
  return nullptr;
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
  std::vector<IndexFile> files{{base + ".ntx", std::string(key1)}};
  if (!key2.empty()) files.push_back({base + "2.ntx", std::string(key2)});
  if (!any_missing(files)) return true;
  if (!ctx.areas.use(base)) return false;
  return build_missing(ctx, files);
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
  std::vector<TableIndexes> set = program_index_set(ctx.ev);
  std::vector<std::string> out;
  if (const TableIndexes* t = in_index_set(set, table))
    for (const IndexFile& f : files_and_keys(ctx, *t)) out.push_back(f.path);
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
  std::vector<TableIndexes> set = program_index_set(ctx.ev);
  const TableIndexes* t = in_index_set(set, table);
  if (!t) return true;
  bool ok = VANINDEX(ctx, t->table, t->key1, t->key2);
  ctx.areas.close_area();
  return ok;
}

AloneBuild build_missing_indexes_alone(Context& ctx, std::string_view table) {
  support::Routine r(ctx.routines(), "VANINDEX", __LINE__);
  std::vector<TableIndexes> set = program_index_set(ctx.ev);
  const TableIndexes* t = in_index_set(set, table);
  if (!t) return AloneBuild::Built;
  auto files = files_and_keys(ctx, *t);
  if (!any_missing(files)) return AloneBuild::Built;
  xbase::AreaSelection keep(ctx.areas);
  ctx.areas.select(0);
  // A table another workstation has open fails quietly (the network error flag).
  if (!ctx.areas.use(ctx.path(t->table), "", xbase::OpenMode::Exclusive)) return AloneBuild::Busy;
  bool ok = build_missing(ctx, files);
  ctx.areas.close_area();
  return ok ? AloneBuild::Built : AloneBuild::Failed;
}

std::vector<std::string> reindex_open_tables(Context& ctx) {
  support::Routine r(ctx.routines(), "INDEXELES", __LINE__);
  xbase::AreaSelection keep(ctx.areas);
  struct Table {
    std::vector<IndexFile> files;
    int area = 0;  // 0: the table could not be had
  };
  std::vector<Table> tables;
  for (const TableIndexes& t : program_index_set(ctx.ev)) {
    std::string dbf = xbase::with_default_extension(ctx.path(t.table), ".dbf");
    if (!pf::exists(dbf)) continue;  // nothing to index
    Table entry{files_and_keys(ctx, t), 0};
    for (int n = 1; n <= xbase::WorkAreas::kMaxAreas && entry.area == 0; ++n) {
      xbase::WorkArea& a = ctx.areas.area(n);
      if (a.used() && pf::same_file(a.table()->path(), dbf)) entry.area = n;
    }
    if (entry.area == 0) {
      ctx.areas.select(0);
      if (ctx.areas.use(dbf, "", xbase::OpenMode::Exclusive)) entry.area = ctx.areas.selected();
    }
    xbase::WorkArea* a = entry.area ? &ctx.areas.area(entry.area) : nullptr;
    if (a && !a->table()->exclusive()) entry.area = 0;  // never beside another workstation
    if (entry.area) a->clear_orders();                  // lets its index files go
    tables.push_back(std::move(entry));
  }

  restructure_step("indexes-let-go");
  DELCSILL2(ctx.dir(), "*.ntx");

  std::vector<std::string> failed;
  for (const Table& t : tables) {
    bool can_build = t.area != 0;
    if (can_build) ctx.areas.select(t.area);
    for (const IndexFile& f : t.files) {
      // A file still there could not be deleted: held open somewhere.
      bool built = can_build && !pf::exists(f.path) &&
                   ctx.areas.guarded([&] { build_index(ctx, ctx.areas.current(), f.path, f.key); });
      if (!built) failed.push_back(pf::file_name(f.path));
    }
    if (can_build && ctx.areas.current().order_count() > 0) ctx.areas.current().set_order(1);
  }
  return failed;
}

}  // namespace shell
