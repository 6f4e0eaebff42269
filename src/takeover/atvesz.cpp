#include "takeover/atvesz.h"

#include "certs/ugyfelval.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "shell/record_buffer.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/report.h"
#include "takeover/takeover_run.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace takeover {

namespace {

namespace pf = support::platform;
namespace key = console::key;

std::string text(std::string_view s) { return std::string(s); }

// Step 1: the "Adatátvétel" screen and the payroll directory. False on Esc.
bool ask_payroll_dir(shell::Context& ctx, std::string& dir) {
  console::Console& con = ctx.con;
  con.clear_screen();
  con.box(1, 0, 23, 79, console::kSingleFrame);
  const std::string title(HU("Adatátvétel"));
  con.say(0, (80 - static_cast<int>(title.size())) / 2, title);
  const std::string label = "20" + ctx.ev + text(HU(". évi bérprogram alkönyvtára:"));
  con.say(9, 2, label);
  std::string field = xbase::padr(dir, kPayrollDirWidth);
  console::GetList list;
  list.add(con, 9, 2 + static_cast<int>(label.size()) + 1, "ELPRG", console::bind_text(field),
           "@KS30");
  console::read(ctx.reads, list);
  if (con.last_key() == key::kEsc) return false;
  dir = xbase::alltrim(field);
  // Remembered whether or not a payroll program is there: the bare text.
  pf::File f;
  if (f.create(ctx.path(kPayrollDirFile))) f.write(dir);
  return true;
}

void progress_line(shell::Context& ctx, const std::string& vkod, const std::string& nev,
                   int percent) {
  ctx.con.say_picture(13, 8, xbase::Value::num(percent), "9999 %");
  ctx.con.say(15, 2, text(HU("Cég: ")) + vkod + text(HU("  Név: ")) + nev);
}

}  // namespace

std::string remembered_payroll_dir(const shell::Context& ctx) {
  pf::File f;
  if (f.open(ctx.path(kPayrollDirFile))) {
    std::string dir = f.read(kPayrollDirWidth);
    // The bare text; a line end typed by hand does not belong to it.
    size_t end = dir.find_first_of("\r\n");
    if (end != std::string::npos) dir.resize(end);
    return xbase::rtrim(dir);
  }
  return pf::shown_path(pf::to_linux("\\KVAD"));
}

std::function<bool(const std::string& vkod)> overwrite_question(shell::Context& ctx) {
  return [&con = ctx.con](const std::string& vkod) {
    return ui::kerdez(con, text(HU("Már vannak a ")) + vkod + text(HU(". cégnek adatai")),
                      {HU("Nem írhatók felül"), HU("Felülírhatók")}) == 2;
  };
}

Hooks screen_hooks(shell::Context& ctx) {
  Hooks hooks;
  hooks.company_begun = [&ctx](const CompanyResult& c) {
    ctx.con.say(13, 2, text(HU("Kész:")));
    progress_line(ctx, c.vkod, "", 0);
  };
  hooks.progress = [&ctx](const std::string& vkod, const std::string& nev, int percent) {
    progress_line(ctx, vkod, xbase::padr(nev, 40), percent);
  };
  hooks.too_big = [&ctx](const std::string& message) { shell::show_too_big(ctx, message); };
  hooks.kept = [&con = ctx.con](const std::string& vkod, const std::string& missing) {
    const std::vector<std::string> lines = kept_lines(vkod, missing);
    ui::kerdez(con, {lines[0], lines[1]}, {HU("Tovább")});
  };
  return hooks;
}

std::vector<std::string> kept_lines(const std::string& vkod, const std::string& missing) {
  return {text(HU("A ")) + vkod + text(HU(". cég adatai változatlanok maradnak,")),
          text(HU("mert a bérprogramból hiányzik: ")) + missing};
}

void ATVESZ(shell::Context& ctx, const ui::ViewerHooks& viewer) {
  support::Routine r(ctx.routines(), "ATVESZ", __LINE__);
  console::Console& con = ctx.con;
  std::string dir = remembered_payroll_dir(ctx);
  if (!ask_payroll_dir(ctx, dir)) {
    common_ending(ctx);
    return;
  }

  Request req;
  req.payroll_dir = dir;
  req.pick = [&ctx] {
    certs::UGYFELVAL(ctx, 4, 15, 22, 65);
    return ctx.con.last_key() != key::kEsc;
  };
  req.overwrite = overwrite_question(ctx);
  Hooks hooks = screen_hooks(ctx);
  Outcome out = run_takeover(ctx, req, hooks);

  switch (out.status) {
    case Status::InputMissing:
      ui::kerdez(con, HU("Nem található a bérprogram!"), {HU("Kilépés")});
      return;
    case Status::Busy:
      ui::kerdez(con,
                 {HU("Valaki használja a megadott könyvtárban levő bérprogramot."),
                  HU("Az átvétel csak akkor futtatható, ha a bérprogramból mindenki kilép!")},
                 {HU("Kilépés")});
      return;
    case Status::Cancelled:
      return;
    case Status::Done:
      break;
  }
  con.say(15, 2, std::string(76, ' '));
  if (!out.findings.empty())
    ui::readme_bg(ctx.reads, ctx.windows, &ctx.vars, ctx.path(kReportFile), 80, "t", viewer);
  if (out.completed) ui::kerdez(con, HU("Az átvétel kész"), {"OK"});
}

}  // namespace takeover
