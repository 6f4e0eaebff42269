#include "xbase/dbf_check.h"

#include <memory>

#include "xbase/date.h"
#include "xbase/dbf_table.h"
#include "xbase/error.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/workarea.h"

namespace xbase {

namespace {

// What is wrong with one field's bytes, "" when nothing.
std::string_view field_fault(const FieldDef& f, const std::string& text) {
  switch (f.type) {
    case 'N':
    case 'F':
      return parse_number_strict(text, nullptr) ? "" : HU("nem szám");
    case 'D':
      return text == std::string(8, ' ') || !Date::from_dtos(text).empty() ? "" : HU("nem dátum");
    case 'L':
      return std::string("TtFfYyNn? ").find(text[0]) == std::string::npos ? HU("nem logikai érték")
                                                                          : "";
    default:
      return "";
  }
}

// The system's reason of an open or read that failed: ": nincs ilyen fájl", or "".
std::string os_reason(int os_code) {
  switch (os_code) {
    case 0: return "";
    case oscode::kFileNotFound:
    case oscode::kPathNotFound: return std::string(HU(": nincs ilyen fájl"));
    case oscode::kAccessDenied: return std::string(HU(": nincs hozzá jog"));
    case oscode::kSharingViolation:
    case oscode::kLockViolation: return std::string(HU(": másik program foglalja"));
    default: return std::string(HU(": rendszerhiba ")) + std::to_string(os_code);
  }
}

// A fault told by the error object of an open or a read: what was wrong with the
// file's bytes, or why the system refused it; anything else in the runtime's one-line
// form of an error.
std::string fault_of(const Error& e) {
  std::string_view why = e.operation;
  switch (e.gen_code) {
    case gen::kCorruption:
      if (why.starts_with("USE: ")) why.remove_prefix(5);
      return std::string(why);
    case gen::kOpen: return std::string(HU("nem nyitható meg")) + os_reason(e.os_code);
    case gen::kRead: return std::string(HU("nem olvasható")) + os_reason(e.os_code);
    default: return std::string(HU("futási hiba: ")) + error_message(e);
  }
}

std::string counts(uint32_t header, uint32_t file) {
  return std::string(HU("a fejléc ")) + std::to_string(header) +
         std::string(HU(" rekordot számol, a fájlban ")) + std::to_string(file) +
         std::string(HU(" van"));
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
    fault(fault_of(ex.error()));
    return out;
  }
  out.opened = true;
  out.records = t->record_count();
  const DbfHeader& h = t->header();
  if (h.record_length != record_length_of(h.fields))
    fault(std::string(HU("a rekordhossz ")) + std::to_string(h.record_length) +
          std::string(HU(", a mezőké együtt ")) + std::to_string(record_length_of(h.fields)));
  // Writers add the record before they count it in the header, so a header that
  // counts more records than the file holds means records were lost (a cut file).
  if (h.record_count > t->record_count())
    fault(counts(h.record_count, t->record_count()));
  else if (h.record_count < t->record_count())
    out.notes.push_back(counts(h.record_count, t->record_count()) +
                        std::string(HU(" (a fájl mérete dönt)")));
  if (depth == CheckDepth::Structure || out.fault_count > 0) return out;

  std::string rec(t->record_length(), ' ');
  for (uint32_t r = 1; r <= t->record_count(); ++r) {
    if (!t->read_record(r, rec.data())) break;
    std::string where = std::to_string(r) + std::string(HU(". rekord"));
    if (rec[0] != ' ' && rec[0] != '*') fault(where + std::string(HU(": hibás törlésjel")));
    for (size_t i = 0; i < h.fields.size(); ++i) {
      const FieldDef& f = h.fields[i];
      std::string text = rec.substr(h.offsets[i], static_cast<size_t>(f.width));
      std::string_view bad = field_fault(f, text);
      if (!bad.empty())
        fault(where + ", " + f.name + std::string(HU(" mező: ")) + std::string(bad) + ": \"" +
              text + "\"");
    }
  }
  return out;
}

IndexCheck check_index(std::string_view table, std::string_view index) {
  IndexCheck out;
  WorkAreas areas;
  try {
    if (!areas.use(table, "", OpenMode::Shared, true)) {
      out.faults.push_back(std::string(HU("a tábla nem nyitható meg")));
      return out;
    }
  } catch (const ErrorException& ex) {
    out.faults.push_back(std::string(HU("a tábla: ")) + fault_of(ex.error()));
    return out;
  }
  try {
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
    out.faults.push_back(fault_of(ex.error()));
  }
  return out;
}

}  // namespace xbase
