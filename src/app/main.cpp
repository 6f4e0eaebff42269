// mvirda23: the annual personal-income-tax data service program, tax year 2023.
//
//   mvirda23 FROM [NOTES]   started by the launcher "virda23" in the installation
//                           directory; a second argument suppresses the change notes
//   mvirda23                only says how the program is started
//   mvirda23 batch ...      a task run without a terminal (docs/batch.md)
//   mvirda23 --help | --version
//   mvirda23 init [--name NAME] DIR
//                           a new, empty installation DIR/VIRDA23, without a terminal
//
// The terminal's hang-up (its window closed) closes the tables and ends the program
// at the next wait for a key, so nothing that was typed and stored is lost.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options.h"
#include "batch/run.h"
#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "console/console.h"
#include "console/get_read.h"
#include "console/terminal.h"
#include "efile/m30_xml_run.h"
#include "entry/browse_screen.h"
#include "entry/help.h"
#include "maint/backup_dialogs.h"
#include "maint/update_check.h"
#include "maint/version_box.h"
#include "print/settings.h"
#include "print/viewer_hooks.h"
#include "shell/context.h"
#include "shell/error_setup.h"
#include "shell/init_installation.h"
#include "shell/program.h"
#include "support/error_handler.h"
#include "support/platform_paths.h"
#include "takeover/atvesz.h"
#include "ui/calculator.h"
#include "ui/windows.h"
#include "xbase/cp852.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

volatile sig_atomic_t g_hangup = 0;

void on_hangup(int) { g_hangup = 1; }

// The terminal, with a watch for the hang-up at every wait for a key.
class HangupWatch : public console::Backend {
 public:
  HangupWatch(std::unique_ptr<console::Backend> inner, std::function<void()> on_hangup)
      : inner_(std::move(inner)), on_hangup_(std::move(on_hangup)) {}

  console::Backend& inner() { return *inner_; }

  void present(const console::Screen& screen) override { inner_->present(screen); }
  bool has_colours() const override { return inner_->has_colours(); }
  void set_clipboard(std::string_view cp852) override { inner_->set_clipboard(cp852); }
  void set_title(std::string_view cp852) override { inner_->set_title(cp852); }

  void drain_input() override { inner_->drain_input(); }

  std::optional<console::KeyEvent> read_key(int timeout_ms) override {
    constexpr int kSliceMs = 200;
    for (;;) {
      check();
      int slice = timeout_ms < 0 || timeout_ms > kSliceMs ? kSliceMs : timeout_ms;
      auto k = inner_->read_key(slice);
      check();
      if (k || timeout_ms == 0) return k;
      if (timeout_ms > 0) {
        timeout_ms -= slice;
        if (timeout_ms <= 0) return k;
      }
    }
  }

 private:
  void check() {
    if (g_hangup && on_hangup_) on_hangup_();
  }
  std::unique_ptr<console::Backend> inner_;
  std::function<void()> on_hangup_;
};

// The batch mode, a new installation and the two informative options, before any
// terminal is made.
std::optional<int> without_terminal(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  std::string_view first = argv[1];
  if (first == "init") return shell::init_main(argc, argv);
  if (first == "--version") {
    std::printf("%s\n", batch::version_text().c_str());
    return 0;
  }
  if (first == "--help") {
    std::printf(
        "használat: mvirda23 HONNAN [JEGYZETEK]   (a virda23 indítja a telepítésben)\n"
        "           mvirda23 init [--name NÉV] KÖNYVTÁR\n%s",
        batch::batch_help().c_str());
    return 0;
  }
  if (first != "batch") return std::nullopt;
  const batch::BatchServices services{.start = batch::program_start_services()};
  return batch::run_batch(std::vector<std::string>(argv + 2, argv + argc), services);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::optional<int> code = without_terminal(argc, argv)) return *code;
  std::unique_ptr<console::Backend> terminal;
  try {
    terminal = console::make_terminal_backend();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mvirda23: %s\n", e.what());
  }
  if (!terminal) {
    // Without a terminal there is nobody to answer: only the start message.
    if (argc < 2)
      std::printf("%s\n", xbase::cp852_to_utf8(shell::start_message("23")).c_str());
    else
      std::fprintf(stderr, "mvirda23: a programhoz terminál kell\n");
    return argc < 2 ? 0 : 1;
  }
  console::TerminalBackend* tty = dynamic_cast<console::TerminalBackend*>(terminal.get());

  xbase::WorkAreas areas;
  xbase::Variables vars;
  ui::WindowStack windows;
  support::ErrorSystem* errors_ptr = nullptr;

  std::unique_ptr<console::Backend> backend;
  if (terminal) {
    backend = std::make_unique<HangupWatch>(std::move(terminal), [&areas, &errors_ptr] {
      g_hangup = 0;
      areas.close_all();  // writes what is pending and gives up every lock
      if (errors_ptr) errors_ptr->end_program(0);
      std::_Exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = on_hangup;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGHUP, &sa, nullptr);
  }
  console::Console con(std::move(backend));
  console::ReadContext reads(con);

  std::string dir = support::platform::current_dir();
  support::ErrorHooks hooks = shell::console_error_hooks(con);
  hooks.restore_terminal = [tty] {
    if (tty) tty->shutdown();
  };
  support::ErrorSystem errors(dir, std::move(hooks));
  errors_ptr = &errors;
  errors.set_variables(&vars);
  support::ERRORSYS(errors, areas);

  shell::Context ctx(con, areas, vars, windows, reads);
  ctx.errors = &errors;
  ctx.program_dir = dir;

  const ui::ViewerHooks viewer = print::viewer_hooks(ctx);
  const shell::ShellServices services{
      .start = batch::program_start_services(),
      .beallit = print::BEALLIT,
      .wwwellen = [](shell::Context& c) { maint::WWWELLEN(c); },
      .help = entry::HELP,
      .calculator = [](shell::Context& c) { ui::CALCULATOR(c.reads); },
      .version_box = maint::VERZ_DRV,
      .viewer = viewer,
      .browse_persons = [](shell::Context& c) { entry::DBEDFELV(c); },
      .m30 =
          [](shell::Context& c) {
            efile::XmlRunOptions xml_options;
            xml_options.out_dir = c.program_dir;
            efile::M30XmlRun xml(c, xml_options);
            certs::JOVEDIG(c, xml.hooks());
          },
      .ekho = certs::EKHOIG,
      .browse_companies = [](shell::Context& c) { entry::DBEDFELV(c); },
      .takeover = [&viewer](shell::Context& c) { takeover::ATVESZ(c, viewer); },
      .backup = maint::ADATMENTES,
  };

  shell::StartArgs args;
  if (argc > 1) args.honnanind = argv[1];
  if (argc > 2) args.valttxt = argv[2];

  int code = shell::MAIN(ctx, args, services);
  areas.close_all();
  if (tty) tty->shutdown();
  return code;
}
