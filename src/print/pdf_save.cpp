#include "print/pdf_save.h"

#include "console/frames.h"
#include "console/get_read.h"
#include "print/print_job.h"
#include "print/routing.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace print {

namespace pf = support::platform;

namespace {

std::string fit(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

}  // namespace

PdfSave PDFBE(shell::Context& ctx, const std::string& pdf, const std::string& name) {
  console::Console& con = ctx.con;
  console::Device device = con.set_device(console::Device::Screen);
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);
  std::string colour = con.set_colour("w/r,r/w");

  std::string memory = pf::find_nocase(ctx.path("pdfek.alk"));
  std::string dir = fit(pf::shown_path(pf::current_dir()), kPdfDirWidth);
  std::string view = " ";
  if (pf::exists(memory)) {
    std::vector<std::string> lines = pf::read_lines(memory, 4096, 1 << 16);
    dir = fit(lines.empty() ? "" : lines[0], kPdfDirWidth);
    view = lines.size() > 1 && !lines[1].empty() ? lines[1].substr(0, 1) : " ";
  }
  std::string file = fit(name, kPdfNameWidth);

  ctx.windows.open(con, 8, 3, 16, 76, console::kDoubleFrame, HU("Mentés PDF fájlba"));
  int top = ctx.windows.offmax(1);
  int left = ctx.windows.offmax(2);
  PdfSave result;
  for (;;) {
    con.say(top + 1, left + 2, HU("Alkönyvtár:"));
    con.say(top + 3, left + 2, HU("Fájl név  :"));
    con.say(top + 5, left + 2, HU("PDF megtekintése [X]:"));
    console::GetList fields;
    fields.add(con, top + 1, left + 14, "ALKONYVTAR", console::bind_text(dir), "@K");
    fields.add(con, top + 3, left + 14, "FNEV", console::bind_text(file), "@K");
    fields.add(con, top + 5, left + 24, "NEZ", console::bind_text(view), "!").valid =
        [&view](console::ReadSession&) { return view == " " || view == "X"; };
    console::read(ctx.reads, fields);
    if (con.last_key() == console::key::kEsc) break;

    std::string d = xbase::alltrim(dir);
    std::string linux_dir = pf::typed_path(d);
    if (!pf::exists(linux_dir)) {
      int k = ui::kerdez(con, {HU("A megadott könyvtár nem létezik."), HU("Létrehozás?")},
                         {HU("Igen"), HU("Nem")});
      if (k != 1) continue;
      pf::make_dirs(linux_dir);
    }
    std::string n = xbase::alltrim(file);
    std::string shown_target = d + "/" + n + ".pdf";
    std::string target = pf::typed_path(d, n + ".pdf");
    if (pf::exists(target)) {
      int k = ui::kerdez(con, {HU("A fájl már létezik:"), shown_target, HU("Felülírja?")},
                         {HU("Igen"), HU("Nem")});
      if (k != 1) continue;
    }
    if (n.empty() || LF_FCOPY(pdf, target) < 0) {
      ui::kerdez(con,
                 {shown_target + std::string(HU(" fájl nem hozható létre!")), "",
                  HU("Lehetséges okok:"), HU("-hibás könyvtár vagy fájlnév"),
                  HU("-a fájl meg van nyitva a pdf olvasóban")},
                 {"OK"});
      continue;
    }
    pf::File alk;
    if (alk.create(ctx.path("pdfek.alk"))) alk.write(fit(dir, kPdfDirWidth) + "\r\n" + view);
    alk.close();
    pf::delete_file(pdf);
    result.saved = true;
    result.target = target;
    if (view == "X" && !pf::start_detached({"xdg-open", target}, pf::quiet_run()))
      ui::kerdez(con, viewer_missing_message()[0], {HU("Tovább")});
    break;
  }
  ctx.windows.close(con);
  con.set_colour(colour);
  con.set_cursor(cursor);
  con.set_device(device);
  return result;
}

}  // namespace print
