#include "maint/backup_dialogs.h"

#include "console/frames.h"
#include "console/get_read.h"
#include "maint/backup.h"
#include "maint/restore.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace maint {

namespace pf = support::platform;

namespace {

constexpr int kPathLength = 255;

// A path for a box line: at most 70 characters, a longer one as "..." and its end.
std::string box_path(const std::string& linux_path) {
  std::string p = pf::shown_path(linux_path);
  return p.size() <= 70 ? p : "..." + p.substr(p.size() - 67);
}

void tell(shell::Context& ctx, const std::vector<std::string>& lines) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  ui::kerdez(ctx.con, views, {"OK"});
}

// "A:" and "B:" were floppy drives: the data disk is asked for.
void ask_for_disk(shell::Context& ctx, const std::string& target) {
  if (xbase::contains(xbase::Value::str(target), xbase::Value::str("A:,B:")))
    ui::kerdez(ctx.con, HU("Helyezze be az adatlemezt!"), {"OK"});
}

std::string archiver_failure(const Result& r, std::string_view head) {
  return std::string(head) + std::to_string(r.archiver_code);
}

}  // namespace

std::string remembered_target(const std::string& program_dir) {
  std::vector<std::string> lines = pf::read_lines(pf::join(program_dir, "masdrv.txt"), 4096, 8192);
  if (lines.empty()) return "";
  std::string path = lines.front();
  while (!path.empty() && (path.back() == ' ' || path.back() == '\x1a')) path.pop_back();
  return xbase::left(xbase::alltrim(path), kPathLength);
}

std::optional<std::string> MELYFLOPPY(shell::Context& ctx, bool backup) {
  console::Console& con = ctx.con;
  const std::string dir = ctx.dir();
  std::string input = xbase::padr(remembered_target(dir), kPathLength);
  std::string colour = con.set_colour("n/bg,bg/n");
  ctx.windows.open(con, 9, 20, 15, 60, console::kSingleFrame, HU("Mentés helye"));
  int top = ctx.windows.offmax(1), left = ctx.windows.offmax(2);
  std::optional<std::string> result;
  for (;;) {
    con.say(top + 1, left + 3, HU("Elérési út (pl. D:\\MENTES):"));
    console::GetList fields;
    console::GetField& f =
        fields.add(con, top + 2, left + 3, "MASDRV", console::bind_text(input), "@S35");
    f.valid = [&input](console::ReadSession&) { return !xbase::alltrim(input).empty(); };
    console::read(ctx.reads, fields);
    if (con.last_key() == console::key::kEsc) break;

    std::string path = xbase::alltrim(input);
    std::string linux_path = pf::typed_path(path);
    if (!pf::is_dir(linux_path)) {
      if (backup) {
        int k = ui::kerdez(con, {HU("A megadott könyvtár nem létezik."), HU("Létrehozás?")},
                           {HU("Igen"), HU("Nem")});
        if (k == 1) pf::make_dirs(linux_path);
      } else {
        ui::kerdez(con, HU("A megadott könyvtár nem létezik!"), {"OK"});
      }
    }
    if (pf::is_dir(linux_path)) {
      result = path;
      pf::File f;
      if (f.create(pf::join(dir, "masdrv.txt"))) f.write(path);
      break;
    }
  }
  ctx.windows.close(con);
  con.set_colour(colour);
  return result;
}

