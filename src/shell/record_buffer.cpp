#include "shell/record_buffer.h"

#include <cmath>

#include "support/error_routines.h"
#include "xbase/dbf_table.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

using xbase::FieldDef;
using xbase::Value;

namespace {

bool buffered(const FieldDef& f) {
  return f.type == 'C' || f.type == 'N' || f.type == 'D' || f.type == 'L';
}

// A buffer value as the overflow message shows it.
std::string shown(const Value* v) {
  if (!v) return "";
  if (v->is_str()) return v->as_str();
  if (v->is_num()) return xbase::str(*v);
  if (v->is_date()) return xbase::dtoc(v->as_date());
  if (v->is_logical()) return v->as_logical() ? ".T." : ".F.";
  return "";
}

// A missing buffer variable is the runtime's "variable does not exist" error.
[[noreturn]] void no_buffer_variable(const std::string& name) {
  xbase::Error e;
  e.gen_code = xbase::gen::kNoVar;
  e.subsystem = "BASE";
  e.sub_code = 1003;
  e.description = "Variable does not exist";
  e.operation = name;
  e.can_default = true;
  throw xbase::ErrorException(std::move(e));
}

bool too_large(const FieldDef& f, const Value* v) {
  return f.type == 'N' && v && v->is_num() && v->as_num() >= std::pow(10.0, integer_positions(f));
}

void overflow_message(Context& ctx, const FieldDef& f, const Value& v) {
  show_too_big(ctx, too_big_text(shown(ctx.vars.find("XVKOD")), shown(ctx.vars.find("XNEV")),
                                  f.name, v));
}

}  // namespace

void show_too_big(Context& ctx, const std::string& msg) {
  if (ctx.con.backend().take_warning(msg)) return;
  ctx.con.clear_rect(24, 0, 24, 79);
  ctx.con.say(24, 0, msg);
  ctx.con.inkey(0);
  ctx.con.clear_rect(24, 0, 24, 79);
}

std::string too_big_text(std::string_view vkod, std::string_view nev, std::string_view field,
                         const Value& v) {
  return std::string(HU("Túl nagy szám: ")) + std::string(vkod) + " " + std::string(nev) + " " +
         std::string(field) + " " + shown(&v);
}

std::string buffer_name(std::string_view field) {
  return "X" + xbase::upper(xbase::rtrim(field));
}

Value blank_value(const FieldDef& f) {
  switch (f.type) {
    case 'C': return Value::str(std::string(static_cast<size_t>(f.width), ' '));
    case 'N': return Value::num(0);
    case 'D': return Value::date(xbase::Date());
    case 'L': return Value::logical(false);
    default: return Value();
  }
}

int integer_positions(const FieldDef& f) {
  return f.decimals > 0 ? f.width - f.decimals - 1 : f.width;
}

void PUBI(Context& ctx) {
  support::Routine r(ctx.routines(), "PUBI", __LINE__);
  xbase::WorkArea& a = ctx.areas.current();
  for (int i = 0; i < a.field_count(); ++i) {
    const FieldDef& f = a.field(i);
    if (!buffered(f)) continue;
    ctx.vars.make_public(buffer_name(f.name), shell::blank_value(f));
  }
}

void INI(Context& ctx) {
  support::Routine r(ctx.routines(), "INI", __LINE__);
  xbase::WorkArea& a = ctx.areas.current();
  for (int i = 0; i < a.field_count(); ++i) {
    const FieldDef& f = a.field(i);
    if (buffered(f)) ctx.vars.assign(buffer_name(f.name), shell::blank_value(f));
  }
}

void BEOLV(Context& ctx) {
  support::Routine r(ctx.routines(), "BEOLV", __LINE__);
  xbase::WorkArea& a = ctx.areas.current();
  a.skip(0);
  for (int i = 0; i < a.field_count(); ++i) {
    const FieldDef& f = a.field(i);
    if (buffered(f)) ctx.vars.assign(buffer_name(f.name), a.get(i));
  }
}

void CSERE(Context& ctx) {
  support::Routine r(ctx.routines(), "CSERE", __LINE__);
  xbase::WorkArea& a = ctx.areas.current();
  for (int i = 0; i < a.field_count(); ++i) {
    const FieldDef& f = a.field(i);
    if (!buffered(f)) continue;
    std::string name = buffer_name(f.name);
    const Value* v = ctx.vars.find(name);
    if (!v || v->is_nil()) {
      r.at(__LINE__);
      ctx.areas.guarded([&] { no_buffer_variable(name); });
      continue;
    }
    if (too_large(f, v)) {
      overflow_message(ctx, f, *v);
      continue;
    }
    r.at(__LINE__);
    a.put(i, *v);
  }
}

bool buffer_fits(Context& ctx) {
  xbase::WorkArea& a = ctx.areas.current();
  bool fits = true;
  for (int i = 0; i < a.field_count(); ++i) {
    const FieldDef& f = a.field(i);
    const Value* v = ctx.vars.find(buffer_name(f.name));
    if (!too_large(f, v)) continue;
    overflow_message(ctx, f, *v);
    fits = false;
  }
  return fits;
}

bool READE(Context& ctx) {
  support::Routine r(ctx.routines(), "READE", __LINE__);
  console::read_pending(ctx.reads);
  return ctx.con.last_key() == console::key::kEsc;
}

bool CLOSE2TOL(Context& ctx) {
  xbase::AreaSelection keep(ctx.areas);
  for (int n = 2; n <= 20; ++n) {
    xbase::WorkArea& a = ctx.areas.area(n);
    if (a.used()) a.close();
  }
  return true;
}

}  // namespace shell
