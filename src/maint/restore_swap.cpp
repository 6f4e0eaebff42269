#include "maint/restore_swap.h"

#include <sys/stat.h>

#include <cstdio>

#include "support/platform_files.h"
#include "support/platform_paths.h"

namespace maint {

namespace pf = support::platform;

namespace {

std::function<void(std::string_view)>& step_hook() {
  static std::function<void(std::string_view)> hook;
  return hook;
}

bool present(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<SwapEntry> read_journal(const std::string& path) {
  std::vector<SwapEntry> out;
  for (const std::string& line : pf::read_lines(path, 1 << 20)) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) continue;
    out.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return out;
}

}  // namespace

bool commit_swap(const std::string& program_dir, const std::vector<SwapEntry>& entries) {
  std::string text;
  for (const SwapEntry& e : entries) text += e.target + "\t" + e.source + "\n";
  // Written beside the extracted files, then renamed into place: the journal is
  // either whole or not there.
  std::string draft = pf::join(pf::join(program_dir, kExtractDir), "journal.draft");
  std::string journal = pf::join(program_dir, kJournal);
  pf::File f;
  if (!f.create(draft) || f.write(text) != text.size()) return false;
  f.close();
  if (!pf::make_dir(pf::join(program_dir, kOldDir))) return false;
  if (!pf::sync_path(draft) || !pf::sync_path(pf::join(program_dir, kOldDir))) return false;
  if (std::rename(draft.c_str(), journal.c_str()) != 0) return false;
  // From here on the swap is decided, whatever the sync says.
  pf::sync_path(program_dir);
  return true;
}

void finish_swap(const std::string& program_dir, const std::vector<SwapEntry>& entries) {
  const std::string extracted = pf::join(program_dir, kExtractDir);
  const std::string old = pf::join(program_dir, kOldDir);
  pf::make_dir(old);
  for (const SwapEntry& e : entries) {
    std::string from = pf::join(extracted, e.source);
    if (!present(from)) continue;  // in place already
    std::string current = pf::join(program_dir, e.target);
    std::string kept = pf::join(old, e.target);
    if (present(current) && !present(kept)) {
      std::rename(current.c_str(), kept.c_str());
      restore_step("old-moved");
    }
    std::rename(from.c_str(), current.c_str());
    restore_step("new-moved");
  }
  pf::sync_path(old);
  pf::sync_path(program_dir);
  restore_step("swapped");
  pf::delete_file(pf::join(program_dir, kJournal));
  pf::sync_path(program_dir);
  restore_step("journal-removed");
  pf::remove_tree(extracted);
  pf::remove_tree(old);
}

bool recover_restore(const std::string& program_dir) {
  std::string journal = pf::join(program_dir, kJournal);
  if (present(journal)) {
    finish_swap(program_dir, read_journal(journal));
    return true;
  }
  pf::remove_tree(pf::join(program_dir, kExtractDir));
  pf::remove_tree(pf::join(program_dir, kOldDir));
  return false;
}

void set_restore_step_hook(std::function<void(std::string_view step)> hook) {
  step_hook() = std::move(hook);
}

void restore_step(std::string_view step) {
  if (step_hook()) step_hook()(step);
}

}  // namespace maint
