#include "batch/commands.h"

#include <map>

#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "certs/selection.h"
#include "console/alert.h"
#include "efile/m30_xml_run.h"
#include "maint/backup.h"
#include "maint/backup_dialogs.h"
#include "maint/restore.h"
#include "print/print_job.h"
#include "shell/menus.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/atvesz.h"
#include "takeover/takeover_run.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace batch {

namespace {

namespace pf = support::platform;
using xbase::Value;

// The run is stopped between certificates or companies once a signal came.
void stop_point(BatchRun& run) { run.term.check_stop(); }

int code_of(const print::JobOutcome& o) {
  switch (o.status) {
    case print::JobStatus::Done: return shell::exit_code::kDone;
    case print::JobStatus::Busy: return shell::exit_code::kBusy;
    case print::JobStatus::Cancelled:
    case print::JobStatus::NotWritten: return shell::exit_code::kNotWritten;
  }
  return shell::exit_code::kNotWritten;
}

int code_of(const maint::Result& r) {
  switch (r.outcome) {
    case maint::Outcome::Done: return shell::exit_code::kDone;
    case maint::Outcome::InputMissing:
    case maint::Outcome::Damaged: return shell::exit_code::kInput;
    case maint::Outcome::Busy:
    case maint::Outcome::Cancelled: return shell::exit_code::kBusy;
    case maint::Outcome::NotWritten: return shell::exit_code::kNotWritten;
  }
  return shell::exit_code::kNotWritten;
}

// The companies' names by code, read before the run (the run moves the table).
std::map<std::string, std::string> company_names(shell::Context& ctx) {
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
  shell::Context& ctx = run.ctx;
  if (!NYITOGAT(ctx, true)) return shell::exit_code::kBusy;
  std::vector<std::string> unbuilt = reindex_open_tables(ctx);
  report_unbuilt(run, unbuilt);
  if (!unbuilt.empty()) return shell::exit_code::kNotWritten;
  run.report.told({HU("Indexelés kész")}, false);
  return shell::exit_code::kDone;
}

int batch_certificates(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  const BatchOptions& opt = run.opt;
  const bool m30 = opt.command == "m30";
  if (!NYITOGAT(ctx, false)) return shell::exit_code::kBusy;

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

  // --pdf takes the PDF route whatever the settings say. On the PDF route, taken so or
  // chosen in the settings, the PDF goes into the output directory under the name the
  // save dialog offers, and the dialog is not shown.
  xbase::Variables::Scope route(ctx.vars);
  if (opt.pdf) route.declare("EPRPORT", Value::str("PDF"));
  const Value* eprport = ctx.vars.find("EPRPORT");
  if (req.device == certs::Device::Printer && eprport && eprport->is_str() &&
      print::route_of_eprport(eprport->as_str()).kind == print::RouteKind::Pdf)
    req.pdf_dir = opt.out.empty() ? ctx.program_dir : opt.out;
  if (!opt.out.empty() && !pf::is_dir(opt.out) && !pf::make_dirs(opt.out)) {
    run.report.error("a kimeneti könyvtár nem hozható létre: " + opt.out);
    return shell::exit_code::kNotWritten;
  }
  if (opt.print && !print::RIDI(ctx, 1)) return shell::exit_code::kNotWritten;

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
  std::optional<efile::M30XmlRun> xml;
  if (m30) {
    if (opt.xml) {
      efile::XmlRunOptions xml_options;
      xml_options.out_dir = opt.out.empty() ? ctx.program_dir : opt.out;
      xml_options.show_list = false;
      xml_options.alert = [&run](std::string_view text) {
        run.report.warning(console::alert_lines(text));
      };
      xml.emplace(ctx, xml_options);
    }
    result = xml ? certs::run_m30(ctx, req, xml->hooks()) : certs::run_m30(ctx, req);
  } else {
    result = certs::run_ekho(ctx, req);
  }
  for (const std::string& line : result.outcome.message) run.report.error(xbase::cp852_to_utf8(line));
  for (const std::string& f : result.outcome.files) run.report.result(f);
  if (xml)
    for (const std::string& f : xml->outcome().files) run.report.result(f);
  int code = code_of(result.outcome);
  run.report.progress(std::string(code == shell::exit_code::kDone ? "kész, " : "nem készült el, ") +
                      std::to_string(result.certificates) + unit);
  return code;
}

int batch_takeover(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  const BatchOptions& opt = run.opt;
  // As menu item 7: starting workstations wait at the start guard until the tables
  // are indexed again.
  shell::StartupGuard guard;
  if (!acquire_startup_guard(ctx, guard)) return shell::exit_code::kBusy;
  if (!NYITOGAT(ctx, true, &guard)) return shell::exit_code::kBusy;

  takeover::Request req;
  req.payroll_dir = opt.from.empty() ? takeover::remembered_payroll_dir(ctx)
                                     : xbase::utf8_to_cp852(opt.from);
  req.all = opt.companies.empty();
  for (const CodeRange& r : opt.companies) req.ranges.push_back({r.first, r.last});
  req.overwrite = takeover::overwrite_question(ctx);  // answered by --overwrite

  // A number too large for its field is one of the report's findings below.
  takeover::Hooks hooks;
  hooks.kept = [&run](const std::string& vkod, const std::string& missing) {
    std::vector<std::string> lines = takeover::kept_lines(vkod, missing);
    run.report.warning(lines[0] + " " + lines[1]);
  };
  hooks.company_finished = [&run](const takeover::CompanyResult& c) {
    if (c.kind == takeover::CompanyResult::Kind::Taken)
      run.report.progress(xbase::cp852_to_utf8(c.vkod + " " + xbase::rtrim(c.vnev)) + ": " +
                          std::to_string(c.persons) + " személy, " +
                          std::to_string(c.dependants) + " eltartott");
    stop_point(run);
  };
  takeover::Outcome out = takeover::run_takeover(ctx, req, hooks);

  switch (out.status) {
    case takeover::Status::InputMissing:
      run.report.error(xbase::cp852_to_utf8(HU("Nem található a bérprogram!")) + " " +
                       takeover::payroll_path(req.payroll_dir));
      return shell::exit_code::kInput;
    case takeover::Status::Busy:
      run.report.error(
          xbase::cp852_to_utf8(HU("Valaki használja a megadott könyvtárban levő bérprogramot.")));
      return shell::exit_code::kBusy;
    case takeover::Status::Cancelled:
    case takeover::Status::Done:
      break;
  }
  // The report of what could not be placed: a finding, its file on stdout.
  if (!out.findings.empty()) {
    for (const takeover::Finding& f : out.findings) run.report.warning(takeover::finding_line(f));
    run.report.result(ctx.path(takeover::kReportFile));
  }
  run.report.progress(std::to_string(out.companies.size()) + " cég feldolgozva");
  return shell::exit_code::kDone;
}

int batch_backup(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  // Where the backup dialog would put it for the same text (--to as typed, the
  // remembered place as the dialog wrote it).
  std::string target = run.opt.to.empty() ? "" : pf::to_linux(run.opt.to);
  if (target.empty()) {
    std::string remembered = maint::remembered_target(ctx.program_dir);
    if (!remembered.empty()) target = pf::typed_path(remembered);
  }
  if (target.empty()) {
    run.report.error("nincs megadva a mentés helye (--to), és a masdrv.txt sem nevez meg egyet");
    return shell::exit_code::kInput;
  }
  if (!pf::is_dir(target) && !pf::make_dirs(target)) {
    run.report.error("a mentés helye nem hozható létre: " + target);
    return shell::exit_code::kNotWritten;
  }
  ctx.areas.close_all();
  ctx.areas.select(1);
  maint::Result r = maint::backup_at_exit(ctx, target);
  int code = code_of(r);
  if (code == shell::exit_code::kDone) {
    run.report.result(r.path);
    run.report.progress(std::to_string(r.files.size()) + " fájl mentve");
  } else {
    maint::show_outcome(ctx, r, true);  // the box's text, said on stderr
  }
  return code;
}

int batch_restore(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  if (!NYITOGAT(ctx, true)) return shell::exit_code::kBusy;
  maint::Result r;
  std::vector<std::string> unbuilt =
      restore_then_reindex(ctx, run.services.start, [&](shell::Context& c, shell::StartupGuard& guard) {
        r = maint::restore(c, pf::to_linux(run.opt.from), guard);
        return r.outcome == maint::Outcome::Done;
      });
  maint::show_outcome(ctx, r, false);
  report_unbuilt(run, unbuilt);
  int code = code_of(r);
  if (code == shell::exit_code::kDone && !unbuilt.empty()) code = shell::exit_code::kNotWritten;
  return code;
}

}  // namespace batch
