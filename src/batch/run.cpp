#include "batch/run.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "batch/commands.h"
#include "batch/rows.h"
#include "console/get_read.h"
#include "maint/backup_dialogs.h"
#include "maint/restore.h"
#include "maint/version_box.h"
#include "print/settings.h"
#include "shell/error_setup.h"
#include "shell/shared_access.h"
#include "shell/table_preparation.h"
#include "support/error_handler.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/windows.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace batch {

namespace {

namespace pf = support::platform;

volatile sig_atomic_t g_stop_signal = 0;

// The first SIGINT or SIGTERM asks the run to stop at its next stopping point; a
// second one ends the program at once.
void on_stop_signal(int sig) {
  if (g_stop_signal != 0) ::_exit(128 + sig);
  g_stop_signal = sig;
}

class StopSignals {
 public:
  StopSignals() {
    g_stop_signal = 0;
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old_int_);
    sigaction(SIGTERM, &sa, &old_term_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
    g_stop_signal = 0;
  }

 private:
  struct sigaction old_int_ {}, old_term_ {};
};

// Back to the directory the run was started from (a test calls it in-process).
class WorkingDir {
 public:
  WorkingDir() : start_(std::filesystem::current_path()) {}
  ~WorkingDir() {
    std::error_code ec;
    std::filesystem::current_path(start_, ec);
  }

 private:
  std::filesystem::path start_;
};

// A path given on the command line, taken from the directory the run started in.
std::string absolute(const std::string& path) {
  if (path.empty()) return path;
  return std::filesystem::absolute(path).lexically_normal().string();
}

// A directory that a dialog of the menus asks for (--to, --from), read as the dialog
// reads a typed path: "A:" is the drive root, "D:\MENTES" lies under it, "\"
// separates. That is typed_path() without its first step, for the command line is
// UTF-8 already (a trip through CP852 would lose the letters it lacks). A path that
// stays relative is taken from the directory the run started in; the others are kept
// as typed and read once the run is in the installation, on its drive.
std::string typed_from_start(const std::string& typed) {
  if (typed.empty()) return typed;
  std::string here = pf::to_linux(typed);
  return here.starts_with('/') ? typed : absolute(here);
}

// An installation has its company table, or the template directory to make it from.
bool looks_like_installation(const std::string& dir) {
  return pf::exists(pf::find_nocase(pf::join(dir, "vallal.dbf"))) ||
         pf::is_dir(pf::find_nocase(pf::join(dir, "xxx")));
}

int run_command(BatchRun& run) {
  const std::string& c = run.opt.command;
  if (c == "check") return batch_check(run);
  if (c == "reindex") return batch_reindex(run);
  if (c == "m30" || c == "ekho") return batch_certificates(run);
  if (c == "takeover") return batch_takeover(run);
  if (c == "backup") return batch_backup(run);
  if (c == "rows") return batch_rows(run);
  return batch_restore(run);
}

// The program's start without the screen, the command, the exit sequence without
// the backup offer.
int started(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  shell::StartArgs args;
  args.honnanind = "batch";  // the directory check applies, with no way round it
  set_globals(ctx, args);
  if (run.opt.date) set_var(ctx, "MAINAP", xbase::Value::date(*run.opt.date));
  if (std::optional<std::string> refused = start_check_failure(ctx, args)) {
    run.report.error(xbase::cp852_to_utf8(*refused));
    return shell::exit_code::kInput;
  }
  if (!looks_like_installation(ctx.program_dir)) {
    run.report.error("nem telepítési könyvtár (nincs vallal.dbf, sem xxx): " + ctx.program_dir);
    return shell::exit_code::kInput;
  }
  ctx.areas.set_deleted(true);
  ctx.areas.set_exact(false);
  // The check changes nothing: it takes no part in the start-up's repairs.
  if (run.opt.command == "check") return batch_check(run);

  const shell::StartServices& services = run.services.start;
  int end_code = 0;
  if (!prepare_tables(ctx, end_code, services)) return end_code == 0 ? shell::exit_code::kBusy : end_code;
  ctx.areas.select(0);
  if (NETUSE(ctx, "konstans", true, true)) {
    services.kons_ini(ctx);
    ctx.areas.close_area();
  }
  set_var(ctx, "LKAR852", xbase::Value::logical(false));
  services.konsbe(ctx);

  int code = run_command(run);
  shell::leave_program(ctx);  // the exit without its backup offer
  return code;
}

}  // namespace

