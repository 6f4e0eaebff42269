// The all-or-nothing swap of a restore. The archive's files wait, extracted and
// checked, in "visszatoltes.tmp" of the program directory. The journal
// "visszatoltes.jel" (their names, on disk with its directory) is the point of no
// return: before it nothing of the installation has changed, after it the swap is
// always finished. Per name the current file moves into "visszatoltes.old" and the
// restored one takes its place; then the journal and both directories go. Files
// the archive lacks stay as they are.
//
// An interrupted swap is put right by recover_restore(), at start-up and before
// every restore: with a journal the swap is finished, without one the two
// directories (what was extracted, or what was replaced) are removed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace maint {

inline constexpr const char* kExtractDir = "visszatoltes.tmp";
inline constexpr const char* kOldDir = "visszatoltes.old";
inline constexpr const char* kJournal = "visszatoltes.jel";

struct SwapEntry {
  std::string target;  // the file's name in the program directory
  std::string source;  // its name in the extraction directory
};

// Writes the journal (and makes the directory for the replaced files); true when
// it took its name, and so the swap is decided. The files named must be on disk
// already.
bool commit_swap(const std::string& program_dir, const std::vector<SwapEntry>& entries);

// Carries out the swap the journal names (again, where it was cut short).
void finish_swap(const std::string& program_dir, const std::vector<SwapEntry>& entries);

// Puts right what an interrupted restore left. True when a swap was finished.
bool recover_restore(const std::string& program_dir);

// For tests of the interrupted swap: called with each step's name as it is
// reached ("extracted", "checked", "journal-written", "old-moved" and "new-moved"
// for each file, "swapped", "journal-removed", "done"). Empty turns it off.
void set_restore_step_hook(std::function<void(std::string_view step)> hook);
void restore_step(std::string_view step);

}  // namespace maint
