// JOVEDIG, main menu item 2: the M30 income certificates of the selected persons,
// on paper or in the viewer; and the run below its dialogs, which a batch run calls
// without them.
#pragma once

#include <functional>

#include "certs/cert_run.h"
#include "shell/context.h"
#include "support/required.h"

namespace certs {

// What the M30 XML files hang on (the XML run of efile/m30_xml_run.h gives them).
struct M30XmlHooks {
  // Before the first certificate: whether the XML files stay on for this run
  // (false: KELLM30XML becomes "N" and the other hooks are not called).
  support::Required<bool(shell::Context&)> begin;
  // After each printed certificate numbered `db`: the year table on the person's
  // record, the record buffer loaded, the derived amounts computed, the company
  // table on the person's company.
  support::Required<void(shell::Context&, int db)> after_certificate;
  // After the viewer, or after the printer output ended; also when the run is left
  // early. Called only when begin() answered true.
  support::Required<void(shell::Context&)> end;
};

// The run: the certificates of the selection into the preview file "jovedig.prn"
// (shown through req.show_preview) or to the printer route.
// With `xml`, the XML files of the certificates when the selection asks for them;
// without, a run that makes none (KELLM30XML becomes "N" when they were asked for).
RunResult run_m30(shell::Context& ctx, const RunRequest& req, const M30XmlHooks& xml);
RunResult run_m30(shell::Context& ctx, const RunRequest& req);

// JOVEDIG: the selection dialog, the screen-or-printer question, the paper prompt,
// the run with the viewer (width 105) and, with XML asked for, the XML files.
void JOVEDIG(shell::Context& ctx, const M30XmlHooks& xml);

}  // namespace certs
