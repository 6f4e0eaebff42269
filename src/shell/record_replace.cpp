#include "shell/record_replace.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

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

using Ranges = std::vector<std::pair<uint32_t, uint32_t>>;

// Sorted record numbers as ranges.
Ranges ranges_of(const std::vector<uint32_t>& sorted) {
  Ranges out;
  for (uint32_t r : sorted) {
    if (!out.empty() && out.back().second + 1 == r)
      out.back().second = r;
    else if (out.empty() || out.back().second < r)
      out.push_back({r, r});
  }
  return out;
}

// Marks the records of the ranges deleted, as far as the table has them.
void mark_deleted(xbase::DbfTable& t, const Ranges& ranges) {
  std::string buf(t.record_length(), ' ');
  for (auto [a, b] : ranges) {
    for (uint32_t r = a; r >= 1 && r <= b && r <= t.record_count(); ++r) {
      if (!t.read_record(r, buf.data()) || buf[0] == '*') continue;
      buf[0] = '*';
      t.write_record(r, buf.data());
    }
  }
}

Ranges beyond(uint32_t old_count, uint32_t count) {
  if (count <= old_count) return {};
  return {{old_count + 1, count}};
}

std::string journal_path(const Context& ctx) { return ctx.path(kReplaceJournal); }

// A number of the journal: digits only, below 2^32 - 1.
bool parse_number(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n >= 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(n);
  return true;
}

bool plain_table_name(std::string_view f) {
  if (f.size() < 5 || f.size() > 64) return false;
  if (f.find_first_of("/\\:") != std::string_view::npos || f[0] == '.') return false;
  std::string ext(f.substr(f.size() - 4));
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".dbf";
}

std::vector<std::string_view> split(std::string_view s, char by) {
  std::vector<std::string_view> out;
  size_t at = 0;
  for (;;) {
    size_t next = s.find(by, at);
    out.push_back(s.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
    if (next == std::string_view::npos) return out;
    at = next + 1;
  }
}

bool write_journal(Context& ctx, const ReplaceJournal& j) {
  return pf::write_file_durably(journal_path(ctx), format_replace_journal(j));
}

void remove_journal(Context& ctx) {
  pf::delete_file(journal_path(ctx));
  pf::sync_path(ctx.dir());
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
  ReplaceJournal journal;
  for (Table& t : tables_) {
    xbase::WorkArea& a = *t.area;
    a.commit();
    a.clear_orders();
    remove_table_indexes(ctx_, table_name(t.file));
    t.old_count = a.lastrec();
    journal.tables.push_back({t.file, t.old_count, ranges_of(t.drop)});
  }
  if (!write_journal(ctx_, journal)) return false;
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

  ReplaceJournal journal;
  journal.appended = true;
  for (const Table& t : tables_) journal.tables.push_back({t.file, t.old_count, ranges_of(t.drop)});
  if (!write_journal(ctx_, journal)) return false;
  begun_ = false;  // from here on the change stands
  restructure_step("replace-noted");

  for (Table& t : tables_) {
    ok = t.area->owner().guarded([&] {
      mark_deleted(*t.area->table(), ranges_of(t.drop));
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

std::string format_replace_journal(const ReplaceJournal& j) {
  std::string text = std::string("atiras 1\nallapot ") + (j.appended ? kAppended : kBegun) + "\n";
  for (const ReplaceJournal::Table& t : j.tables) {
    std::string list;
    for (auto [a, b] : t.drop) {
      if (!list.empty()) list += ',';
      list += std::to_string(a);
      if (b > a) list += "-" + std::to_string(b);
    }
    text += t.file + " " + std::to_string(t.old_count) + " " + (list.empty() ? "-" : list) + "\n";
  }
  return text;
}

std::optional<ReplaceJournal> parse_replace_journal(std::string_view text) {
  std::vector<std::string_view> lines = split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  if (lines.size() < 2 || lines.size() > 102 || lines[0] != "atiras 1") return std::nullopt;
  ReplaceJournal j;
  if (lines[1] == std::string("allapot ") + kAppended)
    j.appended = true;
  else if (lines[1] != std::string("allapot ") + kBegun)
    return std::nullopt;
  for (size_t i = 2; i < lines.size(); ++i) {
    std::vector<std::string_view> words = split(lines[i], ' ');
    ReplaceJournal::Table t;
    if (words.size() != 3 || !plain_table_name(words[0]) || !parse_number(words[1], &t.old_count))
      return std::nullopt;
    t.file = std::string(words[0]);
    if (words[2] != "-") {
      for (std::string_view part : split(words[2], ',')) {
        std::vector<std::string_view> ends = split(part, '-');
        uint32_t a = 0, b = 0;
        if (ends.size() > 2 || !parse_number(ends[0], &a) ||
            !parse_number(ends.size() == 2 ? ends[1] : ends[0], &b) || a == 0 || b < a)
          return std::nullopt;
        t.drop.push_back({a, b});
      }
    }
    j.tables.push_back(std::move(t));
  }
  return j;
}

int recover_record_replacement(Context& ctx) {
  pf::delete_file(journal_path(ctx) + ".tmp");
  if (!pf::exists(journal_path(ctx))) return 0;
  std::string text;
  {
    pf::File f;
    if (f.open(journal_path(ctx)))
      for (std::string chunk; !(chunk = f.read(1 << 16)).empty();) text += chunk;
  }
  std::optional<ReplaceJournal> j = parse_replace_journal(text);
  if (!j) {
    // Only a journal that was never completed can be unreadable: its rename is the
    // last step of writing it, so nothing was appended yet.
    remove_journal(ctx);
    return 0;
  }
  try {
    std::vector<std::unique_ptr<xbase::DbfTable>> open;
    for (const ReplaceJournal::Table& t : j->tables)
      open.push_back(xbase::DbfTable::open(xbase::resolve_path_nocase(ctx.path(t.file)), true));
    for (size_t i = 0; i < j->tables.size(); ++i) {
      xbase::DbfTable& table = *open[i];
      if (j->appended)
        mark_deleted(table, j->tables[i].drop);
      else
        mark_deleted(table, beyond(j->tables[i].old_count, table.record_count()));
      table.commit();
      table.close();
    }
  } catch (const xbase::ErrorException&) {
    return 0;  // a table is held elsewhere, or missing: a later start does it
  }
  for (const ReplaceJournal::Table& t : j->tables) remove_table_indexes(ctx, table_name(t.file));
  remove_journal(ctx);
  return 1;
}

}  // namespace shell
