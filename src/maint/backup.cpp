#include "maint/backup.h"

#include <unistd.h>

#include <cstdio>
#include <functional>

#include "maint/archiver.h"
#include "maint/table_locks.h"
#include "shell/shared_access.h"
#include "shell/startup_files.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/hutext.h"

namespace maint {

namespace pf = support::platform;

namespace {

std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return pf::join(pf::current_dir(), path.empty() ? "." : path);
}

// The work directory "mentes.<pid>.tmp", made and flocked while it lives, so a
// start-up of another workstation never takes it for a killed backup's.
class WorkDir {
 public:
  explicit WorkDir(const std::string& program_dir)
      : path_(pf::join(program_dir, "mentes." + std::to_string(::getpid()) + ".tmp")) {
    if (pf::exists(path_)) {
      // A killed backup of a process with our number, unless another machine's
      // backup of that number works in it now.
      pf::LockFile old;
      if (old.try_lock(path_) != pf::LockFile::Result::Locked) return;
      pf::remove_tree(path_);
    }
    if (pf::make_dir(path_)) lock_.try_lock(path_);
  }
  ~WorkDir() {
    if (lock_.held()) pf::remove_tree(path_);
  }
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;
  bool ok() const { return lock_.held(); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  pf::LockFile lock_;  // the directory itself, held while it lives
};

// Copies the held tables and their memo files; false when a copy failed.
bool copy_tables(const std::string& dir, const std::vector<std::string>& tables,
                 const std::string& work, std::vector<std::string>& names) {
  for (const std::string& table : tables) {
    if (pf::copy_file(pf::join(dir, table), pf::join(work, table)) < 0) return false;
    names.push_back(table);
    std::string memo = table.substr(0, table.size() - 4) + ".dbt";
    for (const pf::DirEntry& e : pf::list(pf::join(dir, memo))) {
      if (pf::copy_file(pf::join(dir, e.name), pf::join(work, e.name)) < 0) return false;
      names.push_back(e.name);
    }
  }
  return true;
}

// Links (or copies) the other files of the backup; false when one failed.
bool link_others(const std::string& dir, const std::string& work, std::vector<std::string>& names) {
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.*"))) {
    if (!is_backup_name(e.name)) continue;
    if (pf::exists(pf::join(work, e.name))) continue;  // a table or memo copied already
    if (!pf::link_or_copy(pf::join(dir, e.name), pf::join(work, e.name))) return false;
    names.push_back(e.name);
  }
  return true;
}

}  // namespace

std::string archive_name(const std::string& ev) { return "virda" + ev + "#.zip"; }

bool is_backup_name(const std::string& name) {
  return pf::wildcard_match("*.db?", name) || pf::wildcard_match("*.pdf", name);
}

Result backup(shell::Context& ctx, const std::string& target_dir) {
  const std::string dir = ctx.dir();
  std::string program = find_archiver();
  if (program.empty()) return Result::failed(Outcome::InputMissing, Reason::NoArchiver);
  std::string target = absolute(pf::find_nocase(target_dir));
  std::string archive = pf::find_nocase(pf::join(target, archive_name(ctx.ev)));

  Result res;
  res.path = archive;
  res.earlier_archive = pf::exists(archive);
  WorkDir work(dir);
  {
    shell::StartupGuard guard;
    if (!shell::acquire_startup_guard(ctx, guard))
      return Result::failed(Outcome::Busy, Reason::LockGivenUp);
    TableLocks locks;
    if (!locks.take(ctx, dir)) return Result::failed(Outcome::Busy, Reason::LockGivenUp);
    if (!work.ok() || !copy_tables(dir, locks.tables(), work.path(), res.files))
      return Result::failed(Outcome::NotWritten, Reason::CopyNotWritten);
  }
  if (!link_others(dir, work.path(), res.files))
    return Result::failed(Outcome::NotWritten, Reason::CopyNotWritten);
  auto target_not_written = [&res] {
    res.outcome = Outcome::NotWritten;
    res.reason = Reason::TargetNotWritten;
    return res;
  };

  // The archiver updates a copy; the archive is replaced only by a good one.
  std::string pending = archive + "." + std::to_string(::getpid()) + ".tmp";
  pf::delete_file(pending);
  if (res.earlier_archive && pf::copy_file(archive, pending) < 0) {
    pf::delete_file(pending);
    return target_not_written();
  }
  // The names are all the archiver gets: it expands no wildcard of its own. It
  // would read "*" and "?" in a name as one, and Windows names never hold them.
  std::vector<std::string> operands = {pending};
  for (const std::string& name : res.files)
    if (name.find_first_of("*?") == std::string::npos) operands.push_back(name);
  ArchiverRun run;
  {
    shell::WaitWindow window(ctx, HU("Mentés folyamatban..."));
    run = run_archiver(program, "a", {}, operands, work.path());
  }
  res.archiver_code = run.code;
  res.archiver_line = run.last_line;
  if (!run.ok()) {
    pf::delete_file(pending);
    res.outcome = Outcome::NotWritten;
    res.reason = Reason::ArchiverFailed;
    return res;
  }
  if (!pf::sync_path(pending) || std::rename(pending.c_str(), archive.c_str()) != 0) {
    pf::delete_file(pending);
    return target_not_written();
  }
  pf::sync_path(target);
  res.outcome = Outcome::Done;
  return res;
}

namespace {

// Calls `stale` for each work directory no running backup holds, with the
// directory locked meanwhile.
void for_stale_backup_dirs(const std::string& program_dir,
                           const std::function<void(const std::string& path)>& stale) {
  for (const pf::DirEntry& e : pf::list(pf::join(program_dir, "mentes.*.tmp"), true)) {
    if (!e.is_dir) continue;
    std::string path = pf::join(program_dir, e.name);
    pf::LockFile held;
    if (held.try_lock(path) == pf::LockFile::Result::Locked) stale(path);
  }
}

}  // namespace

std::vector<std::string> stale_backup_dirs(const std::string& program_dir) {
  std::vector<std::string> found;
  for_stale_backup_dirs(program_dir, [&](const std::string& path) { found.push_back(path); });
  return found;
}

int remove_stale_backup_dirs(const std::string& program_dir) {
  int removed = 0;
  for_stale_backup_dirs(program_dir, [&](const std::string& path) {
    if (pf::remove_tree(path)) ++removed;
  });
  return removed;
}

}  // namespace maint