void show_outcome(shell::Context& ctx, const Result& r, bool backup) {
  // A backup that fails leaves the earlier archive, when there was one; a restore
  // that fails leaves the data.
  std::vector<std::string> unchanged;
  if (!backup) unchanged.push_back(std::string(HU("Az adatok változatlanok.")));
  else if (r.earlier_archive) unchanged.push_back(std::string(HU("A korábbi mentés változatlan.")));
  auto with_unchanged = [&unchanged](std::vector<std::string> lines) {
    lines.insert(lines.end(), unchanged.begin(), unchanged.end());
    return lines;
  };
  const std::string target = box_path(r.path.substr(0, std::max<std::size_t>(r.path.find_last_of('/'), 1)));
  switch (r.reason) {
    case Reason::None:
      if (r.outcome != Outcome::Done) return;
      if (backup)
        tell(ctx, {std::string(HU("A mentés elkészült:")), box_path(r.path)});
      else
        tell(ctx, {std::string(HU("A visszatöltés kész."))});
      return;
    case Reason::NoArchiver:
      tell(ctx, {std::string(HU("A 7-Zip tömörítő program nem található.")),
                 std::string(HU("Telepítse a 7zip csomagot!"))});
      return;
    case Reason::NoArchive:
      tell(ctx, {std::string(HU("Nem található a mentés:")), box_path(r.path)});
      return;
    case Reason::NoTables:
      tell(ctx, with_unchanged({std::string(HU("A mentésben nincs adattábla (.dbf):")), box_path(r.path)}));
      return;
    case Reason::LockGivenUp:
    case Reason::OthersWorking:
      if (backup)
        tell(ctx, {std::string(HU("A mentés nem készült el: az állományokat másik munkaállomás használja."))});
      else
        tell(ctx, {std::string(HU("A visszatöltéshez minden más munkaállomásnak ki kell lépnie a programból."))});
      return;
    case Reason::CopyNotWritten:
      if (backup)
        tell(ctx, {std::string(HU("A mentés nem készült el: a munkapéldány nem írható."))});
      else
        tell(ctx, with_unchanged({std::string(HU("A visszatöltés nem sikerült: a munkapéldány nem írható."))}));
      return;
    case Reason::TargetNotWritten:
      tell(ctx, with_unchanged({std::string(HU("A mentés nem készült el, nem írható a mentés helye:")), target}));
      return;
    case Reason::ArchiverFailed: {
      std::vector<std::string> lines = {
          archiver_failure(r, backup ? HU("A mentés nem sikerült, a 7-Zip hibakódja: ")
                                     : HU("A visszatöltés nem sikerült, a 7-Zip hibakódja: ")),
          xbase::left(pf::shown_path(r.archiver_line), 70)};
      if (backup) lines.insert(lines.end(), {std::string(HU("A mentés helye:")), target});
      tell(ctx, with_unchanged(std::move(lines)));
      return;
    }
    case Reason::DamagedTable:
      tell(ctx, {pf::shown_path(r.name) + std::string(HU(": hibás tábla a mentésben. Az adatok változatlanok."))});
      return;
    case Reason::NameClash:
      tell(ctx, {std::string(HU("A mentés két állományának neve csak kis- és nagybetűben tér el:")),
                 xbase::left(pf::shown_path(r.name), 70), std::string(HU("Az adatok változatlanok."))});
      return;
  }
}

Result backup_at_exit(shell::Context& ctx, const std::string& target_dir) {
  // The unclean-exit marker goes only when no other workstation runs.
  if (shell::NETUSE(ctx, "vallal", true)) {
    ctx.areas.close_area();
    pf::delete_file(pf::join(ctx.dir(), "gond.baj"));
  }
  return backup(ctx, target_dir);
}

void ADATMENTES(shell::Context& ctx) {
  ctx.areas.close_all();
  ctx.areas.select(1);
  if (ui::kerdez(ctx.con, HU("Adatállomány mentése?"), {HU("Igen"), HU("Nem")}) != 1) return;
  console::Screen::Saved saved = ctx.con.screen().save_all();
  std::optional<std::string> target = MELYFLOPPY(ctx, true);
  if (target) {
    ask_for_disk(ctx, *target);
    show_outcome(ctx, backup_at_exit(ctx, pf::typed_path(*target)), true);
  }
  ctx.con.screen().restore(saved);
}

bool ADATTOLTES(shell::Context& ctx, shell::StartupGuard& guard) {
  if (ui::kerdez(ctx.con, HU("Adatállomány visszatöltése?"), {HU("Igen"), HU("Nem")}) != 1)
    return false;
  console::Screen::Saved saved = ctx.con.screen().save_all();
  std::optional<std::string> source = MELYFLOPPY(ctx, false);
  Result r;
  if (source) {
    ask_for_disk(ctx, *source);
    r = restore(ctx, pf::typed_path(*source), guard);
    show_outcome(ctx, r, false);
  }
  ctx.con.screen().restore(saved);
  return r.outcome == Outcome::Done;
}

}  // namespace maint
