#include "entry/form.h"

#include "xbase/functions.h"

namespace entry {

TableKind table_kind(std::string_view alias) {
  std::string a = xbase::upper(alias);
  if (a.rfind("VALLAL", 0) == 0) return TableKind::Company;
  if (a.rfind("VIRDA", 0) == 0) return TableKind::Person;
  if (a.rfind("ELTAR", 0) == 0) return TableKind::Dependant;
  return TableKind::Other;
}

xbase::WorkArea* open_table(shell::Context& ctx, TableKind kind) {
  for (int n = 1; n <= xbase::WorkAreas::kMaxAreas; ++n) {
    xbase::WorkArea& a = ctx.areas.area(n);
    if (a.used() && table_kind(a.alias()) == kind) return &a;
  }
  return nullptr;
}

std::string var_text(const shell::Context& ctx, std::string_view name) {
  const xbase::Value* v = ctx.vars.find(name);
  return v && v->is_str() ? v->as_str() : std::string();
}

void set_var(shell::Context& ctx, std::string_view name, const xbase::Value& v) {
  if (ctx.vars.exists(name))
    ctx.vars.assign(name, v);
  else
    ctx.vars.make_public(name, v);
}

KeptPlace::KeptPlace(xbase::WorkAreas& areas, xbase::WorkArea& area)
    : areas_(areas), area_(area), selected_(areas.selected()), order_(area.order_number()),
      recno_(area.recno()), eof_(area.eof()) {}

KeptPlace::~KeptPlace() {
  area_.set_order(order_);
  area_.go_to(eof_ ? 0 : recno_);  // past the end stays past the end
  areas_.select(selected_);
}

}  // namespace entry
