#include "batch/rows.h"

#include <fcntl.h>
#include <unistd.h>

#include <set>

#include "batch/rows_file.h"
#include "efile/row_table.h"
#include "shell/shared_access.h"
#include "store/m30_rows.h"
#include "store/template_dir.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"
#include "xbase/error.h"
#include "xbase/lock.h"

namespace batch {

namespace {

namespace pf = support::platform;
namespace code = shell::exit_code;

std::string table_path(const shell::Context& ctx) {
  return pf::find_nocase(ctx.path(efile::row_table_name(ctx.ev)));
}

// The table file opened as a table is opened exclusively, for as long as the object
// lives, whatever its content: a workstation's shared open is waited for.
class ExclusiveHold {
 public:
  ExclusiveHold(shell::Context& ctx, const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;  // no table yet: the new one is the first
    held_ = wait_in_window(ctx, [&] { return xbase::filelock::open_lock(fd_, true); }, true,
                           pf::file_name(path));
  }
  ~ExclusiveHold() {
    if (fd_ >= 0) ::close(fd_);
  }
  ExclusiveHold(const ExclusiveHold&) = delete;
  ExclusiveHold& operator=(const ExclusiveHold&) = delete;
  bool held() const { return fd_ < 0 || held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// The bytes of a row table with these rows, as the template's writer writes it.
std::optional<std::string> table_bytes(const std::vector<store::M30RowText>& rows) {
  const std::string work = pf::temp_file("seg23m30");
  if (work.empty()) return std::nullopt;
  std::optional<std::string> bytes;
  try {
    store::write_m30_row_table(work, rows);
    bytes = pf::read_file(work);
  } catch (const xbase::ErrorException&) {
  }
  pf::delete_file(work);
  return bytes;
}

// The same table but for the date of its last change (header bytes 1-3).
bool same_but_date(std::string a, std::string b) {
  if (a.size() != b.size() || a.size() < 4) return false;
  a.replace(1, 3, 3, '\0');
  b.replace(1, 3, 3, '\0');
  return a == b;
}

// An error line, and the exit code it ends with.
int ended(BatchRun& run, const std::string& line, int exit_code) {
  run.report.error(line);
  return exit_code;
}

int export_rows(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  const std::string name = efile::row_table_name(ctx.ev);
  std::optional<efile::RowTable> rows = efile::open_row_table(ctx);
  if (!rows) return ended(run, "az M30 XML sortábla nem olvasható: " + name, code::kInput);
  RowsText out = rows_text(*rows);
  for (size_t i : out.unwritable)
    run.report.error(name + " " + std::to_string(i + 1) + ". sora: az xmlkod mezőben „;” áll, " +
                     "a fájl nem hordozhatja");
  if (!out.unwritable.empty()) return code::kInput;
  const std::string& file = run.opt.export_file;
  if (!pf::write_file_durably(file, out.text))
    return ended(run, "a fájl nem írható: " + file, code::kNotWritten);
  run.report.result(file);
  run.report.progress(std::to_string(rows->rows().size()) + " sor kiírva: " + name);
  return code::kDone;
}

int import_rows(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  const std::string& file = run.opt.import_file;
  const std::string name = efile::row_table_name(ctx.ev);
  std::optional<std::string> text = pf::read_file(file);
  if (!text) return ended(run, "a fájl nem olvasható: " + file, code::kInput);
  RowsFile parsed = parse_rows_file(*text);
  for (const RowsFault& f : parsed.faults)
    run.report.error(file + (f.line > 0 ? ", " + std::to_string(f.line) + ". sor: " : ": ") +
                     f.text);
  if (!parsed.faults.empty()) return ended(run, "a sortábla nem változott: " + name, code::kInput);

  // As a start copies the template directory: not while a start is under way, and
  // not while a workstation reads the table for its XML files.
  shell::StartupGuard guard;
  if (!acquire_startup_guard(ctx, guard)) return code::kBusy;
  const std::string path = table_path(ctx);
  ExclusiveHold hold(ctx, path);
  if (!hold.held()) return code::kBusy;

  std::optional<std::string> bytes = table_bytes(parsed.rows);
  if (!bytes) return ended(run, "az új sortábla nem készíthető el: " + name, code::kNotWritten);
  if (std::optional<std::string> now = pf::read_file(path); now && same_but_date(*now, *bytes)) {
    run.report.progress("a sortábla nem változott: " + name);
    return code::kDone;
  }
  if (!pf::write_file_durably(path, *bytes))
    return ended(run, "a sortábla nem írható: " + name, code::kNotWritten);
  run.report.result(path);
  run.report.progress(std::to_string(parsed.rows.size()) + " sor betöltve: " + name);
  return code::kDone;
}

}  // namespace

int batch_rows(BatchRun& run) {
  return run.opt.export_file.empty() ? import_rows(run) : export_rows(run);
}

void report_placeholder_rows(BatchRun& run) {
  shell::Context& ctx = run.ctx;
  std::set<std::string> placeholders;
  for (const store::M30Row& r : store::m30_rows())
    if (!r.confirmed) placeholders.insert(xbase::cp852_to_cp1250(r.xmlkod));
  std::optional<efile::RowTable> rows;
  try {
    rows = efile::RowTable::read(*xbase::DbfTable::open(table_path(ctx), false, true));
  } catch (const xbase::ErrorException&) {
  }
  if (!rows) return;
  int left = 0;
  std::string first;
  for (const efile::RowTable::Row& r : rows->rows()) {
    if (!placeholders.count(r.xmlkod)) continue;
    if (left++ == 0) first = xbase::cp1250_to_utf8(r.xmlkod);
  }
  if (left == 0) return;
  run.report.result(efile::row_table_name(ctx.ev) + ": " + std::to_string(left) +
                    " sorában még a program ideiglenes XML mezőazonosítója áll (" + first +
                    " …); a valódiak betöltése: mvirda23 batch rows --export sorok.txt, az " +
                    "xmlkod oszlop kitöltése a nyomtatvány leírása szerint, majd mvirda23 " +
                    "batch rows --import sorok.txt");
}

}  // namespace batch
