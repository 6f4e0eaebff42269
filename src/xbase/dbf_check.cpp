#include "xbase/dbf_check.h"

#include <memory>

#include "xbase/cp852.h"
#include "xbase/date.h"
#include "xbase/dbf_table.h"
#include "xbase/error.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace xbase {

namespace {

// What is wrong with one field's bytes, "" when nothing.
std::string field_fault(const FieldDef& f, const std::string& text) {
  switch (f.type) {
    case 'N':
    case 'F':
      return parse_number_strict(text, nullptr) ? "" : "not a number";
    case 'D':
      return text == std::string(8, ' ') || !Date::from_dtos(text).empty() ? "" : "not a date";
    case 'L':
      return std::string("TtFfYyNn? ").find(text[0]) == std::string::npos ? "not a logical" : "";
    default:
      return "";
  }
}

}  // namespace

TableCheck check_table(std::string_view path, CheckDepth depth, int max_listed) {
  TableCheck out;
  auto fault = [&](std::string msg) {
    ++out.fault_count;
    if (out.fault_count <= max_listed) out.faults.push_back(std::move(msg));
  };
  std::unique_ptr<DbfTable> t;
  try {
    t = DbfTable::open(path, false, true);
  } catch (const ErrorException& ex) {
    fault(ex.what());
    return out;
  }
  out.opened = true;
  out.records = t->record_count();
  const DbfHeader& h = t->header();
  if (h.record_length != record_length_of(h.fields))
    fault("record length " + std::to_string(h.record_length) + " differs from the fields' " +
          std::to_string(record_length_of(h.fields)));
  // Writers add the record before they count it in the header, so a header that
  // counts more records than the file holds means records were lost (a cut file).
  if (h.record_count > t->record_count())
    fault("the header counts " + std::to_string(h.record_count) + " records, the file holds " +
          std::to_string(t->record_count()));
  else if (h.record_count < t->record_count())
    out.notes.push_back("the header counts " + std::to_string(h.record_count) +
                        " records, the file holds " + std::to_string(t->record_count()) +
                        " (the file size decides)");
  if (depth == CheckDepth::Structure || out.fault_count > 0) return out;

  std::string rec(t->record_length(), ' ');
  for (uint32_t r = 1; r <= t->record_count(); ++r) {
    if (!t->read_record(r, rec.data())) break;
    std::string where = "record " + std::to_string(r);
    if (rec[0] != ' ' && rec[0] != '*') fault(where + ": bad deletion flag");
    for (size_t i = 0; i < h.fields.size(); ++i) {
      const FieldDef& f = h.fields[i];
      std::string text = rec.substr(h.offsets[i], static_cast<size_t>(f.width));
      std::string bad = field_fault(f, text);
      if (!bad.empty())
        fault(where + ": field " + f.name + ": " + bad + " \"" + cp852_to_utf8(text) + "\"");
    }
  }
  return out;
}

IndexCheck check_index(std::string_view table, std::string_view index) {
  IndexCheck out;
  try {
    WorkAreas areas;
    if (!areas.use(table, "", OpenMode::Shared, true)) {
      out.faults.push_back("the table does not open: " + std::string(table));
      return out;
    }
    WorkArea& area = areas.current();
    const std::string path(index);
    auto owned = NtxOrder::open(area, path, ntx_key_function(areas, NtxOrder::stored_key(path)));
    NtxOrder& order = *owned;
    area.add_order(std::move(owned));
    out.opened = true;
    const uint32_t n = area.lastrec();
    std::vector<std::string> keys(n + 1u);
    for (uint32_t r = 1; r <= n; ++r) {
      area.go_to(r);
      keys[r] = order.current_key();
    }
    NtxCheckResult res = order.file().check(n, [&](uint32_t r) -> std::optional<std::string> {
      return r <= n ? std::optional<std::string>(keys[r]) : std::nullopt;
    });
    out.faults = std::move(res.faults);
    out.keys = res.keys;
    out.pages = res.pages;
    out.depth = res.depth;
  } catch (const ErrorException& ex) {
    out.faults.push_back(ex.what());
  }
  return out;
}

}  // namespace xbase
