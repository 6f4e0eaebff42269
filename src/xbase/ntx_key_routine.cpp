#include "xbase/ntx_key_routine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/dbf_table.h"
#include "xbase/expr.h"
#include "xbase/expr_functions.h"
#include "xbase/expr_node.h"
#include "xbase/ntx_format.h"

namespace xbase {

using expr_detail::Node;
using expr_detail::Op;
using Map = std::array<unsigned char, 256>;

struct NtxKeyRoutine::Compiler {
  const DbfTable& table;
  NtxKeyRoutine& r;

  static const FunctionDef* builtin(const char* name) { return Functions::builtins().find(name); }

  // The table's field a name stands for (a field wins over a variable), else -1.
  int field_of(const Node& n) const {
    if (n.op != Op::Name && n.op != Op::Field) return -1;
    return table.field_index(n.name);
  }

  // A numeric constant taken as a count or position, as the text functions take it.
  static bool count_of(const Node& n, int& out) {
    if (n.op != Op::Const || !n.value.is_num()) return false;
    double v = n.value.as_num();
    out = std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
    return true;
  }

  static Part text_part(std::string text) {
    Part p;
    p.len = static_cast<uint32_t>(text.size());
    p.text = std::move(text);
    return p;
  }

  static uint32_t length(const Parts& p) {
    uint32_t n = 0;
    for (const Part& x : p) n += x.len;
    return n;
  }

  // Bytes [from, from + len) of a text made of parts.
  static Parts slice(const Parts& in, uint32_t from, uint32_t len) {
    Parts out;
    uint32_t at = 0;
    for (const Part& p : in) {
      uint32_t b = std::max(from, at), e = std::min(from + len, at + p.len);
      if (b < e) {
        Part q = p;
        uint32_t skip = b - at;
        q.len = e - b;
        if (p.kind == Part::Kind::Text)
          q.text = p.text.substr(skip, q.len);
        else
          q.from += skip;
        out.push_back(std::move(q));
      }
      at += p.len;
    }
    return out;
  }

  // Every part through the upper-case table, after its own table.
  void upper(Parts& parts) {
    static const Map& up = [] () -> const Map& {
      static Map m;
      for (int b = 0; b < 256; ++b) m[b] = hu852_upper(static_cast<unsigned char>(b));
      return m;
    }();
    for (Part& p : parts) {
      if (p.kind == Part::Kind::Text) {
        for (char& c : p.text) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
        continue;
      }
      auto m = std::make_shared<Map>();
      for (int b = 0; b < 256; ++b) (*m)[b] = up[p.map ? (*p.map)[b] : b];
      p.map = m.get();
      r.maps_.push_back(std::move(m));
    }
  }

  // STR or DTOS of a field: the builtin itself runs per record, on the field's value.
  bool call(const Node& n, const FunctionDef* fn, Parts& out) {
    int f = n.kids.empty() ? -1 : field_of(*n.kids[0]);
    if (f < 0) return false;
    char t = table.fields()[static_cast<std::size_t>(f)].type;
    if (fn == builtin("DTOS") ? (t != 'D' || n.kids.size() != 1)
                              : ((t != 'N' && t != 'F') || n.kids.size() > 3))
      return false;
    Part p;
    p.kind = Part::Kind::Call;
    p.fn = fn;
    p.field = f;
    for (std::size_t i = 1; i < n.kids.size(); ++i) {
      if (n.kids[i]->op != Op::Const || !n.kids[i]->value.is_num()) return false;
      p.args.push_back(n.kids[i]->value);
    }
    // The text's length on a blank record; a record giving another length is left to
    // the evaluator.
    std::vector<Value> args{blank_value(table.fields()[static_cast<std::size_t>(f)])};
    args.insert(args.end(), p.args.begin(), p.args.end());
    try {
      EvalContext ctx;
      Value v = fn->fn(args, ctx);
      if (!v.is_str() || v.as_str().size() > ntx::kMaxKeySize) return false;
      p.full = p.len = static_cast<uint32_t>(v.as_str().size());
    } catch (const ErrorException&) {
      return false;
    }
    out.push_back(std::move(p));
    return true;
  }

