#include "certs/ekho_run.h"

#include "certs/ekho_report.h"
#include "support/error_routines.h"

namespace certs {

RunResult run_ekho(shell::Context& ctx, const RunRequest& req) {
  static const std::vector<std::string> controls = {"COBE", "COKI", "AHBE", "AHKI", "LPI6", "LPI8"};
  return run_report(ctx, req, {"EKHOIG", "ekhoig.prn", controls}, [&](ReportOutput& out) {
    EkhoReport report(ctx, out.paper, out.convert);
    return write_ekho(ctx, out.printer, report, req.selection, out.passes, req.progress);
  });
}

void EKHOIG(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "EKHOIG", __LINE__);
  run_from_dialogs(ctx, "EKHO", 134, [&](const RunRequest& req) { return run_ekho(ctx, req); });
}

}  // namespace certs
