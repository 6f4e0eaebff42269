#include "shell/record_replace.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "shell/reindex.h"
#include "shell/upgrade.h"
#include "support/platform_files.h"
#include "xbase/dbf_table.h"
#include "xbase/fileio.h"

namespace shell {

namespace {

namespace pf = support::platform;

constexpr const char* kBegun = "kezdett";
constexpr const char* kAppended = "hozzafuzve";

std::string base_name(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The table's name without ".dbf", lower case: its name in the index set.
std::string table_name(const std::string& file) {
  std::string n = file;
  size_t dot = n.find_last_of('.');
  if (dot != std::string::npos) n.resize(dot);
  for (char& c : n)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return n;
}

// Record numbers as ranges: "5-9,12"; "-" for none.
std::string ranges(const std::vector<uint32_t>& sorted) {
  if (sorted.empty()) return "-";
  std::string out;
  for (size_t i = 0; i < sorted.size();) {
    size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1) ++j;
    if (!out.empty()) out += ',';
    out += std::to_string(sorted[i]);
    if (j > i) out += "-" + std::to_string(sorted[j]);
    i = j + 1;
  }
  return out;
}

std::vector<uint32_t> parse_ranges(const std::string& text) {
  std::vector<uint32_t> out;
  if (text == "-") return out;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) {
    size_t dash = part.find('-');
    uint32_t a = static_cast<uint32_t>(std::strtoul(part.c_str(), nullptr, 10));
    uint32_t b = dash == std::string::npos
                     ? a
                     : static_cast<uint32_t>(std::strtoul(part.c_str() + dash + 1, nullptr, 10));
    for (uint32_t r = a; r <= b && r != 0; ++r) out.push_back(r);
  }
  return out;
}

// Marks records of an open table deleted.
void mark_deleted(xbase::DbfTable& t, const std::vector<uint32_t>& recnos) {
  std::string buf(t.record_length(), ' ');
  for (uint32_t r : recnos) {
    if (r == 0 || r > t.record_count() || !t.read_record(r, buf.data())) continue;
    if (buf[0] == '*') continue;
    buf[0] = '*';
    t.write_record(r, buf.data());
  }
}

std::vector<uint32_t> beyond(uint32_t old_count, uint32_t count) {
  std::vector<uint32_t> out;
  for (uint32_t r = old_count + 1; r <= count; ++r) out.push_back(r);
  return out;
}

std::string journal_path(const Context& ctx) { return ctx.path(kReplaceJournal); }

struct JournalTable {
  std::string file;
  uint32_t old_count = 0;
  std::vector<uint32_t> drop;
};

bool write_journal(Context& ctx, const char* state, const std::vector<JournalTable>& tables) {
  std::string text = std::string("atiras 1\nallapot ") + state + "\n";
  for (const JournalTable& t : tables)
    text += t.file + " " + std::to_string(t.old_count) + " " + ranges(t.drop) + "\n";
  return pf::write_file_durably(journal_path(ctx), text);
}

bool read_journal(const Context& ctx, std::string* state, std::vector<JournalTable>* tables) {
  pf::File f;
  if (!f.open(journal_path(ctx))) return false;
  std::string text, chunk;
  while (!(chunk = f.read(1 << 16)).empty()) text += chunk;
  std::stringstream in(text);
  std::string line, word;
  if (!std::getline(in, line) || line != "atiras 1") return false;
  if (!std::getline(in, line) || line.rfind("allapot ", 0) != 0) return false;
  *state = line.substr(8);
  while (std::getline(in, line)) {
    std::stringstream l(line);
    JournalTable t;
    std::string list;
    if (!(l >> t.file >> t.old_count >> list)) return false;
    t.drop = parse_ranges(list);
    tables->push_back(std::move(t));
  }
  return *state == kBegun || *state == kAppended;
}

void remove_journal(Context& ctx) {
  pf::delete_file(journal_path(ctx));
  pf::sync_dir(ctx.program_dir);
}

}  // namespace

