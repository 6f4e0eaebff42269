#include "print/export_txt.h"

#include "console/frames.h"
#include "print/text_convert.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace print {

namespace pf = support::platform;

namespace {

std::string pad(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}


}  // namespace

std::string export_default_name(std::string_view print_file) {
  size_t slash = print_file.find_last_of("/\\");
  std::string_view base = slash == std::string_view::npos ? print_file : print_file.substr(slash + 1);
  std::string_view stem = base.size() > 4 ? base.substr(0, base.size() - 4) : std::string_view();
  return std::string(stem) + ".txt";
}

ExportResult export_converted(std::string_view print_file, const std::string& target) {
  ExportResult r;
  r.path = target;
  if (pf::same_file(print_file, target)) {
    r.outcome = ExportOutcome::SameAsViewed;
    return r;
  }
  pf::ReplacingFile out;
  if (!out.create(target)) {
    r.outcome = ExportOutcome::CreateFailed;
    return r;
  }
  pf::File in;
  in.open(print_file);  // an unreadable print file gives an empty text file
  r.outcome = ExportOutcome::Written;
  for (;;) {
    std::string block = in.read(512);
    if (block.empty()) break;
    size_t written = out.write(k852win(block));
    r.bytes += static_cast<long long>(written);
    if (written < block.size()) {
      r.outcome = ExportOutcome::WriteFailed;
      return r;  // the work file goes; an existing target stays as it was
    }
  }
  if (!out.commit()) r.outcome = ExportOutcome::CreateFailed;
  return r;
}

ExportResult wintxtbe(console::ReadContext& reads, ui::WindowStack& windows,
                      std::string_view print_file) {
  console::Console& con = reads.console();
  std::string dir = pad(pf::shown_path(pf::current_dir()), kExportDirWidth);
  std::string name = pad(pf::shown_path(export_default_name(print_file)), kExportNameWidth);
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);

  // A blank window with the framed dialog inside it; wider than the name alone
  // needs, so that the directory field can hold a real path.
  windows.open(con, 7, 1, 17, 78);
  windows.open(con, 9, 3, 15, 76, console::kDoubleFrame, HU("Konvertálás windows-os TXT fájlba"));
  int top = windows.offmax(1);
  int left = windows.offmax(2);
  con.say(top + 1, left + 2, HU("Alkönyvtár:"));
  con.say(top + 3, left + 2, HU("Fájl név  :"));
  console::GetList fields;
  fields.add(con, top + 1, left + 14, "ALKONYVTAR", console::bind_text(dir));
  fields.add(con, top + 3, left + 14, "UJNEV", console::bind_text(name));

  ExportResult r;
  for (;;) {
    console::read(reads, fields);
    if (con.last_key() == console::key::kEsc) break;
    std::string d = xbase::alltrim(dir);
    std::string n = xbase::alltrim(name);
    r = export_converted(print_file, pf::typed_path(d, n));
    if (r.outcome == ExportOutcome::SameAsViewed) {
      // Writing onto the viewed note would empty it: ask for another name.
      ui::kerdez(con, HU("A cél azonos a megtekintett fájllal, válasszon másik nevet!"), {"OK"});
      r = ExportResult{};
      continue;
    }
    if (r.outcome == ExportOutcome::CreateFailed)
      ui::kerdez(con, n + std::string(HU(" fájl nem hozható létre")), {HU("Kilépés")});
    else if (r.outcome == ExportOutcome::WriteFailed)
      ui::kerdez(con, n + std::string(HU(" fájl írási hiba")), {HU("Kilépés")});
    break;
  }
  windows.close(con);
  windows.close(con);
  con.set_cursor(cursor);
  return r;
}

}  // namespace print
