#include "certs/cert_run.h"

#include <filesystem>

#include "certs/kiknek.h"
#include "certs/selection.h"
#include "console/keys.h"
#include "print/viewer_hooks.h"
#include "ui/dialogs.h"
#include "ui/viewer.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace certs {

xbase::WorkArea& year_area(shell::Context& ctx) {
  xbase::WorkArea* a = ctx.areas.find("VIRDA");
  return a ? *a : ctx.areas.current();
}

xbase::WorkArea& company_area(shell::Context& ctx, const xbase::Value& vkod) {
  xbase::WorkArea* a = ctx.areas.find("VALLAL");
  if (!a) return ctx.areas.current();
  if (a->order_count() > 0) {
    a->set_order(1);
    a->seek(vkod);
  } else {
    a->go_bottom();
    a->skip(1);
  }
  return *a;
}

layout::RunSettings report_settings(shell::Context& ctx, bool paper,
                                    std::function<std::string(std::string_view)> convert) {
  layout::RunSettings s;
  s.vars = &ctx.vars;
  s.person = &year_area(ctx).structure();
  xbase::WorkArea* company = ctx.areas.find("VALLAL");
  s.company = company ? &company->structure() : nullptr;
  s.paper = paper;
  s.convert = std::move(convert);
  return s;
}

int walk_persons(shell::Context& ctx, const Selection& sel, const xbase::RecordCondition& passes,
                 const ProgressHook& progress, const std::function<void(int db)>& print) {
  const bool deleted_hidden = ctx.areas.deleted_hidden();
  ctx.areas.set_deleted(true);
  xbase::WorkArea& y = year_area(ctx);
  ctx.areas.select(y.number());
  y.set_order(1);
  y.go_top();
  y.seek(xbase::Value::str(sel.kvkod1), true);

  auto report = [&](Progress::Kind kind, const std::string& vkod, int printed) {
    if (progress) progress(Progress{kind, vkod, printed});
  };
  const int vkod_pos = y.field_pos("VKOD");
  const xbase::Value last = xbase::Value::str(sel.kvkod2);
  std::string qvkod = "?";  // the company of the previous record
  int db = 0;
  int printed = 0;
  while (!y.eof()) {
    const xbase::Value vkod = y.get(vkod_pos);
    if (xbase::compare(vkod, last, false) > 0) break;
    if (vkod.as_str() != qvkod) {
      if (qvkod != "?") report(Progress::Kind::CompanyDone, qvkod, printed);
      db = 0;  // numbering restarts in each company
      qvkod = vkod.as_str();
      report(Progress::Kind::CompanyBegun, qvkod, printed);
    }
    if (!passes || passes()) {
      if (++db >= sel.kezdold) {
        print(db);
        ctx.areas.select(y.number());
        if (++printed % 100 == 0) report(Progress::Kind::Certificates, qvkod, printed);
      }
    }
    y.skip(1);
  }
  if (qvkod != "?") report(Progress::Kind::CompanyDone, qvkod, printed);
  ctx.areas.set_deleted(deleted_hidden);
  return printed;
}

RunResult run_report(shell::Context& ctx, const RunRequest& req, const ReportFrame& frame,
                     const std::function<int(ReportOutput&)>& body) {
  using xbase::Value;
  const Selection& sel = req.selection;
  xbase::Variables::Scope scope(ctx.vars);
  scope.declare("KVKOD1", Value::str(sel.kvkod1));
  scope.declare("KVKOD2", Value::str(sel.kvkod2));
  scope.declare("KSZEMSZAM", Value::str(sel.kszemszam));
  scope.declare("KEZDOLD", Value::num(sel.kezdold));
  scope.declare("KELLM30XML", Value::str(sel.xml ? "I" : "N"));
  scope.declare("CONDI", Value::str(sel.condi));
  scope.declare("MAINAP", Value::date(req.mainap));

  print::JobSpec spec;
  spec.real = req.device == Device::Printer;
  spec.name = frame.name;
  spec.preview_file =
      req.out_dir.empty()
          ? frame.preview
          : (std::filesystem::absolute(req.out_dir) / frame.preview).lexically_normal().string();
  spec.hidden = frame.hidden;
  spec.pdf_dir = req.pdf_dir;

  RunResult result;
  xbase::RecordCondition passes = record_filter(ctx);
  print::PrintJob job(ctx, spec);
  if (!job.start()) {
    result.outcome = job.outcome();
    return result;
  }
  // Whether the job converts texts at all is the same for every text of the job.
  const std::string probe(HU("ÁŐŰ"));
  ReportOutput out{job.printer(), passes, spec.real, {}};
  if (job.text(probe) != probe) out.convert = [&job](std::string_view s) { return job.text(s); };
  result.certificates = body(out);
  job.printer().setprc(0, 0);
  result.outcome = job.finish();
  if (!spec.real && result.outcome.status == print::JobStatus::Done && req.show_preview)
    req.show_preview(job.preview_path());
  job.release();
  return result;
}

namespace {

std::string text_var(const xbase::Variables& vars, std::string_view name, std::string fallback = "") {
  const xbase::Value* v = vars.find(name);
  return v && v->is_str() ? v->as_str() : fallback;
}

}  // namespace

void run_from_dialogs(shell::Context& ctx, std::string_view kind, int width,
                      const std::function<RunResult(const RunRequest&)>& run) {
  using xbase::Value;
  console::Console& con = ctx.con;
  xbase::Variables::Scope scope(ctx.vars);
  for (const char* name : {"KVKOD1", "KVKOD2", "KSZEMSZAM", "KELLM30XML"}) scope.declare(name);
  set_selection_defaults(ctx, kind);
  const std::string colour = con.set_colour("GR/N,N/GR");
  struct Restore {
    console::Console& con;
    const std::string& colour;
    ~Restore() { con.set_colour(colour); }
  } restore{con, colour};

  KIKNEK(ctx, kind);
  if (con.last_key() == console::key::kEsc) return;

  RunRequest req;
  Selection& sel = req.selection;
  const xbase::Variables& v = ctx.vars;
  sel.kvkod1 = text_var(v, "KVKOD1", "   ");
  sel.kvkod2 = text_var(v, "KVKOD2", "   ");
  sel.kszemszam = text_var(v, "KSZEMSZAM", std::string(10, ' '));
  sel.condi = text_var(v, "CONDI", ".T.");
  const Value* kezdold = v.find("KEZDOLD");
  sel.kezdold = kezdold && kezdold->is_num() ? static_cast<int>(kezdold->as_num()) : 1;
  sel.xml = kind == "JOV" && text_var(v, "KELLM30XML") == "I";
  const Value* mainap = v.find("MAINAP");
  req.mainap = mainap && mainap->is_date() ? mainap->as_date() : xbase::today();

  const bool pr = ui::kerdez(con, HU("Nyomtatás"), {HU("Képernyőre"), HU("Nyomtatóra")}) == 2;
  if (pr && !print::RIDI(ctx, 1)) return;
  req.device = pr ? Device::Printer : Device::Screen;
  const ui::ViewerHooks hooks = print::viewer_hooks(ctx);
  req.show_preview = [&](const std::string& path) {
    ui::readme_bg(ctx.reads, ctx.windows, &ctx.vars, path, width, "t", hooks);
  };
  print::show_outcome(ctx, run(req).outcome);
}

}  // namespace certs
