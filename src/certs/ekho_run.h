// EKHOIG, main menu item 3: the EKHO certificates of the selected persons with
// EKHO revenue, on paper or in the viewer; and the run below its dialogs.
#pragma once

#include "certs/cert_run.h"
#include "shell/context.h"

namespace certs {

// The run: a page per selected person with revenue into the preview file
// "ekhoig.prn" (shown through req.show_preview) or to the printer route.
RunResult run_ekho(shell::Context& ctx, const RunRequest& req);

// EKHOIG: the selection dialog, the screen-or-printer question, the paper prompt,
// the run with the viewer (width 134).
void EKHOIG(shell::Context& ctx);

}  // namespace certs
