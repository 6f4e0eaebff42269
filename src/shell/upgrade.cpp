#include "shell/upgrade.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "console/alert.h"
#include "shell/reindex.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "xbase/dbf_copy.h"
#include "xbase/dbf_table.h"
#include "xbase/fileio.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;

std::function<void(std::string_view)>& step_hook() {
  static std::function<void(std::string_view)> hook;
  return hook;
}

void step(std::string_view name) { restructure_step(name); }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool begins_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The renames reach the disk before the next step relies on them.
void sync_dir(const std::string& dir) { pf::sync_path(dir.empty() ? "." : dir); }

std::string table_file(const Context& ctx, std::string_view table) {
  return xbase::resolve_path_nocase(xbase::with_default_extension(ctx.path(table), ".dbf"));
}

// Row 24 as it was before a restructure wrote its message there.
class MessageRow {
 public:
  MessageRow(Context& ctx, std::string_view text)
      : con_(ctx.con), saved_(ctx.con.screen().save(24, 0, 24, 79)) {
    con_.say(24, 0, text);
  }
  ~MessageRow() {
    if (restore_) con_.screen().restore(saved_);
  }
  void keep() { restore_ = false; }

 private:
  console::Console& con_;
  console::Screen::Saved saved_;
  bool restore_ = true;
};

size_t live_records(xbase::WorkArea& area);
bool clear_bak_name(const std::string& table_path, const std::string& bak_path);

// The records not marked deleted, copied byte for byte into the table open in
// `into` (of the same structure): a blank number stays blank, where a copy field by
// field would write 0.
size_t copy_live_records(xbase::WorkArea& into, const std::string& table_path) {
  auto src = xbase::DbfTable::open(table_path, false, true);
  std::string buf(src->record_length(), ' ');
  size_t n = 0;
  for (uint32_t r = 1; r <= src->record_count() && src->read_record(r, buf.data()); ++r) {
    if (buf[0] == '*') continue;
    into.table()->append_record(buf.data());
    ++n;
  }
  src->close();
  return n;
}

// Copies the records of `table` not marked deleted into "temp.dbf" with the
// structure `fields`, fills the new fields and swaps the copy in (see upgrade.h).
// `as_is`: the structure is the table's own (PACK) and the records are copied as
// they are.
bool restructure(Context& ctx, std::string_view table, const xbase::Structure& fields,
                 const std::vector<const NewField*>& fills, size_t expected_records,
                 bool as_is = false) {
  std::string table_path = table_file(ctx, table);
  std::string temp_path = ctx.path("temp.dbf");
  if (pf::exists(temp_path)) pf::delete_file(temp_path);

  xbase::WorkAreas& areas = ctx.areas;
  // Failures of the engine reach the error handler; a copy that is not complete
  // is thrown away and the table stays as it is.
  bool filled = false;
  areas.guarded([&] {
    if (!areas.create(temp_path, fields)) return;
    if (!areas.use(temp_path, "", xbase::OpenMode::Exclusive)) return;
    xbase::WorkArea& temp = areas.current();
    step("temp-created");
    size_t copied =
        as_is ? copy_live_records(temp, table_path)
              : xbase::append_from(temp, table_path, [](xbase::WorkArea& src) { return !src.deleted(); });
    // A table that could not be read must not be replaced by a short copy.
    if (copied != expected_records) return;
    if (!fills.empty()) {
      for (temp.go_top(); !temp.eof(); temp.skip()) {
        for (const NewField* f : fills) {
          if (!temp.put(f->def.name, f->compute ? f->compute(temp) : *f->value)) return;
        }
      }
    }
    temp.commit();
    filled = true;
  });
  areas.close_area();
  if (!filled) {
    pf::delete_file(temp_path);
    return false;
  }
  step("temp-filled");

  // From here on the old index files would not match the table.
  remove_table_indexes(ctx, table);
  step("indexes-removed");

  std::string bak_path = xbase::resolve_path_nocase(ctx.path(std::string(table) + ".BAK"));
  if (!clear_bak_name(table_path, bak_path) || !pf::rename_file(table_path, bak_path)) {
    pf::delete_file(temp_path);
    rebuild_table_indexes(ctx, table);
    return false;
  }
  sync_dir(ctx.program_dir);
  step("table-to-bak");

  if (!pf::rename_file(temp_path, table_path)) {
    pf::rename_file(bak_path, table_path);
    sync_dir(ctx.program_dir);
    pf::delete_file(temp_path);
    rebuild_table_indexes(ctx, table);
    return false;
  }
  sync_dir(ctx.program_dir);
  step("temp-to-table");

  pf::delete_file(bak_path);
  step("bak-removed");

  bool ok = rebuild_table_indexes(ctx, table);
  step("indexes-built");
  return ok;
}

