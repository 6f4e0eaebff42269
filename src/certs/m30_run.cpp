#include "certs/m30_run.h"

#include "certs/m30_report.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

namespace certs {
namespace {

// The control variables the M30 layout writes; a preview hides them.
const std::vector<std::string> kM30Controls = {"ELBE", "ELKI", "AHBE", "AHKI", "LPI6",
                                               "LPI8", "COBE", "COKI", "EMBE", "EMKI"};

// Calls the XML files' end when they were begun, however the run is left.
class XmlRun {
 public:
  XmlRun(shell::Context& ctx, const M30XmlHooks* hooks) : ctx_(ctx), hooks_(hooks) {}
  ~XmlRun() {
    if (on_) hooks_->end(ctx_);
  }
  XmlRun(const XmlRun&) = delete;
  XmlRun& operator=(const XmlRun&) = delete;

  // Whether the files stay on; KELLM30XML follows the answer.
  bool begin(bool asked) {
    on_ = asked && hooks_ && hooks_->begin(ctx_);
    if (asked && !on_) ctx_.vars.assign("KELLM30XML", xbase::Value::str("N"));
    return on_;
  }
  void after_certificate(int db) {
    if (on_) hooks_->after_certificate(ctx_, db);
  }

 private:
  shell::Context& ctx_;
  const M30XmlHooks* hooks_;  // none: a run without XML files
  bool on_ = false;
};

RunResult run_m30_with(shell::Context& ctx, const RunRequest& req, const M30XmlHooks* xml) {
  XmlRun files(ctx, xml);
  return run_report(ctx, req, {"JOVEDIG", "jovedig.prn", kM30Controls}, [&](ReportOutput& out) {
    M30Report report(ctx, out.paper, out.convert);
    files.begin(req.selection.xml);
    return write_m30(ctx, out.printer, report, req.selection, out.passes, req.progress,
                     [&](int db) { files.after_certificate(db); });
  });
}

}  // namespace

RunResult run_m30(shell::Context& ctx, const RunRequest& req, const M30XmlHooks& xml) {
  return run_m30_with(ctx, req, &xml);
}

RunResult run_m30(shell::Context& ctx, const RunRequest& req) { return run_m30_with(ctx, req, nullptr); }

void JOVEDIG(shell::Context& ctx, const M30XmlHooks& xml) {
  support::Routine r(ctx.routines(), "JOVEDIG", __LINE__);
  run_from_dialogs(ctx, "JOV", 105, [&](const RunRequest& req) { return run_m30(ctx, req, xml); });
}

}  // namespace certs
