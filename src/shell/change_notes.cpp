#include "shell/change_notes.h"

#include <cmath>

#include "console/achoice.h"
#include "shell/menu_screens.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;

std::string lower_name(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void view_note(Context& ctx, const ui::ViewerHooks& viewer, const std::string& path) {
  ui::readme_bg(ctx.reads, ctx.windows, &ctx.vars, path, 80, "ny", viewer);
}

}  // namespace

void show_change_notes(Context& ctx, const ui::ViewerHooks& viewer) {
  const std::string dir = ctx.dir();
  std::vector<pf::DirEntry> notes = pf::list(pf::join(dir, "valt????.txt"));
  if (notes.empty()) return;
  for (const pf::DirEntry& e : notes) {
    view_note(ctx, viewer, pf::join(dir, e.name));
    ctx.con.keyboard(" ");
    ctx.con.inkey();
  }
  int answer =
      ui::kerdez(ctx.con, std::string(HU("A következő indításkor is láthatók legyenek a fájlok?")),
                 {std::string(HU("Igen")), std::string(HU("Nem"))});
  if (answer != 2) return;
  for (const pf::DirEntry& e : notes) {
    // One step that replaces an older read note of that number; a note another
    // workstation has renamed meanwhile is gone and skipped. Nothing is deleted.
    std::string read_name(1, e.name[0] == 'V' ? 'P' : 'p');
    read_name.append(e.name, 1);
    pf::rename_replacing(pf::join(dir, e.name), pf::find_nocase(pf::join(dir, read_name)));
  }
  ui::kerdez(ctx.con, std::string(HU("A fájlokat az egyéb funkciók menüben lehet elolvasni")),
             {"Ok"});
}

std::vector<std::string> change_note_entries(const std::string& program_dir) {
  std::vector<pf::DirEntry> unread = pf::list(pf::join(program_dir, "valt????.txt"));
  std::vector<pf::DirEntry> read = pf::list(pf::join(program_dir, "palt????.txt"));
  std::vector<std::string> out;
  for (const auto& e : unread) out.push_back(e.name + "     olvasatlan");
  for (const auto& e : read) {
    std::string number = lower_name(xbase::substr(e.name, 5, 4));
    bool also_unread = std::any_of(unread.begin(), unread.end(), [&](const pf::DirEntry& u) {
      return lower_name(xbase::substr(u.name, 5, 4)) == number;
    });
    if (also_unread) continue;
    std::string entry = "V";
    entry.append(xbase::substr(e.name, 2, 11)).append("     olvasott  ");
    out.push_back(entry);
  }
  return out;
}

void change_note_list(Context& ctx, const ui::ViewerHooks& viewer) {
  console::Console& con = ctx.con;
  const std::string dir = ctx.dir();
  for (;;) {
    std::vector<std::string> entries = change_note_entries(dir);
    int n = static_cast<int>(entries.size());
    int r = std::max(2, static_cast<int>(std::lround((25.0 - n) / 2)));
    console::Screen::Saved saved = con.screen().save_all();
    std::string colour = con.set_colour(con.is_colour() ? ui::kKerdezColour : ui::kKerdezMono);
    ui::doboz(con, r - 1, 25, r == 2 ? 23 : r + n, 55);
    int choice = console::achoice(con, r, 27, r == 2 ? 22 : r - 1 + n, 53, entries);
    if (choice == 0) {
      con.screen().restore(saved);
      con.set_colour(colour);
      return;
    }
    const std::string& entry = entries[static_cast<size_t>(choice - 1)];
    bool unread = !entry.empty() && xbase::rtrim(entry).back() == 'n';
    std::string rest = xbase::rtrim(xbase::substr(entry, 2, 11));  // "valt.txt" has blanks after it
    std::string path = pf::find_nocase(pf::join(dir, (unread ? "V" : "P") + rest));
    // Another workstation may have turned the unread note into a read one since the
    // list was made: it is shown under its new name.
    if (unread && !pf::exists(path)) path = pf::find_nocase(pf::join(dir, "P" + rest));
    view_note(ctx, viewer, path);
    con.screen().restore(saved);
    con.set_colour(colour);
  }
}

}  // namespace shell
