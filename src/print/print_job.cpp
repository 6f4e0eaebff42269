#include "print/print_job.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "print/pdf_maker.h"
#include "print/pdf_save.h"
#include "print/text_convert.h"
#include "shell/shared_access.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"
#include "ui/dialogs.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace print {

namespace pf = support::platform;
using xbase::Value;

namespace {

std::string var_text(const xbase::Variables& vars, std::string_view name) {
  const Value* v = vars.find(name);
  return v && v->is_str() ? v->as_str() : std::string();
}

int var_num(const xbase::Variables& vars, std::string_view name) {
  const Value* v = vars.find(name);
  return v && v->is_num() ? static_cast<int>(v->as_num()) : 0;
}

std::string read_all(const std::string& path) {
  std::string bytes;
  pf::File f;
  if (!f.open(path)) return bytes;
  for (;;) {
    std::string block = f.read(1 << 20);
    if (block.empty()) break;
    bytes += block;
  }
  return bytes;
}

bool valid_utf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

// The switches for lp from "dosprint.par": written on this system (UTF-8) or on a
// Windows workstation (code page 852).
std::vector<std::string> lp_switches(const std::string& program_dir) {
  std::string path = pf::find_nocase(pf::join(program_dir.empty() ? "." : program_dir, "dosprint.par"));
  if (!pf::exists(path)) return {};
  std::string text = read_all(path);
  if (!valid_utf8(text)) text = xbase::cp852_to_utf8(text);
  return split_words(text);
}

// The directory the USB copy goes to: USERPROFILE when it is set and lists
// something, else the program directory.
std::string usb_copy_dir(const std::string& program_dir) {
  const char* profile = std::getenv("USERPROFILE");
  if (profile && *profile) {
    std::string dir = pf::to_linux(profile);
    if (!pf::list(pf::join(dir, "*"), true).empty()) return dir;
  }
  return program_dir.empty() ? "." : program_dir;
}

}  // namespace

PrintJob::PrintJob(shell::Context& ctx, JobSpec spec) : ctx_(ctx), spec_(std::move(spec)) {}

PrintJob::~PrintJob() {
  if (started_) {
    // The report did not come to its end (an error broke it off): what it wrote is
    // not handed over, so no half job reaches a printer.
    started_ = false;
    console::Printer& printer = ctx_.con.printer();
    printer.close();
    printer.setprc(0, 0);
    printer.set_error_handler({});
    ctx_.con.set_device(console::Device::Screen);
    scope_.reset();
    if (spec_.real && route_.kind != RouteKind::Port) ::truncate(target_.c_str(), 0);
  }
  release();
}

void PrintJob::fail(std::vector<std::string> message, JobStatus status) {
  outcome_.status = status;
  outcome_.message = std::move(message);
}

std::string PrintJob::text(std::string_view cp852) const { return epsonkonv(ctx_.con, ctx_.vars, cp852); }

bool PrintJob::open_preview() {
  // A name alone lies in the program directory; a run given a directory of its own
  // names the file with it.
  preview_path_ = spec_.preview_file.starts_with('/') ? spec_.preview_file
                                                      : ctx_.path(spec_.preview_file);
  // The file stays locked from here until the viewer closed, so that two
  // workstations never write into one preview file at once.
  int fd = ::open(preview_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(work_file_message(preview_path_));
    return false;
  }
  bool locked = shell::wait_in_window(
      ctx_, [fd] { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }, true, preview_path_);
  if (!locked) {
    ::close(fd);
    fail({}, JobStatus::Busy);
    return false;
  }
  preview_lock_ = fd;
  return true;
}

void PrintJob::release() {
  if (preview_lock_ >= 0) {
    ::close(preview_lock_);  // gives up the lock
    preview_lock_ = -1;
  }
}