// The records a restructure copies: those not marked deleted.
size_t live_records(xbase::WorkArea& area) {
  size_t n = 0;
  for (area.go_top(); !area.eof(); area.skip())
    if (!area.deleted()) ++n;
  return n;
}

// Whether a ".BAK" beside its table holds nothing the table lacks: what a swap
// leaves when it stops after its last rename. A ".BAK" with more records (an
// older program put an empty template in the table's place) is not.
bool bak_is_redundant(const std::string& table_path, const std::string& bak_path) {
  try {
    xbase::WorkAreas areas;
    if (!areas.use(bak_path, "BAK", xbase::OpenMode::Shared, true)) return false;
    xbase::Structure old_fields = areas.current().structure();
    size_t old_records = live_records(areas.current());
    areas.select(2);
    if (!areas.use(table_path, "TABLE", xbase::OpenMode::Shared, true)) return false;
    xbase::WorkArea& now = areas.current();
    for (const xbase::FieldDef& f : old_fields)
      if (now.field_pos(f.name) < 0) return false;
    return now.lastrec() >= old_records;
  } catch (const xbase::ErrorException&) {
    return false;
  }
}

// Frees the name table + ".BAK" for the swap: a redundant file is deleted, any
// other is kept under the first free name table + ".B01" … ".B99".
bool clear_bak_name(const std::string& table_path, const std::string& bak_path) {
  if (!pf::exists(bak_path)) return true;
  if (bak_is_redundant(table_path, bak_path)) return pf::delete_file(bak_path);
  std::string stem = bak_path.substr(0, bak_path.size() - 4);
  for (int i = 1; i <= 99; ++i) {
    std::string aside = stem + (i < 10 ? ".B0" : ".B") + std::to_string(i);
    if (!pf::exists(aside)) return pf::rename_file(bak_path, aside);
  }
  return false;
}

// Whether the file begins as a dBASE table does.
bool looks_like_table(const std::string& path) {
  pf::File f;
  if (!f.open(path)) return false;
  std::string head = f.read(32);
  return head.size() == 32 && (head[0] == 0x03 || static_cast<unsigned char>(head[0]) == 0x83);
}

// Whether every record not marked deleted keeps its value in field `pos` at the
// size `to`.
bool values_fit(xbase::WorkArea& area, int pos, const xbase::FieldDef& to) {
  for (area.go_top(); !area.eof(); area.skip()) {
    if (area.deleted()) continue;
    xbase::Value v = area.get(pos);
    if (to.type == 'C') {
      const std::string& s = v.as_str();
      size_t end = s.find_last_not_of(' ');
      size_t used = end == std::string::npos ? 0 : end + 1;
      if (used > static_cast<size_t>(to.width)) return false;
    } else if (to.type == 'N' || to.type == 'F') {
      std::string text = xbase::str(v.as_num(), to.width, to.decimals);
      if (text.find('*') != std::string::npos) return false;
      double back = std::strtod(text.c_str(), nullptr);
      if (std::fabs(back - v.as_num()) > 1e-9 * std::max(1.0, std::fabs(v.as_num()))) return false;
    }
  }
  return true;
}

}  // namespace

void set_restructure_step_hook(std::function<void(std::string_view step)> hook) {
  step_hook() = std::move(hook);
}

void restructure_step(std::string_view name) {
  if (step_hook()) step_hook()(name);
}