std::string version_text() {
  return "mvirda23 2023.01\n" + xbase::cp852_to_utf8(maint::compiler_text());
}

int run_batch(const std::vector<std::string>& args, const BatchServices& services,
              std::FILE* out, std::FILE* err) {
  BatchParse parsed = parse_batch_args(args);
  if (!parsed.options) {
    std::fprintf(err, "mvirda23 batch: %s\n%s\n", parsed.fault.c_str(), batch_usage_line().c_str());
    return shell::exit_code::kUsage;
  }
  BatchOptions opt = *parsed.options;
  if (opt.help) {
    std::string text = opt.command.empty() ? batch_help() : batch_command_help(opt.command);
    std::fwrite(text.data(), 1, text.size(), out);
    return shell::exit_code::kDone;
  }
  BatchReport report(opt.command, opt.quiet, out, err);

  opt.out = absolute(opt.out);
  opt.export_file = absolute(opt.export_file);
  opt.import_file = absolute(opt.import_file);
  opt.to = typed_from_start(opt.to);
  opt.from = typed_from_start(opt.from);
  WorkingDir back;
  std::string dir = absolute(opt.dir.empty() ? "." : opt.dir);
  std::error_code ec;
  std::filesystem::current_path(dir, ec);
  if (ec) {
    report.error("a könyvtár nem érhető el: " + dir);
    return shell::exit_code::kInput;
  }
  dir = pf::current_dir();

  StopSignals signals;
  auto owned = std::make_unique<console::UnattendedBackend>(static_cast<long long>(opt.wait_seconds) * 1000);
  console::UnattendedBackend& term = *owned;
  console::Console con(std::move(owned));
  console::ReadContext reads(con);
  xbase::WorkAreas areas;
  xbase::Variables vars;
  ui::WindowStack windows;

  support::ErrorHooks hooks = shell::console_error_hooks(con);
  hooks.restore_terminal = nullptr;
  hooks.exit = [](int code) { throw console::RunEnded{code, {}}; };
  hooks.error_stream = [err](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), err);
    std::fflush(err);
  };
  // A printer given up ends the job, not the program: its outcome says so.
  hooks.break_operation = [] {};
  support::ErrorSystem errors(dir, std::move(hooks));
  errors.set_variables(&vars);
  support::ERRORSYS(errors, areas);

  shell::Context ctx(con, areas, vars, windows, reads);
  ctx.errors = &errors;
  ctx.program_dir = dir;

  BatchChoices choices{opt.print || opt.pdf, opt.overwrite};
  term.set_answerer([&](console::UnattendedBackend& t, const std::vector<std::string_view>& lines,
                        const std::vector<std::string_view>& buttons) {
    return batch_answer(t, report, choices, lines, buttons);
  });
  term.set_warner([&](std::string_view text) { report.warning(text); });
  term.set_stop_signal([] { return static_cast<int>(g_stop_signal); });

  BatchRun run{ctx, opt, report, term, services};
  int code;
  try {
    code = started(run);
  } catch (const console::RunEnded& end) {
    code = end.code;
    for (const std::string& line : end.text) report.error(xbase::cp852_to_utf8(line));
    if (code >= 128) {
      report.error(code == 128 + SIGINT ? "megszakítva (SIGINT)" : "leállítva (SIGTERM)");
      // A stop ends as a normal end does.
      try {
        shell::leave_program(ctx);
      } catch (const console::RunEnded&) {
      }
    }
  }
  areas.close_all();  // pending records written, every lock given back
  if (code == shell::exit_code::kDone && report.warnings() > 0) code = shell::exit_code::kFindings;
  return code;
}

shell::StartServices program_start_services() {
  return shell::StartServices{
      .kons_ini = print::KONS_INI,
      .konsbe = print::KONSBE,
      .recover = maint::recover_leftovers,
      .restore = maint::ADATTOLTES,
  };
}

}  // namespace batch
