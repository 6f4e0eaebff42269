#include "xbase/dbf_copy.h"

#include <fstream>

#include "xbase/fileio.h"

namespace xbase {
namespace {

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(a, e - a + 1));
}

// A field's value read from text (a raw field of another type, or a line of an SDF file).
Value value_from_text(const FieldDef& to, std::string_view text) {
  switch (to.type) {
    case 'C': {
      std::string s(text);
      s.resize(static_cast<size_t>(to.width), ' ');
      return Value::str(std::move(s));
    }
    case 'N':
    case 'F': {
      std::string t = trim(text);
      FieldDef tmp{"", 'N', static_cast<int>(t.size()) + 1, 0};
      t += ' ';
      return Value::num(decode_field(tmp, t.data()).as_num(), to.width, to.decimals);
    }
    case 'D':
      return Value::date(Date::from_dtos(trim(text)));
    case 'L': {
      std::string t = trim(text);
      char c = t.empty() ? ' ' : t[0];
      return Value::logical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
    }
    default:
      return blank_value(to);
  }
}

// The source field's value as the target field wants it.
Value convert(const FieldDef& from, const FieldDef& to, const Value& v, const char* raw) {
  bool same = from.type == to.type || ((from.type == 'N' || from.type == 'F') &&
                                       (to.type == 'N' || to.type == 'F'));
  if (same) {
    if (to.type == 'N' || to.type == 'F') return Value::num(v.as_num(), to.width, to.decimals);
    return v;
  }
  std::string_view text(raw, static_cast<size_t>(from.width));
  if (to.type == 'C' && (from.type == 'N' || from.type == 'F')) return value_from_text(to, trim(text));
  return value_from_text(to, text);
}

}  // namespace

bool copy_structure(WorkArea& from, std::string_view path, const std::vector<std::string>& fields) {
  Structure s;
  if (fields.empty()) {
    s = from.structure();
  } else {
    for (const std::string& name : fields) {
      int pos = from.field_pos(name);
      if (pos >= 0) s.push_back(from.field(pos));
    }
  }
  return from.owner().create(path, s);
}

size_t append_from(WorkArea& into, std::string_view source_path, SourceCondition cond) {
  WorkAreas& areas = into.owner();
  AreaSelection keep(areas);
  int n = areas.next_free();
  if (n == 0 || !into.used()) return 0;
  areas.select(n);
  std::string alias = "APPFROM" + std::to_string(n);
  if (!areas.use(source_path, alias, OpenMode::Shared, true)) return 0;
  WorkArea& src = areas.current();

  struct Pair {
    int from, to;
  };
  std::vector<Pair> pairs;
  for (int i = 0; i < into.field_count(); ++i) {
    int j = src.field_pos(into.field(i).name);
    if (j >= 0) pairs.push_back({j, i});
  }
  size_t added = 0;
  try {
    for (src.go_top(); !src.eof(); src.skip()) {
      if (cond && !cond(src)) continue;
      if (!into.append_blank()) break;
      for (const Pair& p : pairs) {
        const FieldDef& f = src.field(p.from);
        const char* raw = src.record_bytes() + src.table()->field_offset(p.from);
        into.put(p.to, convert(f, into.field(p.to), src.get(p.from), raw));
      }
      if (src.deleted()) into.delete_record();
      ++added;
    }
  } catch (...) {
    src.close();
    throw;
  }
  src.close();
  return added;
}

size_t append_from_text(WorkArea& into, std::string_view text_path) {
  if (!into.used()) return 0;
  std::string path = resolve_path_nocase(text_path);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    into.owner().guarded([&] {
      throw ErrorException(dbf_error(gen::kOpen, dbferr::kOpen, path, "APPEND FROM", 2, false, true));
    });
    return 0;
  }
  size_t added = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "\x1A" || (line.empty() && in.peek() == EOF)) break;
    if (!into.append_blank()) break;
    size_t at = 0;
    for (int i = 0; i < into.field_count(); ++i) {
      const FieldDef& f = into.field(i);
      size_t w = static_cast<size_t>(f.width);
      std::string piece = at < line.size() ? line.substr(at, w) : "";
      piece.resize(w, ' ');
      at += w;
      if (f.type == 'M') continue;
      into.put(i, value_from_text(f, piece));
    }
    ++added;
  }
  return added;
}

}  // namespace xbase