bool UJMEZOINSA(Context& ctx, std::string_view table, const std::vector<NewField>& fields,
                std::string_view after) {
  support::Routine r(ctx.routines(), "UJMEZOINSA", __LINE__);
  recover_restructure(ctx);
  if (!ctx.areas.use(ctx.path(table))) return true;
  xbase::Structure s = ctx.areas.current().structure();

  size_t insert_at = s.size();
  if (!after.empty()) {
    std::string want = upper(after);
    size_t i = 0;
    while (i < s.size() && !begins_with(upper(s[i].name), want)) ++i;
    if (i == s.size()) {
      ctx.areas.close_area();
      console::alert(ctx.con, after);
      return true;
    }
    insert_at = i + 1;
  }

  std::vector<const NewField*> fills;
  bool added = false;
  for (const NewField& f : fields) {
    std::string name = upper(f.def.name);
    bool present = false;
    for (const xbase::FieldDef& have : s) present = present || upper(have.name) == name;
    if (present) continue;
    xbase::FieldDef def = f.def;
    def.name = name;
    s.insert(s.begin() + static_cast<std::ptrdiff_t>(insert_at), def);
    ++insert_at;
    added = true;
    if (f.value || f.compute) fills.push_back(&f);
  }
  size_t live = added ? live_records(ctx.areas.current()) : 0;
  ctx.areas.close_area();
  if (!added) return true;

  MessageRow msg(ctx, std::string(HU("Új mező a ")) + std::string(table) + std::string(HU(" állományba...")));
  restructure(ctx, table, s, fills, live);
  return true;
}

bool MEZOHMOD(Context& ctx, std::string_view table, std::string_view field, char /*type*/,
              int width, int decimals) {
  support::Routine r(ctx.routines(), "MEZOHMOD", __LINE__);
  recover_restructure(ctx);
  if (!ctx.areas.use(ctx.path(table))) return true;
  xbase::WorkArea& area = ctx.areas.current();
  xbase::Structure s = area.structure();
  std::string want = upper(field);
  int pos = 0;
  while (pos < static_cast<int>(s.size()) && !begins_with(upper(s[static_cast<size_t>(pos)].name), want))
    ++pos;
  if (pos == static_cast<int>(s.size())) {
    ctx.areas.close_area();
    return true;
  }
  xbase::FieldDef& def = s[static_cast<size_t>(pos)];
  if (def.width == width && def.decimals == decimals) {
    ctx.areas.close_area();
    return true;
  }
  xbase::FieldDef to = def;
  to.width = width;
  to.decimals = decimals;
  bool fits = values_fit(area, pos, to);
  size_t live = live_records(area);
  ctx.areas.close_area();

  std::string label = std::string(table) + " : " + std::string(field);
  if (!fits) {
    // The narrower field would cut values off: the table stays as it is.
    MessageRow msg(ctx, std::string(HU("Mezőhossz nem módosítható, az adatok nem férnének el: ")) + label);
    msg.keep();
    return true;
  }
  def = to;
  MessageRow msg(ctx, std::string(HU("Mezőhossz módosítás....")) + label);
  restructure(ctx, table, s, {}, live);
  return true;
}

bool pack_table(Context& ctx, std::string_view table) {
  support::Routine r(ctx.routines(), "PACK", __LINE__);
  recover_restructure(ctx);
  if (!ctx.areas.use(ctx.path(table))) return false;
  xbase::WorkArea& area = ctx.areas.current();
  xbase::Structure s = area.structure();
  size_t live = live_records(area);
  bool any_deleted = live != area.lastrec();
  ctx.areas.close_area();
  if (!any_deleted) return true;
  return restructure(ctx, table, s, {}, live, true);
}

int recover_restructure(Context& ctx) {
  namespace fs = std::filesystem;
  std::string dir = ctx.dir();
  int restored = 0;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    if (!e.is_regular_file(ec)) continue;
    std::string name = e.path().filename().string();
    if (name.size() <= 4 || upper(name.substr(name.size() - 4)) != ".BAK") continue;
    std::string table = name.substr(0, name.size() - 4);
    std::string table_path = table_file(ctx, table);
    if (!looks_like_table(e.path().string())) continue;
    if (pf::exists(table_path)) {
      if (bak_is_redundant(table_path, e.path().string())) pf::delete_file(e.path().string());
      continue;
    }
    remove_table_indexes(ctx, table);
    if (pf::rename_file(e.path().string(), table_path)) {
      sync_dir(ctx.program_dir);
      ++restored;
    }
  }
  std::string temp_path = ctx.path("temp.dbf");
  if (pf::exists(temp_path)) pf::delete_file(temp_path);
  return restored;
}

}  // namespace shell
