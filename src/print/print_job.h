// A print job: the report's positioned output on its way to the printer route of
// the settings or into a preview file, from its start (SETDEVP0) to its end and
// hand-over (SETDEVS0).
//
//   PrintJob job(ctx, spec);
//   if (!job.start()) ...                       // not ready, or the preview busy
//   ctx.con.say(...); job.text("...") ...       // the report, device = printer
//   job.finish();                               // hand-over; job.outcome()
//   (preview: show job.preview_path() in the viewer, then job goes out of scope)
//
// The job below its dialogs: start() and finish() show nothing except the
// printer-error dialog of a failing device, the wait for a preview file another
// workstation is writing, and the PDF dialog when no PDF directory is given; they
// leave what went wrong in the outcome. SETDEVP0 and SETDEVS0 show its message.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "print/routing.h"
#include "shell/context.h"

namespace print {

enum class JobStatus {
  Done,        // written and handed over
  Cancelled,   // the user gave the job up (the PDF dialog left with Esc)
  Busy,        // the preview file's wait given up
  NotWritten,  // device, spool directory, lp, font or PDF failure: see the message
};

struct JobOutcome {
  JobStatus status = JobStatus::Done;
  std::vector<std::string> message;  // CP852 lines, for a question box
  long long bytes = 0;               // bytes of the job's output
  int pages = 0;                     // PDF pages made
  std::vector<std::string> files;    // files written: preview, spool copy, kept USB copy, PDF
};

struct JobSpec {
  // PR: true for the printer route of the settings, false for a preview.
  bool real = true;
  // The report: "JOVEDIG", "EKHOIG", or the viewer's JAR1; the PDF's default name.
  std::string name;
  // Preview only: the file in the program directory ("jovedig.prn"), or with an
  // absolute path where the caller wants it, and the
  // control variables the report writes, hidden behind empty copies for the job.
  std::string preview_file;
  std::vector<std::string> hidden;
  // PDF route: where the PDF goes without asking; empty: the PDF dialog asks.
  std::string pdf_dir;
};

class PrintJob {
 public:
  PrintJob(shell::Context& ctx, JobSpec spec);
  // A job that was started and not finished (the report broke off) is dropped: its
  // output is not handed over.
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // SETDEVP0: checks the route (STATPRT), opens the target (a preview waits while
  // another workstation holds its file; Esc gives up), switches the device to the
  // printer and, for a real job with KHPAUTO 1, writes NYINI and sets the column back
  // to 0. False when the job cannot start (nothing written): see outcome().
  bool start();
  // SETDEVS0: closes the output, hands a real job's non-empty output over to its
  // route, empties the work file and switches the device to the screen.
  const JobOutcome& finish();

  const JobOutcome& outcome() const { return outcome_; }
  const JobSpec& spec() const { return spec_; }
  const Route& route() const { return route_; }
  // The preview file's path (the viewer shows it).
  const std::string& preview_path() const { return preview_path_; }
  // Gives the preview file free for other workstations (at the latest when the job
  // ends): call it once the viewer closed.
  void release();

  console::Printer& printer() { return ctx_.con.printer(); }
  // A report's text on its way out: EPSONKONV (converted for a CWI printer on a real
  // route; never on a preview or into a PDF).
  std::string text(std::string_view cp852) const;

 private:
  void fail(std::vector<std::string> message, JobStatus status = JobStatus::NotWritten);
  bool open_preview();
  void hand_over();
  void to_spool();
  void to_usb();
  void to_pdf();

  shell::Context& ctx_;
  JobSpec spec_;
  Route route_;
  JobOutcome outcome_;
  std::string target_;        // the device or file the output is written to
  std::string preview_path_;
  int preview_lock_ = -1;
  bool started_ = false;
  std::optional<xbase::Variables::Scope> scope_;
};

// The job run whole below its dialogs: start, the report, finish. The outcome tells
// what happened; nothing is shown except as PrintJob says.
JobOutcome run_print_job(shell::Context& ctx, JobSpec spec,
                         const std::function<void(PrintJob& job)>& report);

// RIDI(paper): the paper prompt before a job for the printer (once per paper size:
// PAPIRMERET remembers it), then the route's readiness; a route that is not ready
// shows its message and gives false.
bool RIDI(shell::Context& ctx, int paper);

// SETDEVP0 / SETDEVS0 of the menus: the job's start and end with its message shown
// ("Tovább").
bool SETDEVP0(shell::Context& ctx, PrintJob& job);
JobOutcome SETDEVS0(shell::Context& ctx, PrintJob& job);

// Shows an outcome's message, when it has one.
void show_outcome(shell::Context& ctx, const JobOutcome& outcome);

// LF_FCOPY(from, to): the bytes copied, or -1 when nothing was copied.
long long LF_FCOPY(std::string_view from, std::string_view to);

}  // namespace print