RecordReplacement::~RecordReplacement() {
  if (begun_) abandon();
}

void RecordReplacement::drop(xbase::WorkArea& area, std::vector<uint32_t> recnos) {
  std::sort(recnos.begin(), recnos.end());
  tables_.push_back({&area, base_name(area.table()->path()), 0, std::move(recnos)});
}

bool RecordReplacement::begin() {
  std::vector<JournalTable> journal;
  for (Table& t : tables_) {
    xbase::WorkArea& a = *t.area;
    a.commit();
    a.clear_orders();
    remove_table_indexes(ctx_, table_name(t.file));
    t.old_count = a.lastrec();
    journal.push_back({t.file, t.old_count, t.drop});
  }
  if (!write_journal(ctx_, kBegun, journal)) return false;
  begun_ = true;
  restructure_step("replace-begun");
  return true;
}

uint32_t RecordReplacement::append(xbase::WorkArea& area, const std::string& record) {
  uint32_t r = 0;
  area.owner().guarded([&] { r = area.table()->append_record(record.data()); });
  return r;
}

bool RecordReplacement::finish() {
  if (!begun_) return false;
  // Records appended through the area (APPEND BLANK and REPLACE) are written back
  // from the area's buffer first.
  bool ok = true;
  for (Table& t : tables_) ok = t.area->commit() && ok;
  if (!ok) return false;  // the journal still says "begun": undone at the next start
  restructure_step("replace-appended");

  std::vector<JournalTable> journal;
  for (const Table& t : tables_) journal.push_back({t.file, t.old_count, t.drop});
  if (!write_journal(ctx_, kAppended, journal)) return false;
  begun_ = false;  // from here on the change stands
  restructure_step("replace-noted");

  for (Table& t : tables_) {
    ok = t.area->owner().guarded([&] {
      mark_deleted(*t.area->table(), t.drop);
      t.area->table()->commit();
    }) && ok;
    t.area->go_top();
  }
  if (!ok) return false;  // the next start marks the rest
  restructure_step("replace-dropped");
  remove_journal(ctx_);
  restructure_step("replace-done");
  return true;
}

void RecordReplacement::abandon() {
  if (!begun_) return;
  begun_ = false;
  bool ok = true;
  for (Table& t : tables_) {
    t.area->commit();  // a pending record would otherwise be written over the mark
    ok = t.area->owner().guarded([&] {
      xbase::DbfTable& table = *t.area->table();
      mark_deleted(table, beyond(t.old_count, table.record_count()));
      table.commit();
    }) && ok;
    t.area->go_top();
  }
  if (ok) remove_journal(ctx_);
}

int recover_record_replacement(Context& ctx) {
  std::string state;
  std::vector<JournalTable> tables;
  pf::delete_file(journal_path(ctx) + ".tmp");
  if (!pf::exists(journal_path(ctx))) return 0;
  if (!read_journal(ctx, &state, &tables)) {
    // Only a journal that was never completed can be unreadable: its rename is the
    // last step of writing it, so nothing was appended yet.
    remove_journal(ctx);
    return 0;
  }
  try {
    std::vector<std::unique_ptr<xbase::DbfTable>> open;
    for (const JournalTable& t : tables) {
      std::string path = xbase::resolve_path_nocase(ctx.path(t.file));
      open.push_back(xbase::DbfTable::open(path, true));
    }
    for (size_t i = 0; i < tables.size(); ++i) {
      xbase::DbfTable& table = *open[i];
      if (state == kBegun)
        mark_deleted(table, beyond(tables[i].old_count, table.record_count()));
      else
        mark_deleted(table, tables[i].drop);
      table.commit();
      table.close();
    }
  } catch (const xbase::ErrorException&) {
    return 0;  // a table is held elsewhere: a later start does it
  }
  for (const JournalTable& t : tables) remove_table_indexes(ctx, table_name(t.file));
  remove_journal(ctx);
  return 1;
}

}  // namespace shell
