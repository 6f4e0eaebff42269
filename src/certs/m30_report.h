// The M30 run's report: one two-page certificate per selected person, written into
// the printer file (a preview file, or the printer route's output).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "certs/cert_run.h"
#include "certs/writer.h"
#include "console/printer.h"
#include "shell/context.h"

namespace certs {

class M30Report {
 public:
  // Binds the layout for one run: `paper` adds the registered-user line, `convert`
  // is EPSONKONV for the printer. The working set is open (company and year tables).
  M30Report(shell::Context& ctx, bool paper,
            std::function<std::string(std::string_view)> convert = {});

  // The certificate of the year table's current record, numbered `db`: the company
  // table positioned on the person's company, the record buffer loaded (BEOLV), the
  // derived amounts computed (SZAMOL), then the two pages. The year table is
  // selected again afterwards.
  void print(console::Printer& printer, int db);

 private:
  shell::Context& ctx_;
  layout::Writer writer_;
};

// The report body of a run: the certificates of every selected person from the
// printer's current position; `after` runs after each printed certificate (the XML
// file). The counters are set back to 0 at the end. Returns the number printed.
int write_m30(shell::Context& ctx, console::Printer& printer, M30Report& report,
              const Selection& sel, const xbase::RecordCondition& passes,
              const ProgressHook& progress, const std::function<void(int db)>& after = {});

}  // namespace certs
