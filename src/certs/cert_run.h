// What the M30 and the EKHO runs share below their dialogs: the selection, the
// progress hook, and the walk over the year table in company and name order.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "certs/writer.h"
#include "console/printer.h"
#include "print/print_job.h"
#include "shell/context.h"
#include "xbase/date.h"
#include "xbase/workarea.h"

namespace certs {

// What the print selection dialog (or a batch run) chose.
struct Selection {
  std::string kvkod1 = "   ";  // first company code, inclusive
  std::string kvkod2 = "   ";  // last company code, inclusive; blank selects nothing
  std::string kszemszam = std::string(10, ' ');  // one person's tax identifier; blank: all
  std::string condi = ".T.";  // the certificate types the main menu asked for
  int kezdold = 1;            // the first sequence number printed in each company (M30)
  bool xml = false;           // M30 XML files wanted (KELLM30XML = "I")
};

// A run reports where it is: a company begun or finished, every 100 certificates.
struct Progress {
  enum class Kind { CompanyBegun, CompanyDone, Certificates };
  Kind kind = Kind::Certificates;
  std::string vkod;      // the company
  int certificates = 0;  // printed so far in the run
};
using ProgressHook = std::function<void(const Progress&)>;

// The year table's area ("VIRDA"); the walk and the reports read it.
xbase::WorkArea& year_area(shell::Context& ctx);
// The company table's area ("VALLAL"), positioned on `vkod` by an exact seek: at
// its end (every field blank) when the company has no record.
xbase::WorkArea& company_area(shell::Context& ctx, const xbase::Value& vkod);

// What a report's writer is bound with: the program's variables, the year and the
// company table's fields, paper or screen, the job's EPSONKONV.
layout::RunSettings report_settings(shell::Context& ctx, bool paper,
                                    std::function<std::string(std::string_view)> convert);

// Walks the year table in its first order (company code, then the name's collation
// key), deleted records hidden, from the first record whose code is not less than
// `kvkod1` while the code is not greater than `kvkod2` (texts compared as the
// runtime does with SET EXACT off). Records for which `passes` holds are numbered
// within their company; `print(db)` is called for those numbered `kezdold` or more,
// with the year table selected and on the record. Returns the number printed.
int walk_persons(shell::Context& ctx, const Selection& sel, const xbase::RecordCondition& passes,
                 const ProgressHook& progress, const std::function<void(int db)>& print);

enum class Device { Screen, Printer };

// A run below its dialogs.
struct RunRequest {
  Selection selection;
  xbase::Date mainap;  // the processing date printed on the certificates
  Device device = Device::Screen;
  // Where the preview file goes; empty: the program directory (the menus).
  std::string out_dir;
  ProgressHook progress;
  // The screen: shows the preview file while the run still holds it (the viewer).
  std::function<void(const std::string& preview)> show_preview;
  // The PDF route: the PDF's directory without the save dialog; empty: the dialog.
  std::string pdf_dir;
};

struct RunResult {
  print::JobOutcome outcome;  // what the print job did
  int certificates = 0;       // certificates printed (M30) or pages (EKHO)
};

// What a report writes with, once its print job has started.
struct ReportOutput {
  console::Printer& printer;
  xbase::RecordCondition passes;  // the selection's record filter
  bool paper = false;             // a real job: the rows printed only on paper too
  // EPSONKONV of the job; empty when it changes nothing (a preview, a PDF, code
  // page 852).
  std::function<std::string(std::string_view)> convert;
};

// The report's frame: its name (the PDF's default name), its preview file and the
// control variables it writes, which a preview hides behind empty copies.
struct ReportFrame {
  std::string name;
  std::string preview;
  std::vector<std::string> hidden;
};

// A run: the selection becomes the run's private variables (KVKOD1, KVKOD2,
// KSZEMSZAM, KEZDOLD, KELLM30XML, CONDI, MAINAP), the record filter is compiled
// once, the print job starts (a preview waits while another workstation holds its
// file), `body` writes the report and returns its count, the job ends and hands
// its output over, and a preview is shown while its file is still held.
RunResult run_report(shell::Context& ctx, const RunRequest& req, const ReportFrame& frame,
                     const std::function<int(ReportOutput&)>& body);

// The dialogs' part of a run, shared by JOVEDIG and EKHOIG: the run's private
// selection variables with their defaults, the colour "GR/N,N/GR", KIKNEK(kind),
// the question "Nyomtatás" (Esc counts as the screen) and, for the printer, the
// paper prompt; then `run` with the request they give (the screen: the viewer of
// `width` columns) and its outcome's message. Nothing runs after Esc in the
// dialog or a printer that is not ready. The colour is restored.
void run_from_dialogs(shell::Context& ctx, std::string_view kind, int width,
                      const std::function<RunResult(const RunRequest&)>& run);

}  // namespace certs
