// The EKHO run's report: one page per selected person with EKHO revenue, written
// into the printer file (a preview file, or the printer route's output).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "certs/cert_run.h"
#include "certs/writer.h"
#include "console/printer.h"
#include "shell/context.h"

namespace certs {

class EkhoReport {
 public:
  // Binds the layout for one run: `paper` adds the registered-user line, `convert`
  // is EPSONKONV for the printer. The working set is open (company and year tables).
  EkhoReport(shell::Context& ctx, bool paper,
             std::function<std::string(std::string_view)> convert = {});

  // Whether the year table's current record has EKHO revenue: the nine revenue
  // fields do not sum to zero (withheld tax alone, or revenues cancelling out, give
  // no page).
  bool has_revenue() const;
  // The page of the year table's current record, the company table positioned on
  // the person's company. The year table is selected again afterwards.
  void print(console::Printer& printer);

 private:
  shell::Context& ctx_;
  layout::Writer writer_;
  std::array<int, 9> revenue_;
};

// The report body of a run: the page of every selected person with revenue, from
// the printer's current position; the counters are set back to 0 at the end.
// Returns the number printed.
int write_ekho(shell::Context& ctx, console::Printer& printer, EkhoReport& report,
               const Selection& sel, const xbase::RecordCondition& passes,
               const ProgressHook& progress);

}  // namespace certs
