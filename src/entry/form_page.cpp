#include "entry/form_page.h"

#include <cmath>

#include "console/colour.h"
#include "console/get_buffer.h"

namespace entry {

void build_page(Form& form, HelpBox& box, const PageSpec& page, console::GetList& fields) {
  shell::Context& ctx = form.ctx;
  console::Console& con = ctx.con;
  for (const PageLabel& l : page.labels) {
    if (l.colour.empty()) {
      con.say(l.row, l.col, l.text);
    } else {
      console::Attr a = con.attr();
      console::parse_slot(l.colour, a);
      con.say(l.row, l.col, l.text, a);
    }
  }
  for (const FieldSpec& spec : page.fields) {
    const int col = spec.col >= 0 ? spec.col : con.col() - spec.col;
    console::GetField& f = fields.add(con, ctx.vars, spec.row, col, spec.name, spec.picture);
    if (!spec.colour.empty()) {
      f.colour = spec.colour;
      f.show(con);
    }
    const FieldSpec* s = &spec;
    Form* fm = &form;
    HelpBox* hb = &box;
    const bool plain = spec.plain_in_search && form.searching();
    if (spec.when || spec.enters || !spec.help.lines.empty()) {
      f.when = [s, fm, hb](console::ReadSession& session) {
        FieldEnv e{*fm, *hb, *s, session, *session.active_field()};
        if (s->enters && !s->enters(BufferValues(fm->ctx))) return false;
        if (s->when && !s->when(e)) return false;
        if (!s->help.lines.empty()) hb->show(fm->ctx.con, s->help.lines, s->help.row, s->help.col);
        return true;
      };
    }
    if (((spec.check || spec.rule) && !plain) || !spec.help.lines.empty()) {
      const bool run_check = !plain;
      f.valid = [s, fm, hb, run_check](console::ReadSession& session) {
        FieldEnv e{*fm, *hb, *s, session, *session.active_field()};
        const bool ok = !run_check || (rule_accepts(*fm, *s) && (!s->check || s->check(e)));
        if (ok && !s->help.lines.empty()) hb->remove(fm->ctx.con);
        return ok;
      };
    }
    if (spec.reader && !plain) {
      f.reader = [s, fm, hb](console::ReadSession& session, console::GetField& field) {
        FieldEnv e{*fm, *hb, *s, session, field};
        s->reader(e);
      };
    }
  }
}

int field_width(const shell::Context& ctx, const FieldSpec& spec) {
  const xbase::Value* v = ctx.vars.find(spec.name);
  return console::GetBuffer(v ? *v : xbase::Value::str(""), spec.picture).shown_width();
}

int64_t amount_of(const shell::Context& ctx, std::string_view name) {
  const xbase::Value* v = ctx.vars.find(name);
  return v && v->is_num() ? static_cast<int64_t>(std::llround(v->as_num())) : 0;
}

std::string text_of(FieldEnv& e) {
  xbase::Value v = e.field.value();
  return v.is_str() ? v.as_str() : std::string();
}

}  // namespace entry
