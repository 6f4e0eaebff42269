#include "xbase/expr_workareas.h"

#include <memory>

#include "xbase/expr_functions.h"

namespace xbase {

int WorkAreasHost::selected_area() const {
  int n = fixed_area_ > 0 ? fixed_area_ : areas_.selected();
  return areas_.area(n).used() ? n : 0;
}

int WorkAreasHost::area_of_alias(std::string_view alias) const {
  WorkArea* a = areas_.find(alias);
  return a ? a->number() : 0;
}

int WorkAreasHost::field_index(int area, std::string_view name) const {
  return areas_.area(area).field_pos(name);
}

Value WorkAreasHost::field_value(int area, int index) const {
  return areas_.area(area).get(index);
}

bool WorkAreasHost::field_text(int area, int index, std::string_view& out) const {
  WorkArea& a = areas_.area(area);
  if (!a.used() || index < 0 || index >= a.field_count()) return false;
  const FieldDef& f = a.field(index);
  if (f.type != 'C') return false;
  out = std::string_view(a.record_bytes() + a.table()->field_offset(index),
                         static_cast<std::size_t>(f.width));
  return true;
}

bool WorkAreasHost::field_is(int area, int index, std::string_view name) const {
  WorkArea& a = areas_.area(area);
  return a.used() && index >= 0 && index < a.field_count() && a.field(index).name == name;
}

void WorkAreasHost::set_field(int area, int index, const Value& v) {
  areas_.area(area).put(index, v);
}

bool WorkAreasHost::deleted(int area) const { return areas_.area(area).deleted(); }

int64_t WorkAreasHost::recno(int area) const { return areas_.area(area).recno(); }

int WorkAreasHost::select_area(int area) {
  int before = areas_.selected();
  areas_.select(area);
  return before;
}

EvalContext areas_context(WorkAreas& areas, ExprHost* host, Variables* vars, const Functions* app) {
  EvalContext ctx;
  ctx.host = host;
  ctx.vars = vars;
  ctx.functions = app;
  WorkAreas* w = &areas;
  ctx.handler = [w](Error& e) {
    return w->error_handler() ? w->error_handler()(e) : ErrorAnswer::fail();
  };
  return with_settings(ctx, areas);
}

RecordCondition text_condition(WorkAreas& areas, std::string_view text, Variables* vars,
                               const Functions* app) {
  struct State {
    explicit State(WorkAreas& w) : host(w), areas(w) {}
    WorkAreasHost host;
    WorkAreas& areas;
    Expr expr;
    EvalContext ctx;
    int area = 0;
  };
  auto s = std::make_shared<State>(areas);
  s->expr = Expr::compile(text, app);
  s->area = areas.selected();
  s->ctx = areas_context(areas, &s->host, vars, app);
  return [s]() {
    AreaSelection keep(s->areas);
    s->areas.select(s->area);
    return s->expr.eval_condition(with_settings(s->ctx, s->areas));
  };
}

}  // namespace xbase
