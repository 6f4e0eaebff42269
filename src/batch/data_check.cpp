#include "batch/data_check.h"

#include <vector>

#include "entry/record_checks.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/report.h"
#include "xbase/cp852.h"
#include "xbase/dbf_table.h"
#include "xbase/workarea.h"

namespace batch {

namespace {

namespace pf = support::platform;
using entry::TableKind;

struct Table {
  std::string file;  // without ".dbf"
  std::string alias;
  TableKind kind;
};

// Opens `t` shared and read only in a free work area, waiting as every batch command
// waits for a table another workstation holds exclusively.
xbase::WorkArea* open_read_only(BatchRun& run, const Table& t) {
  shell::Context& ctx = run.ctx;
  ctx.areas.select(0);
  if (!shell::NETUSE(ctx, t.file, false, true, t.alias, true)) return nullptr;
  return &ctx.areas.current();
}

// Every record of the table that is not deleted, read as a workstation reads it:
// one read of the file each, no lock.
int check_table(BatchRun& run, xbase::WorkArea& area, TableKind kind) {
  shell::Context& ctx = run.ctx;
  xbase::DbfTable& table = *area.table();
  entry::RecordValues values(ctx, area);
  const entry::RecordChecks checks(kind);
  entry::UniqueKeys keys(kind);
  std::vector<char> rec(table.record_length());
  values.set_record(rec.data());
  int found = 0;
  const uint32_t count = table.record_count();
  for (uint32_t recno = 1; recno <= count; ++recno) {
    if (recno % 1024 == 0) run.term.check_stop();
    if (!table.read_record(recno, rec.data()) || rec[0] == '*') continue;
    std::vector<entry::RecordFinding> findings = checks.check(values);
    if (std::optional<entry::RecordFinding> dup = keys.add(values)) findings.push_back(*dup);
    if (findings.empty()) continue;
    const entry::RecordLabel l = entry::record_label(kind, values);
    for (const entry::RecordFinding& f : findings) {
      ++found;
      run.report.result(xbase::cp852_to_utf8(
          takeover::finding_line({l.vkod, l.szemszam, l.nev, entry::finding_text(f)})));
    }
  }
  return found;
}

}  // namespace

int batch_data_check(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  const std::vector<Table> tables = {
      {"vallal", "VALLAL", TableKind::Company},
      {"virda" + ctx.ev, "VIRDA", TableKind::Person},
      {"eltar" + ctx.ev, "ELTAR", TableKind::Dependant},
  };
  for (const std::string& name : {std::string("kozter"), tables[0].file, tables[1].file,
                                  tables[2].file})
    if (!pf::exists(pf::find_nocase(pf::join(ctx.program_dir, name + ".dbf")))) {
      run.report.error("hiányzó tábla: " + name + ".dbf");
      return shell::exit_code::kInput;
    }

  // Opened under the start-up guard, so that no start upgrades a table meanwhile;
  // once they are open shared no upgrade can have them.
  std::vector<xbase::WorkArea*> areas;
  {
    shell::StartupGuard guard;
    if (!acquire_startup_guard(ctx, guard)) return shell::exit_code::kBusy;
    if (!open_read_only(run, {"kozter", "KOZTER", TableKind::Other}))
      return shell::exit_code::kBusy;
    for (const Table& t : tables) {
      xbase::WorkArea* a = open_read_only(run, t);
      if (!a) return shell::exit_code::kBusy;
      areas.push_back(a);
    }
  }
  int found = 0;
  uint32_t records = 0;
  for (size_t i = 0; i < tables.size(); ++i) {
    found += check_table(run, *areas[i], tables[i].kind);
    records += areas[i]->table()->record_count();
  }
  ctx.areas.close_all();
  run.report.progress(std::to_string(records) + " rekord ellenőrizve, " +
                      (found == 0 ? std::string("mind rendben")
                                  : std::to_string(found) + " észrevétel"));
  return found == 0 ? shell::exit_code::kDone : shell::exit_code::kFindings;
}

}  // namespace batch