bool PrintJob::start() {
  if (started_) return true;
  support::Routine r(ctx_.routines(), "SETDEVP0", __LINE__);
  outcome_ = JobOutcome{};
  route_ = route_of_eprport(var_text(ctx_.vars, "EPRPORT"));
  console::Printer& printer = ctx_.con.printer();
  if (spec_.real) {
    RouteStatus status = route_status(ctx_.program_dir, route_);
    if (status.code != 0) {
      fail(status.message);
      return false;
    }
  } else if (!open_preview()) {
    return false;
  }

  if (spec_.real && route_.kind == RouteKind::Port) {
    target_ = lpt_device(ctx_.program_dir, route_.port);
    if (!printer.set_printer(target_, console::Printer::Open::Existing)) {
      fail(device_message(target_, printer.open_error()));
      return false;
    }
    // A device that fails while printing asks the user (retry or give up).
    if (ctx_.errors) printer.set_error_handler(ctx_.errors->handler());
  } else {
    target_ = spec_.real ? work_file() : preview_path_;
    if (!printer.set_printer(target_, console::Printer::Open::Create)) {
      release();
      fail(work_file_message(target_));
      return false;
    }
  }
  printer.setprc(0, 0);

  scope_.emplace(ctx_.vars);
  if (!spec_.real) {
    for (const std::string& name : spec_.hidden) scope_->declare(name, Value::str(""));
  }
  // A preview and a PDF keep the program's letters; only a real printer with the
  // CWI character set gets them converted.
  if (!spec_.real || route_.kind == RouteKind::Pdf) scope_->declare("LKAR852", Value::logical(true));

  ctx_.con.set_device(console::Device::Printer);
  if (spec_.real && var_num(ctx_.vars, "KHPAUTO") == 1) {
    printer.out(var_text(ctx_.vars, "NYINI"));
    printer.setprc(printer.prow(), 0);
  }
  started_ = true;
  return true;
}

const JobOutcome& PrintJob::finish() {
  if (!started_) return outcome_;
  support::Routine r(ctx_.routines(), "SETDEVS0", __LINE__);
  started_ = false;
  console::Printer& printer = ctx_.con.printer();
  printer.close();
  bool failed = printer.failed();
  int error = printer.write_error();
  outcome_.bytes = printer.written();
  printer.setprc(0, 0);
  printer.set_error_handler({});
  ctx_.con.set_device(console::Device::Screen);
  scope_.reset();

  if (failed) {
    // A device was given up in the printer dialog; a file could not be written.
    if (route_.kind == RouteKind::Port && spec_.real)
      fail(device_message(target_, error));
    else
      fail(work_file_message(target_));
  } else if (!spec_.real) {
    outcome_.files.push_back(preview_path_);
  } else if (outcome_.bytes > 0) {
    hand_over();
  }
  if (spec_.real && route_.kind != RouteKind::Port) ::truncate(target_.c_str(), 0);
  return outcome_;
}

void PrintJob::hand_over() {
  switch (route_.kind) {
    case RouteKind::Port: break;
    case RouteKind::Spool: to_spool(); break;
    case RouteKind::Usb: to_usb(); break;
    case RouteKind::Pdf: to_pdf(); break;
  }
}

// LPT5: the copy is written beside the waiting jobs under a name no watcher takes
// for a job, then renamed to a free "PR??????.PRN" in one step.
void PrintJob::to_spool() {
  support::Routine r(ctx_.routines(), "PRTWINNEK", __LINE__);
  std::string dir = spool_dir();
  if (!pf::make_dirs(dir)) {
    fail(spool_message(dir));
    return;
  }
  std::string part = pf::join(dir, "PRTWIN-" + std::to_string(::getpid()) + ".tmp");
  if (LF_FCOPY(target_, part) < 0) {
    fail(work_file_message(part));
    return;
  }
  std::string placed =
      place_under_random_name(dir, [&](const std::string& path) { return pf::rename_file(part, path); });
  if (placed.empty()) {
    fail(spool_message(dir));
    outcome_.files.push_back(part);
    return;
  }
  outcome_.files.push_back(placed);
}

void PrintJob::to_usb() {
  support::Routine r(ctx_.routines(), "DOSPRINTER", __LINE__);
  std::string dir = usb_copy_dir(ctx_.program_dir);
  std::string copy = place_under_random_name(
      dir, [&](const std::string& path) { return pf::copy_file(target_, path, true) >= 0; });
  if (copy.empty()) {
    fail(work_file_message(dir));
    return;
  }
  std::vector<std::string> argv = {"lp", "-o", "raw"};
  for (std::string& w : lp_switches(ctx_.program_dir)) argv.push_back(std::move(w));
  argv.push_back(copy);
  int code = pf::run_wait(argv, pf::quiet_run());
  if (code == 0) {
    pf::delete_file(copy);
    return;
  }
  outcome_.files.push_back(copy);
  if (code < 0) {
    std::vector<std::string> m = lp_missing_message();
    m.push_back(lp_failed_message(code, copy)[1]);
    fail(m);
  } else {
    fail(lp_failed_message(code, copy));
  }
}

