#include "entry/dependants_browse.h"

#include "console/get_read.h"
#include "entry/browse_screen.h"
#include "entry/form.h"
#include "support/error_routines.h"
#include "xbase/expr_workareas.h"

namespace entry {

bool ELTARBE(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "ELTARBE", __LINE__);
  xbase::WorkArea* dependants = open_table(ctx, TableKind::Dependant);
  if (!dependants) return true;
  xbase::Variables::Scope scope(ctx.vars);
  scope.declare("MVKOD", xbase::Value::str(var_text(ctx, "XVKOD")));
  scope.declare("MSZEMSZAM", xbase::Value::str(var_text(ctx, "XSZEMSZAM")));
  // The person's values of the names the dependants table shares; the dependant
  // forms load their own into them.
  const char* shared[] = {"XVKOD", "XSZEMSZAM", "XNEV"};
  std::vector<xbase::Value> kept;
  for (const char* n : shared) {
    const xbase::Value* v = ctx.vars.find(n);
    kept.push_back(v ? *v : xbase::Value());
  }
  // The name the form holds: in add mode the person is not in the year table yet.
  const std::string holder = var_text(ctx, "XNEV");

  const int before = ctx.areas.selected();
  ctx.areas.select(dependants->number());
  dependants->set_filter(
      xbase::text_condition(ctx.areas, "vkod+szemszam=mvkod+mszemszam", &ctx.vars));
  dependants->go_top();
  console::GetList fields = ctx.reads.getlist();
  ctx.reads.getlist().clear();
  const bool escape = ctx.reads.escape;
  ctx.reads.escape = true;

  DBEDFELV(ctx, holder);

  ctx.reads.escape = escape;
  ctx.reads.getlist() = fields;
  dependants->clear_filter();
  if (xbase::WorkArea* persons = open_table(ctx, TableKind::Person))
    ctx.areas.select(persons->number());
  else
    ctx.areas.select(before);
  for (std::size_t i = 0; i < kept.size(); ++i) ctx.vars.assign(shared[i], kept[i]);
  return true;
}

}  // namespace entry
