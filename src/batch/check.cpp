// The check of the batch mode: every table and every index of the installation,
// read only, and what interrupted runs left behind.
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "maint/backup.h"
#include "batch/commands.h"
#include "batch/data_check.h"
#include "batch/rows.h"
#include "shell/record_replace.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/cp852.h"
#include "xbase/dbf_check.h"
#include "xbase/hutext.h"
#include "xbase/lock.h"

namespace batch {

namespace {

namespace pf = support::platform;

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// A table file opened shared as a workstation opens it, and file-locked, for as long
// as the object lives. Another workstation's exclusive open or file lock is waited
// for (the run's budget of waiting).
class HeldTable {
 public:
  HeldTable(shell::Context& ctx, const std::string& path, const std::string& name) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    bool writable = fd_ >= 0;
    if (fd_ < 0) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    wait_in_window(ctx, [&] { return xbase::filelock::open_lock(fd_, false); }, true, name);
    // A file without write access takes no write lock: nobody writes into it either.
    if (writable) locked_ = wait_in_window(ctx, [&] { return xbase::filelock::lock_file(fd_); }, true, name);
  }
  ~HeldTable() {
    if (fd_ < 0) return;
    if (locked_) xbase::filelock::unlock_file(fd_);
    ::close(fd_);
  }
  HeldTable(const HeldTable&) = delete;
  HeldTable& operator=(const HeldTable&) = delete;

 private:
  int fd_ = -1;
  bool locked_ = false;
};

struct Findings {
  BatchRun& run;
  int files = 0, faulty = 0;

  // The faults of a file, as the table and index checks name them (CP852).
  void file(const std::string& name, const std::vector<std::string>& faults) {
    ++files;
    if (faults.empty()) {
      run.report.result(name + ": rendben");
      return;
    }
    ++faulty;
    for (const std::string& f : faults)
      run.report.result(name + ": hibás: " + xbase::cp852_to_utf8(f));
  }
  void leftover(const std::string& name, const std::string& what) {
    ++faulty;
    run.report.result(name + ": " + what);
  }
};

// What an interrupted upgrade, template copy, reindexing, takeover, backup or restore left; the next start
// of the program clears it.
void leftovers(shell::Context& ctx, Findings& out) {
  const std::string dir = ctx.program_dir;
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*"), true)) {
    std::string n = lower(e.name);
    auto ends = [&](std::string_view s) { return n.size() >= s.size() && n.compare(n.size() - s.size(), s.size(), s) == 0; };
    if (n == "temp.dbf")
      out.leftover(e.name, "félbeszakadt táblabővítés munkapéldánya");
    else if (ends(".bak"))
      out.leftover(e.name, "félbeszakadt táblabővítés régi példánya");
    else if (ends(".sablon"))
      out.leftover(e.name, "félbeszakadt sablonmásolás munkapéldánya");
    else if (ends(".ntmp"))
      out.leftover(e.name, "félbeszakadt indexépítés munkafájlja");
    else if (n.rfind("visszatoltes.", 0) == 0)
      out.leftover(e.name, "félbeszakadt visszatöltés maradéka");
    else if (n == shell::kReplaceJournal || n == std::string(shell::kReplaceJournal) + ".tmp")
      out.leftover(e.name, "félbeszakadt adatátvétel naplója");
  }
  for (const std::string& path : maint::stale_backup_dirs(dir))
    out.leftover(pf::file_name(path), "félbeszakadt mentés munkakönyvtára");
}

}  // namespace

int batch_check(BatchRun& run) {
  if (run.opt.data) return batch_data_check(run);
  shell::Context& ctx = run.ctx;
  const std::string dir = ctx.program_dir;
  // The company table open as a running workstation has it, taken under the start-up
  // guard: no start upgrades the tables while they are checked.
  struct SharedOpen {
    int fd = -1;
    ~SharedOpen() {
      if (fd >= 0) ::close(fd);
    }
  } company;
  {
    shell::StartupGuard guard;
    acquire_startup_guard(ctx, guard);
    std::string vallal = pf::find_nocase(pf::join(dir, "vallal.dbf"));
    company.fd = ::open(vallal.c_str(), O_RDONLY | O_CLOEXEC);
    if (company.fd >= 0)
      wait_in_window(ctx, [&] { return xbase::filelock::open_lock(company.fd, false); }, true,
                     "vallal.dbf");
  }

  Findings out{run};
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.dbf"))) {
    std::string path = pf::join(dir, e.name);
    std::string table = lower(e.name.substr(0, e.name.size() - 4));
    HeldTable held(ctx, path, e.name);
    xbase::TableCheck t = xbase::check_table(path);
    out.file(e.name, t.faults);
    run.term.check_stop();
    for (const std::string& index : index_files_of(ctx, table)) {
      std::string ipath =
          pf::find_nocase(index.find('/') == std::string::npos ? pf::join(dir, index) : index);
      if (!pf::exists(ipath)) {
        out.file(pf::file_name(ipath), {std::string(HU("hiányzik"))});
        continue;
      }
      xbase::IndexCheck c = xbase::check_index(path, ipath);
      out.file(pf::file_name(ipath), c.faults);
      run.term.check_stop();
    }
  }
  leftovers(ctx, out);
  report_placeholder_rows(run);
  run.report.progress(std::to_string(out.files) + " fájl ellenőrizve, " +
                      (out.faulty == 0 ? std::string("mind rendben")
                                       : std::to_string(out.faulty) + " hibás vagy maradék"));
  return out.faulty == 0 ? shell::exit_code::kDone : shell::exit_code::kFindings;
}

}  // namespace batch
