#include "shell/batch_commands.h"

#include <map>

#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "certs/selection.h"
#include "maint/backup.h"
#include "maint/backup_dialogs.h"
#include "maint/restore.h"
#include "print/print_job.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;
using xbase::Value;

// The run is stopped between certificates or companies once a signal came.
void stop_point(BatchRun& run) { run.term.check_stop(); }

int code_of(const print::JobOutcome& o) {
  switch (o.status) {
    case print::JobStatus::Done: return batch_exit::kDone;
    case print::JobStatus::Busy: return batch_exit::kBusy;
    case print::JobStatus::Cancelled:
    case print::JobStatus::NotWritten: return batch_exit::kNotWritten;
  }
  return batch_exit::kNotWritten;
}

int code_of(const maint::Result& r) {
  switch (r.outcome) {
    case maint::Outcome::Done: return batch_exit::kDone;
    case maint::Outcome::InputMissing:
    case maint::Outcome::Damaged: return batch_exit::kInputMissing;
    case maint::Outcome::Busy:
    case maint::Outcome::Cancelled: return batch_exit::kBusy;
    case maint::Outcome::NotWritten: return batch_exit::kNotWritten;
  }
  return batch_exit::kNotWritten;
}

// The companies' names by code, read before the run (the run moves the table).
std::map<std::string, std::string> company_names(Context& ctx) {
  std::map<std::string, std::string> names;
  xbase::WorkArea* a = ctx.areas.find("VALLAL");
  if (!a || a->field_pos("VNEV") < 0) return names;
  for (a->go_top(); !a->eof(); a->skip())
    names[a->get("VKOD").as_str()] = xbase::alltrim(a->get("VNEV").as_str());
  a->go_top();
  return names;
}

std::string condition_of(const std::string& kind) {
  if (kind == "employer") return ".T..AND.nyilat='M'";
  if (kind == "payer") return ".T..AND.nyilat$'K'";
  return ".T..AND.nyilat$'MK'";
}

void report_unbuilt(BatchRun& run, const std::vector<std::string>& files) {
  for (const std::string& f : files) run.report.error("az index nem építhető újra: " + f);
}

}  // namespace

int batch_reindex(BatchRun& run) {
  Context& ctx = run.ctx;
  if (!NYITOGAT(ctx, true)) return batch_exit::kBusy;
  std::vector<std::string> unbuilt = reindex_open_tables(ctx);
  report_unbuilt(run, unbuilt);
  if (!unbuilt.empty()) return batch_exit::kNotWritten;
  run.report.notice({HU("Indexelés kész")});
  return batch_exit::kDone;
}

