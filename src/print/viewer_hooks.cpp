#include "print/viewer_hooks.h"

#include "print/export_txt.h"
#include "print/print_job.h"
#include "xbase/vars.h"

namespace print {

ui::ViewerHooks viewer_hooks(shell::Context& ctx) {
  auto export_file = [&ctx](std::string_view file) { wintxtbe(ctx.reads, ctx.windows, file); };
  auto print = [&ctx](ui::TextViewer& viewer) {
    // The PDF of a viewed file is named after it (JAR1, the first 8 characters of the
    // file's name), without what its extension left there: "jovedig.prn" gives
    // "jovedig", not "jovedig." (which would make "jovedig..pdf").
    const xbase::Value* jar1 = ctx.vars.find("JAR1");
    JobSpec spec;
    spec.name = jar1 && jar1->is_str() ? jar1->as_str() : std::string("virda");
    spec.name = spec.name.substr(0, spec.name.find('.'));
    PrintJob job(ctx, spec);
    if (!SETDEVP0(ctx, job)) return;
    const xbase::Value* npage = ctx.vars.find("NPAGE");
    int page = npage && npage->is_num() ? static_cast<int>(npage->as_num()) : 64;
    ui::print_lines(viewer, job.printer(), page, [&job](std::string_view line) { return job.text(line); });
    SETDEVS0(ctx, job);
  };
  return ui::ViewerHooks{.export_file = export_file, .print = print};
}

}  // namespace print