  // A character expression of a fixed length as parts; false for any other shape.
  bool text(const Node& n, Parts& out) {
    switch (n.op) {
      case Op::Const:
        if (!n.value.is_str()) return false;
        out.push_back(text_part(n.value.as_str()));
        return true;
      case Op::Name:
      case Op::Field: {
        int f = field_of(n);
        if (f < 0 || table.fields()[static_cast<std::size_t>(f)].type != 'C') return false;
        Part p;
        p.kind = Part::Kind::Field;
        p.from = r.offsets_[static_cast<std::size_t>(f)];
        p.len = static_cast<uint32_t>(table.fields()[static_cast<std::size_t>(f)].width);
        out.push_back(std::move(p));
        return true;
      }
      case Op::Add: return text(*n.kids[0], out) && text(*n.kids[1], out);
      case Op::Call: break;
      default: return false;
    }
    const FunctionDef* fn = n.fn;
    if (!fn || !fn->builtin) return false;
    if (fn == builtin("STR") || fn == builtin("DTOS")) return call(n, fn, out);
    Parts t;
    if (n.kids.empty() || !text(*n.kids[0], t)) return false;
    const uint32_t len = length(t);
    int a = 0, b = 0;
    if ((fn == builtin("UPPER") || fn == builtin("HUNGORD")) && n.kids.size() == 1) {
      upper(t);
    } else if (fn == builtin("LEFT") && n.kids.size() == 2 && count_of(*n.kids[1], a)) {
      t = slice(t, 0, std::min<uint32_t>(len, static_cast<uint32_t>(std::max(0, a))));
    } else if (fn == builtin("RIGHT") && n.kids.size() == 2 && count_of(*n.kids[1], a)) {
      uint32_t k = a <= 0 ? 0 : std::min<uint32_t>(len, static_cast<uint32_t>(a));
      t = slice(t, len - k, k);
    } else if (fn == builtin("SUBSTR") && (n.kids.size() == 2 || n.kids.size() == 3) &&
               count_of(*n.kids[1], a) && (n.kids.size() == 2 || count_of(*n.kids[2], b))) {
      long from = a > 0 ? a - 1L : (a < 0 ? std::max(0L, static_cast<long>(len) + a) : 0L);
      if (from >= static_cast<long>(len)) {
        t.clear();
      } else {
        uint32_t rest = len - static_cast<uint32_t>(from);
        uint32_t k = n.kids.size() == 2 ? rest : std::min<uint32_t>(rest, static_cast<uint32_t>(std::max(0, b)));
        t = slice(t, static_cast<uint32_t>(from), k);
      }
    } else if (fn == builtin("PADR") && n.kids.size() == 2 && count_of(*n.kids[1], a) &&
               a <= static_cast<int>(ntx::kMaxKeySize)) {
      uint32_t w = static_cast<uint32_t>(std::max(0, a));
      t = slice(t, 0, std::min(len, w));
      if (w > len) t.push_back(text_part(std::string(w - len, ' ')));
    } else {
      return false;
    }
    out.insert(out.end(), std::make_move_iterator(t.begin()), std::make_move_iterator(t.end()));
    return true;
  }
};

std::optional<NtxKeyRoutine> NtxKeyRoutine::compile(std::string_view key_text, const DbfTable& table) {
  Expr e;
  try {
    e = Expr::compile(key_text);
  } catch (const ErrorException&) {
    return std::nullopt;
  }
  if (!e.tree()) return std::nullopt;
  NtxKeyRoutine r;
  r.fields_ = table.fields();
  for (std::size_t i = 0; i < r.fields_.size(); ++i)
    r.offsets_.push_back(table.field_offset(static_cast<int>(i)));
  Compiler c{table, r};
  const Node& root = *e.tree();

  int f = c.field_of(root);
  if (f >= 0 && r.fields_[static_cast<std::size_t>(f)].type != 'C') {
    // A single numeric, date or logical field.
    const FieldDef& def = r.fields_[static_cast<std::size_t>(f)];
    switch (def.type) {
      case 'N':
      case 'F':
        r.type_ = 'N';
        r.size_ = def.width > 0 ? static_cast<std::size_t>(def.width) : 10;
        r.decimals_ = def.decimals;
        break;
      case 'D':
        r.type_ = 'D';
        r.size_ = 8;
        break;
      case 'L':
        r.type_ = 'L';
        r.size_ = 1;
        break;
      default: return std::nullopt;
    }
    r.value_field_ = f;
    return r;
  }
  if (!c.text(root, r.parts_)) return std::nullopt;
  uint32_t len = Compiler::length(r.parts_);
  if (len == 0 || len > ntx::kMaxKeySize) return std::nullopt;
  r.size_ = len;
  return r;
}

bool NtxKeyRoutine::run_call(const Part& p, const char* record, char* out) const {
  const std::size_t f = static_cast<std::size_t>(p.field);
  Value args[4];
  args[0] = decode_field(fields_[f], record + offsets_[f]);
  std::copy(p.args.begin(), p.args.end(), args + 1);
  try {
    EvalContext ctx;
    Value v = p.fn->fn(std::span<const Value>(args, 1 + p.args.size()), ctx);
    if (!v.is_str() || v.as_str().size() != p.full) return false;
    const auto* s = reinterpret_cast<const unsigned char*>(v.as_str().data()) + p.from;
    for (uint32_t j = 0; j < p.len; ++j) out[j] = static_cast<char>(p.map ? (*p.map)[s[j]] : s[j]);
    return true;
  } catch (const ErrorException&) {
    return false;
  }
}

bool NtxKeyRoutine::run(const char* record, char* out) const {
  if (value_field_ >= 0) {
    const std::size_t f = static_cast<std::size_t>(value_field_);
    std::string k = collation::key_of(decode_field(fields_[f], record + offsets_[f]), size_, decimals_);
    if (k.size() != size_) return false;
    std::memcpy(out, k.data(), size_);
    return true;
  }
  for (const Part& p : parts_) {
    switch (p.kind) {
      case Part::Kind::Field: {
        const auto* s = reinterpret_cast<const unsigned char*>(record) + p.from;
        if (p.map) {
          const Map& m = *p.map;
          for (uint32_t j = 0; j < p.len; ++j) out[j] = static_cast<char>(m[s[j]]);
        } else {
          std::memcpy(out, s, p.len);
        }
        break;
      }
      case Part::Kind::Text: std::memcpy(out, p.text.data(), p.len); break;
      case Part::Kind::Call:
        if (!run_call(p, record, out)) return false;
        break;
    }
    out += p.len;
  }
  return true;
}

}  // namespace xbase