int batch_certificates(BatchRun& run) {
  Context& ctx = run.ctx;
  const BatchOptions& opt = run.opt;
  const bool m30 = opt.command == "m30";
  if (!NYITOGAT(ctx, false)) return batch_exit::kBusy;

  certs::RunRequest req;
  certs::Selection& sel = req.selection;
  if (opt.companies.empty()) {
    certs::CompanyRange all = certs::default_company_range(ctx);
    sel.kvkod1 = all.first;
    sel.kvkod2 = all.last;
  } else {
    sel.kvkod1 = opt.companies.front().first;
    sel.kvkod2 = opt.companies.front().last;
  }
  sel.condi = condition_of(opt.kind);
  sel.kszemszam = xbase::padr(xbase::utf8_to_cp852(opt.person), 10);
  sel.kezdold = m30 ? opt.start : 1;
  sel.xml = m30 && opt.xml;
  const Value* mainap = ctx.vars.find("MAINAP");
  req.mainap = mainap && mainap->is_date() ? mainap->as_date() : xbase::today();
  req.out_dir = opt.out;
  req.device = opt.print || opt.pdf ? certs::Device::Printer : certs::Device::Screen;

  // The PDF route whatever the settings say, into the output directory.
  xbase::Variables::Scope route(ctx.vars);
  if (opt.pdf) {
    route.declare("EPRPORT", Value::str("PDF"));
    req.pdf_dir = opt.out.empty() ? ctx.program_dir : opt.out;
  }
  if (!opt.out.empty() && !pf::is_dir(opt.out) && !pf::make_dirs(opt.out)) {
    run.report.error("a kimeneti könyvtár nem hozható létre: " + opt.out);
    return batch_exit::kNotWritten;
  }
  if (opt.print && !print::RIDI(ctx, 1)) return batch_exit::kNotWritten;

  std::map<std::string, std::string> names = company_names(ctx);
  const char* unit = m30 ? " igazolás" : " oldal";
  int at_company_start = 0;
  req.progress = [&](const certs::Progress& p) {
    stop_point(run);
    switch (p.kind) {
      case certs::Progress::Kind::CompanyBegun: at_company_start = p.certificates; break;
      case certs::Progress::Kind::CompanyDone:
        run.report.progress(xbase::cp852_to_utf8(p.vkod + " " + names[p.vkod]) + ": " +
                            std::to_string(p.certificates - at_company_start) + unit);
        break;
      case certs::Progress::Kind::Certificates:
        run.report.progress_tick(std::to_string(p.certificates) + unit + " eddig");
        break;
    }
  };

  certs::RunResult result;
  if (m30) {
    certs::M30XmlHooks xml;
    if (opt.xml && run.services.m30_xml) xml = run.services.m30_xml(ctx);
    result = certs::run_m30(ctx, req, xml);
  } else {
    result = certs::run_ekho(ctx, req);
  }
  for (const std::string& line : result.outcome.message) run.report.error(xbase::cp852_to_utf8(line));
  for (const std::string& f : result.outcome.files) run.report.result(f);
  int code = code_of(result.outcome);
  run.report.progress(std::string(code == batch_exit::kDone ? "kész, " : "nem készült el, ") +
                      std::to_string(result.certificates) + unit);
  return code;
}

int batch_takeover(BatchRun& run) {
  const BatchOptions& opt = run.opt;
  auto marked = [&](const std::string& vkod) {
    if (opt.companies.empty()) return true;
    for (const CodeRange& r : opt.companies)
      if (vkod >= r.first && vkod <= r.last) return true;
    return false;
  };
  return run.services.takeover(run.ctx, opt.from, marked);
}

int batch_backup(BatchRun& run) {
  Context& ctx = run.ctx;
  std::string target = run.opt.to;
  if (target.empty()) {
    std::string remembered = maint::remembered_target(ctx.program_dir);
    if (!remembered.empty()) target = pf::typed_path(remembered);
  }
  if (target.empty()) {
    run.report.error("nincs megadva a mentés helye (--to), és a masdrv.txt sem nevez meg egyet");
    return batch_exit::kInputMissing;
  }
  if (!pf::is_dir(target) && !pf::make_dirs(target)) {
    run.report.error("a mentés helye nem hozható létre: " + target);
    return batch_exit::kNotWritten;
  }
  ctx.areas.close_all();
  ctx.areas.select(1);
  maint::Result r = maint::backup_at_exit(ctx, target);
  int code = code_of(r);
  if (code == batch_exit::kDone) {
    run.report.result(r.path);
    run.report.progress(std::to_string(r.files.size()) + " fájl mentve");
  } else {
    run.report.notices_as_errors(true);
    maint::show_outcome(ctx, r, true);  // the box's text, said on stderr
  }
  return code;
}

int batch_restore(BatchRun& run) {
  Context& ctx = run.ctx;
  if (!NYITOGAT(ctx, true)) return batch_exit::kBusy;
  maint::Result r;
  std::vector<std::string> unbuilt =
      restore_then_reindex(ctx, run.services.shell, [&](Context& c, StartupGuard& guard) {
        r = maint::restore(c, run.opt.from, guard);
        return r.outcome == maint::Outcome::Done;
      });
  run.report.notices_as_errors(r.outcome != maint::Outcome::Done);
  maint::show_outcome(ctx, r, false);
  report_unbuilt(run, unbuilt);
  int code = code_of(r);
  if (code == batch_exit::kDone && !unbuilt.empty()) code = batch_exit::kNotWritten;
  return code;
}

}  // namespace shell
