#include "maint/restore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

#include "maint/backup.h"
#include "maint/restore_swap.h"
#include "shell/shared_access.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/dbf_check.h"
#include "xbase/hutext.h"
#include "xbase/lock.h"

namespace maint {

namespace pf = support::platform;

namespace {

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string base_name(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Every table of the directory opened exclusively, kept so until the swap is done.
class ExclusiveTables {
 public:
  ~ExclusiveTables() {
    for (int fd : fds_) ::close(fd);
  }
  bool take(const std::string& dir) {
    for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.dbf"))) {
      int fd = ::open(pf::join(dir, e.name).c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      fds_.push_back(fd);
      if (!xbase::filelock::open_lock(fd, true)) return false;
    }
    return true;
  }

 private:
  std::vector<int> fds_;
};

bool regular_file(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_table(const std::string& name) { return pf::wildcard_match("*.dbf", name); }

}  // namespace

bool restorable_entries(const std::vector<ArchiveEntry>& entries, std::vector<std::string>& taken,
                        std::string& clash) {
  taken.clear();
  std::map<std::string, std::string> landing;  // lower-case name -> the entry's
  for (const ArchiveEntry& e : entries) {
    // "e" flattens every entry to its last name: two that meet would overwrite
    // one another, or one would write through a link the other left.
    std::string flat = base_name(e.path);
    auto [at, fresh] = landing.emplace(lower(flat), e.path);
    if (!fresh) {
      clash = at->second + ", " + e.path;
      return false;
    }
    if (e.folder || e.link || flat != e.path || flat.empty()) continue;
    bool plain = true;
    for (unsigned char c : flat) plain = plain && c >= 32 && c != '*' && c != '?';
    if (plain && is_backup_name(flat)) taken.push_back(flat);
  }
  return true;
}

void recover_leftovers(shell::Context& ctx) {
  const std::string dir = ctx.dir();
  recover_restore(dir);
  remove_stale_backup_dirs(dir);
}

Result restore(shell::Context& ctx, const std::string& source_dir, shell::StartupGuard& guard) {
  const std::string dir = ctx.dir();
  ctx.areas.close_all();
  ctx.areas.select(1);
  if (!shell::acquire_startup_guard(ctx, guard))
    return Result::failed(Outcome::Busy, Reason::OthersWorking);
  recover_restore(dir);
  ExclusiveTables tables;
  if (!tables.take(dir)) return Result::failed(Outcome::Busy, Reason::OthersWorking);

  Result res = Result::failed(Outcome::InputMissing, Reason::NoArchive);
  res.path = pf::find_nocase(pf::join(source_dir, archive_name(ctx.ev)));
  if (!regular_file(res.path)) return res;
  std::string program = find_archiver();
  if (program.empty()) return Result::failed(Outcome::InputMissing, Reason::NoArchiver);

  const std::string extracted = pf::join(dir, kExtractDir);
  struct Cleanup {
    std::string dir;
    bool keep = false;
    ~Cleanup() {
      if (!keep) pf::remove_tree(dir);
    }
  } cleanup{extracted};
  auto archiver_failed = [&](const ArchiverRun& run) {
    res.outcome = Outcome::NotWritten;
    res.reason = Reason::ArchiverFailed;
    res.archiver_code = run.code;
    res.archiver_line = run.last_line;
    return res;
  };

  std::vector<std::string> taken;
  {
    shell::WaitWindow window(ctx, HU("Visszatöltés folyamatban..."));
    ArchiverRun listing = run_archiver(program, "l", {"-slt"}, {res.path});
    if (!listing.ok()) return archiver_failed(listing);
    std::string clash;
    if (!restorable_entries(parse_listing(listing.output), taken, clash)) {
      res.outcome = Outcome::Damaged;
      res.reason = Reason::NameClash;
      res.name = clash;
      return res;
    }
    bool any_table = false;
    for (const std::string& name : taken) any_table = any_table || is_table(name);
    if (!any_table) {
      res.outcome = Outcome::InputMissing;
      res.reason = Reason::NoTables;
      return res;
    }
    pf::remove_tree(extracted);
    if (!pf::make_dir(extracted)) return Result::failed(Outcome::NotWritten, Reason::CopyNotWritten);
    ArchiverRun run = run_archiver(program, "e", {"-o" + extracted}, {res.path});
    if (!run.ok()) return archiver_failed(run);
    res.archiver_code = run.code;
  }
  restore_step("extracted");

  // What is taken must be a regular file that is there, and every table sound.
  std::vector<SwapEntry> swap;
  std::map<std::string, std::string> current;  // lower-case name -> as on disk
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.*"))) current[lower(e.name)] = e.name;
  for (const std::string& name : taken) {
    std::string path = pf::join(extracted, name);
    if (!regular_file(path)) continue;
    if (is_table(name) && !xbase::check_table(path, xbase::CheckDepth::Structure).sound()) {
      res.outcome = Outcome::Damaged;
      res.reason = Reason::DamagedTable;
      res.name = name;
      return res;
    }
    auto it = current.find(lower(name));
    swap.push_back({it == current.end() ? name : it->second, name});
    if (!pf::sync_path(path)) return Result::failed(Outcome::NotWritten, Reason::CopyNotWritten);
  }
  restore_step("checked");

  // An interrupted swap leaves the marker, so the next exclusive start rebuilds
  // every index file.
  std::string marker = pf::find_nocase(pf::join(dir, "GOND.BAJ"));
  pf::File f;
  if (f.create(marker)) f.write(HU("Mentés visszatöltése"));
  f.close();
  if (!commit_swap(dir, swap)) {
    recover_restore(dir);  // no journal: both work directories go
    return Result::failed(Outcome::NotWritten, Reason::CopyNotWritten);
  }
  cleanup.keep = true;
  restore_step("journal-written");
  finish_swap(dir, swap);
  restore_step("done");
  res.outcome = Outcome::Done;
  res.reason = Reason::None;
  for (const SwapEntry& e : swap) res.files.push_back(e.target);
  return res;
}

}  // namespace maint
