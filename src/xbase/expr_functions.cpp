#include "xbase/expr_functions.h"

#include <algorithm>
#include <cmath>

#include "xbase/expr_host.h"
#include "xbase/functions.h"
#include "xbase/ops.h"
#include "xbase/vars.h"

namespace xbase {

Error make_error(int gen_code, int sub_code, std::string description, std::string operation) {
  Error e;
  e.gen_code = gen_code;
  e.subsystem = "BASE";
  e.sub_code = sub_code;
  e.description = std::move(description);
  e.operation = std::move(operation);
  e.severity = Severity::Error;
  return e;
}

void throw_arg_error(std::string_view function, std::span<const Value> args, int sub_code) {
  throw_argument_error(function, sub_code, std::vector<Value>(args.begin(), args.end()));
}

void Functions::add(std::string_view name, NativeFunction fn) {
  std::string key = Variables::normalize(name);
  auto& slot = map_[key];
  if (!slot) {
    slot = std::make_unique<FunctionDef>();
    slot->name = key;
    slot->builtin = builtin_;
  }
  slot->fn = std::move(fn);  // in place: compiled calls keep pointing at it
}

const FunctionDef* Functions::find(std::string_view name) const {
  auto it = map_.find(Variables::normalize(name));
  return it == map_.end() ? nullptr : it->second.get();
}

const FunctionDef* find_function(std::string_view name, const Functions* app) {
  if (const FunctionDef* f = Functions::builtins().find(name)) return f;
  return app ? app->find(name) : nullptr;
}

namespace {

using Args = std::span<const Value>;

bool given(Args a, std::size_t i) { return i < a.size() && !a[i].is_nil(); }

const std::string& text_arg(Args a, std::size_t i, const char* fn) {
  if (i >= a.size() || !a[i].is_str()) throw_arg_error(fn, a);
  return a[i].as_str();
}

double num_arg(Args a, std::size_t i, const char* fn) {
  if (i >= a.size() || !a[i].is_num()) throw_arg_error(fn, a);
  return a[i].as_num();
}

Date date_arg(Args a, std::size_t i, const char* fn) {
  if (i >= a.size() || !a[i].is_date()) throw_arg_error(fn, a);
  return a[i].as_date();
}

// A count or position: truncated toward zero like the runtime, kept inside int.
int int_arg(Args a, std::size_t i, const char* fn) {
  double v = num_arg(a, i, fn);
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

// The length of a text a function is about to make, checked against the limit.
int checked_length(int n, const EvalContext& ctx, const char* fn) {
  if (n <= 0) return 0;
  if (static_cast<std::size_t>(n) > ctx.max_string) {
    Error e = make_error(gen::kStrOverflow, 1233, "String overflow", fn);
    throw ErrorException(std::move(e));
  }
  return n;
}

// PADx: texts as they are, numbers as STR() gives them without leading blanks,
// dates as DTOC() shows them.
std::string pad_source(Args a, const char* fn) {
  if (a.empty()) throw_arg_error(fn, a);
  const Value& v = a[0];
  if (v.is_str()) return v.as_str();
  if (v.is_num()) return ltrim(str(v));
  if (v.is_date()) return dtoc(v.as_date());
  throw_arg_error(fn, a);
}

char pad_fill(Args a, const char* fn) {
  if (!given(a, 2)) return ' ';
  const std::string& f = text_arg(a, 2, fn);
  return f.empty() ? ' ' : f[0];
}

template <std::string (*Pad)(std::string_view, int, char)>
Value pad(Args a, EvalContext& ctx, const char* fn) {
  std::string s = pad_source(a, fn);
  int n = checked_length(int_arg(a, 1, fn), ctx, fn);
  return Value::str(Pad(s, n, pad_fill(a, fn)));
}

int area_of(const EvalContext& ctx) { return ctx.host ? ctx.host->selected_area() : 0; }

void add_builtins(Functions& f) {
  f.add("UPPER", [](Args a, EvalContext&) { return Value::str(upper(text_arg(a, 0, "UPPER"))); });
  f.add("LOWER", [](Args a, EvalContext&) { return Value::str(lower(text_arg(a, 0, "LOWER"))); });
  // The collation key of name indexes: upper case under HU852.
  f.add("HUNGORD",
        [](Args a, EvalContext&) { return Value::str(upper(text_arg(a, 0, "HUNGORD"))); });
  f.add("TRIM", [](Args a, EvalContext&) { return Value::str(rtrim(text_arg(a, 0, "TRIM"))); });
  f.add("RTRIM", [](Args a, EvalContext&) { return Value::str(rtrim(text_arg(a, 0, "RTRIM"))); });
  f.add("LTRIM", [](Args a, EvalContext&) { return Value::str(ltrim(text_arg(a, 0, "LTRIM"))); });
  f.add("ALLTRIM",
        [](Args a, EvalContext&) { return Value::str(alltrim(text_arg(a, 0, "ALLTRIM"))); });
  f.add("PADR", [](Args a, EvalContext& c) { return pad<padr>(a, c, "PADR"); });
  f.add("PADL", [](Args a, EvalContext& c) { return pad<padl>(a, c, "PADL"); });
  f.add("PADC", [](Args a, EvalContext& c) { return pad<padc>(a, c, "PADC"); });
  f.add("LEFT", [](Args a, EvalContext&) {
    const std::string& s = text_arg(a, 0, "LEFT");
    return Value::str(left(s, std::max(0, int_arg(a, 1, "LEFT"))));
  });
  f.add("RIGHT", [](Args a, EvalContext&) {
    const std::string& s = text_arg(a, 0, "RIGHT");
    return Value::str(right(s, std::max(0, int_arg(a, 1, "RIGHT"))));
  });
  f.add("SUBSTR", [](Args a, EvalContext&) {
    const std::string& s = text_arg(a, 0, "SUBSTR");
    int start = int_arg(a, 1, "SUBSTR");
    int count = given(a, 2) ? std::max(0, int_arg(a, 2, "SUBSTR")) : -1;
    return Value::str(substr(s, start, count));
  });
  f.add("LEN", [](Args a, EvalContext&) {
    return Value::num(static_cast<double>(text_arg(a, 0, "LEN").size()));
  });
  f.add("SPACE", [](Args a, EvalContext& c) {
    return Value::str(space(checked_length(int_arg(a, 0, "SPACE"), c, "SPACE")));
  });
  f.add("REPLICATE", [](Args a, EvalContext& c) {
    const std::string& s = text_arg(a, 0, "REPLICATE");
    int n = std::max(0, int_arg(a, 1, "REPLICATE"));
    double total = static_cast<double>(s.size()) * n;
    checked_length(static_cast<int>(std::min(total, 2147483647.0)), c, "REPLICATE");
    return Value::str(replicate(s, n));
  });
  f.add("AT", [](Args a, EvalContext&) {
    const std::string& needle = text_arg(a, 0, "AT");
    const std::string& hay = text_arg(a, 1, "AT");
    std::size_t p = needle.empty() ? std::string::npos : hay.find(needle);
    return Value::num(p == std::string::npos ? 0 : static_cast<double>(p + 1));
  });
  f.add("STR", [](Args a, EvalContext& c) {
    if (a.empty() || !a[0].is_num()) throw_arg_error("STR", a);
    int width = given(a, 1) ? std::max(1, int_arg(a, 1, "STR")) : -1;
    int decimals = given(a, 2) ? std::clamp(int_arg(a, 2, "STR"), 0, 30) : -1;
    if (width > 0) checked_length(width, c, "STR");
    if (width > 0 && decimals < 0) decimals = 0;
    return Value::str(str(a[0], width, decimals));
  });
  f.add("VAL", [](Args a, EvalContext&) { return val(text_arg(a, 0, "VAL")); });
  f.add("ROUND", [](Args a, EvalContext&) {
    double n = num_arg(a, 0, "ROUND");
    int places = std::clamp(int_arg(a, 1, "ROUND"), -30, 30);
    return Value::num(round_half_away(n, places), -1, std::max(0, places));
  });
  f.add("INT", [](Args a, EvalContext&) { return Value::num(std::trunc(num_arg(a, 0, "INT"))); });
  f.add("ABS", [](Args a, EvalContext&) {
    const Value& v = a.empty() ? Value() : a[0];
    double n = num_arg(a, 0, "ABS");
    return Value::num(std::fabs(n), v.width(), v.decimals());
  });
  auto pick = [](const char* fn, bool want_max) {
    return [fn, want_max](Args a, EvalContext&) {
      if (a.size() < 2 || a[0].type() != a[1].type() ||
          !(a[0].is_num() || a[0].is_date() || a[0].is_str()))
        throw_arg_error(fn, a);
      int c = compare(a[0], a[1], true);
      return (want_max ? c >= 0 : c <= 0) ? a[0] : a[1];
    };
  };
  f.add("MAX", pick("MAX", true));
  f.add("MIN", pick("MIN", false));
  f.add("CHR", [](Args a, EvalContext&) {
    return Value::str(std::string(1, static_cast<char>(int_arg(a, 0, "CHR") & 0xFF)));
  });
  f.add("ASC", [](Args a, EvalContext&) {
    const std::string& s = text_arg(a, 0, "ASC");
    return Value::num(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
  });
  f.add("DTOS", [](Args a, EvalContext&) { return Value::str(date_arg(a, 0, "DTOS").dtos()); });
  f.add("DTOC", [](Args a, EvalContext&) { return Value::str(dtoc(date_arg(a, 0, "DTOC"))); });
  f.add("CTOD", [](Args a, EvalContext&) { return Value::date(ctod(text_arg(a, 0, "CTOD"))); });
  f.add("STOD",
        [](Args a, EvalContext&) { return Value::date(Date::from_dtos(text_arg(a, 0, "STOD"))); });
  f.add("DATE", [](Args, EvalContext&) { return Value::date(today()); });
  f.add("YEAR", [](Args a, EvalContext&) { return Value::num(date_arg(a, 0, "YEAR").year()); });
  f.add("MONTH", [](Args a, EvalContext&) { return Value::num(date_arg(a, 0, "MONTH").month()); });
  f.add("DAY", [](Args a, EvalContext&) { return Value::num(date_arg(a, 0, "DAY").day()); });
  f.add("EMPTY", [](Args a, EvalContext&) { return Value::logical(a.empty() || empty(a[0])); });
  f.add("TRANSFORM", [](Args a, EvalContext&) {
    if (a.empty()) throw_arg_error("TRANSFORM", a);
    return Value::str(transform(a[0], text_arg(a, 1, "TRANSFORM")));
  });
  f.add("VALTYPE", [](Args a, EvalContext&) {
    return Value::str(std::string(1, a.empty() ? 'U' : static_cast<char>(a[0].type())));
  });
  f.add("TYPE", [](Args a, EvalContext& c) { return Value::str(type_of(text_arg(a, 0, "TYPE"), c)); });
  f.add("EVAL", [](Args a, EvalContext& c) {
    if (a.empty()) return eval_block(Value(), a, c);
    return eval_block(a[0], a.subspan(1), c);
  });
  f.add("DELETED", [](Args, EvalContext& c) {
    int area = area_of(c);
    return Value::logical(area > 0 && c.host->deleted(area));
  });
  f.add("RECNO", [](Args, EvalContext& c) {
    int area = area_of(c);
    return Value::num(area > 0 ? static_cast<double>(c.host->recno(area)) : 0.0);
  });
}

}  // namespace

const Functions& Functions::builtins() {
  static const Functions* table = [] {
    auto* f = new Functions;
    f->builtin_ = true;
    add_builtins(*f);
    return f;
  }();
  return *table;
}

}  // namespace xbase