void PrintJob::to_pdf() {
  support::Routine r(ctx_.routines(), "DOSPRINTER", __LINE__);
  std::string pdf = target_ + ".pdf";
  pdf::Options options;
  options.language = xbase::upper(var_text(ctx_.vars, "KNYOMTIP")) == "HP" ? pdf::Language::Hp
                                                                           : pdf::Language::Epson;
  options.paper = var_num(ctx_.vars, "PAPIRMERET") == 2 ? 2 : 1;
  options.font = pdf_font_path(ctx_.program_dir);
  pf::MappedFile job(target_);
  pdf::Result made = pdf::make_pdf(job.bytes(), options, pdf);
  switch (made.status) {
    case pdf::Result::Status::Empty: return;
    case pdf::Result::Status::FontMissing: fail(font_message(options.font)); return;
    case pdf::Result::Status::CreateFailed: fail(pdf_create_message(pdf)); return;
    case pdf::Result::Status::Written: break;
  }
  outcome_.pages = made.pages;
  std::string name = xbase::alltrim(spec_.name);
  if (!spec_.pdf_dir.empty()) {
    std::string to = pf::join(spec_.pdf_dir, xbase::cp852_to_utf8(name) + ".pdf");  // the name is CP852
    if (LF_FCOPY(pdf, to) < 0) {
      fail(pdf_create_message(to));
      return;
    }
    pf::delete_file(pdf);
    outcome_.files.push_back(to);
    return;
  }
  PdfSave saved = PDFBE(ctx_, pdf, name);
  if (!saved.saved) {
    outcome_.status = JobStatus::Cancelled;
    outcome_.files.push_back(pdf);
    return;
  }
  outcome_.files.push_back(saved.target);
}

JobOutcome run_print_job(shell::Context& ctx, JobSpec spec,
                         const std::function<void(PrintJob& job)>& report) {
  PrintJob job(ctx, std::move(spec));
  if (!job.start()) return job.outcome();
  report(job);
  return job.finish();
}

bool RIDI(shell::Context& ctx, int paper) {
  support::Routine r(ctx.routines(), "RIDI", __LINE__);
  std::string route = var_text(ctx.vars, "EPRPORT");
  Route where = route_of_eprport(route);
  if (var_num(ctx.vars, "PAPIRMERET") != paper) {
    if (where.kind == RouteKind::Usb) {
      ui::kerdez(ctx.con, HU("Nyomtatás USB portos nyomtatóra"), {HU("Ha kész, ENTER")});
    } else if (where.kind != RouteKind::Pdf) {
      std::string text(HU("Tegyen "));
      text += paper == 1 ? HU("keskeny papírt") : HU("széles papírt");
      text += var_text(ctx.vars, "KNYOMTIP") == "EPSON" ? " az EPSON" : " a HP";
      text += HU(" kompatibilis nyomtatóba (");
      text += route + ")!";
      ui::kerdez(ctx.con, text, {HU("Ha kész, ENTER")});
    }
    if (ctx.vars.exists("PAPIRMERET"))
      ctx.vars.assign("PAPIRMERET", Value::num(paper));
    else
      ctx.vars.make_public("PAPIRMERET", Value::num(paper));
  }
  RouteStatus status = route_status(ctx.program_dir, where);
  if (status.code != 0) {
    JobOutcome o;
    o.message = status.message;
    show_outcome(ctx, o);
    return false;
  }
  return true;
}

void show_outcome(shell::Context& ctx, const JobOutcome& outcome) {
  if (outcome.message.empty()) return;
  std::vector<std::string_view> lines(outcome.message.begin(), outcome.message.end());
  ui::kerdez(ctx.con, lines, {HU("Tovább")});
}

bool SETDEVP0(shell::Context& ctx, PrintJob& job) {
  if (job.start()) return true;
  show_outcome(ctx, job.outcome());
  return false;
}

JobOutcome SETDEVS0(shell::Context& ctx, PrintJob& job) {
  JobOutcome o = job.finish();
  show_outcome(ctx, o);
  return o;
}

long long LF_FCOPY(std::string_view from, std::string_view to) { return pf::copy_file(from, to); }

}  // namespace print
