// Replacing a group of records of the program's tables in one step that survives a
// kill or a power cut anywhere: a later start finds either every old record or every
// new one, in all the tables of the group, never a mixture.
//
//   RecordReplacement r(ctx);
//   r.drop(virda, old_records_of_the_company);
//   r.drop(eltar, old_dependants_of_the_company);
//   r.begin();                  // journal on disk, index files of the tables removed
//   ... append the new records to the areas ...
//   r.finish();                 // new records on disk, old ones marked deleted
//
// The journal "atiras.jel" in the program directory names each table with its
// record count before the change and the records to drop. While it says "kezdett"
// (begun) the change is undone at the next start: the records beyond the old count
// are marked deleted. Once it says "hozzafuzve" (appended, written only after the new
// records reached the disk) the change is finished at the next start: the records to
// drop are marked deleted. The dropped records stay in the file, hidden, until the
// table is packed (pack_table of upgrade.h).
//
// The tables must be open exclusively in their areas. The appends bypass the index
// files, so begin() detaches the areas' orders and deletes the tables' index files;
// the caller builds them again (INDEXELES), and a start after a kill finds them
// missing and builds them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/context.h"

namespace shell {

class RecordReplacement {
 public:
  explicit RecordReplacement(Context& ctx) : ctx_(ctx) {}
  // Without finish() the change is undone.
  ~RecordReplacement();
  RecordReplacement(const RecordReplacement&) = delete;
  RecordReplacement& operator=(const RecordReplacement&) = delete;

  // A table of the change and its records to drop (a table may have none to drop).
  void drop(xbase::WorkArea& area, std::vector<uint32_t> recnos);
  // Writes the journal. False when it could not be written (nothing changed).
  bool begin();
  // Appends one whole record (deletion flag and fields, the table's record length)
  // to a table named by drop(). Returns its record number.
  uint32_t append(xbase::WorkArea& area, const std::string& record);
  // Makes the change complete. False when a step failed; the next start then
  // finishes or undoes it as the journal says.
  bool finish();
  // Undoes a begun change: the appended records are marked deleted.
  void abandon();

 private:
  struct Table {
    xbase::WorkArea* area;
    std::string file;  // its name in the program directory
    uint32_t old_count = 0;
    std::vector<uint32_t> drop;
  };
  Context& ctx_;
  std::vector<Table> tables_;
  bool begun_ = false;
};

// Run at start-up before anything opens the tables: finishes or undoes a
// replacement that was interrupted, removes the index files of its tables and the
// journal. Returns the number of replacements handled (0 or 1).
int recover_record_replacement(Context& ctx);

// The journal's file name.
inline constexpr const char* kReplaceJournal = "atiras.jel";

// The journal's contents:
//   atiras 1
//   allapot kezdett|hozzafuzve
//   <table file> <record count before> <records to drop: "5-9,12", "-" for none>
struct ReplaceJournal {
  struct Table {
    std::string file;  // a plain file name of the program directory ("virda23.dbf")
    uint32_t old_count = 0;
    std::vector<std::pair<uint32_t, uint32_t>> drop;  // ranges of record numbers
  };
  bool appended = false;  // "hozzafuzve": the new records are on disk
  std::vector<Table> tables;
};
std::string format_replace_journal(const ReplaceJournal& j);
// Nothing for a text that is not such a journal (a name with a path in it, a range
// backwards, a number out of range).
std::optional<ReplaceJournal> parse_replace_journal(std::string_view text);

}  // namespace shell
