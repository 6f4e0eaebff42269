#include "entry/browse_actions.h"
#include "entry/browse_screen.h"
#include "shell/record_buffer.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/expr_workareas.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {

std::string search_filter(shell::Context& ctx) {
  xbase::WorkArea& a = ctx.areas.current();
  std::string filter = ".T.";
  for (int i = 0; i < a.field_count(); ++i) {
    const xbase::FieldDef& f = a.field(i);
    std::string name = xbase::rtrim(f.name);
    std::string var = shell::buffer_name(name);
    const xbase::Value* v = ctx.vars.find(var);
    if (!v || xbase::empty(*v)) continue;
    if (f.type == 'C' && v->is_str())
      filter += ".AND.UPPER(" + name + ")=UPPER(TRIM(" + var + "))";
    else if ((f.type == 'N' && v->is_num()) || (f.type == 'D' && v->is_date()))
      filter += ".AND." + name + "=" + var;
  }
  return filter;
}

void search_by_form(shell::Context& ctx, bool& first) {
  support::Routine r(ctx.routines(), "DBEDFELVFN", __LINE__);
  xbase::WorkArea& a = ctx.areas.current();
  const uint32_t start = a.recno();
  const bool was_eof = a.eof();
  xbase::RecordCondition cond = xbase::text_condition(ctx.areas, search_filter(ctx), &ctx.vars);
  bool found;
  if (first) {
    found = a.locate(cond);
  } else {
    if (!ctx.reads.updated()) a.skip(1);  // not the record found last time again
    found = !a.eof() && a.locate(cond, true);
  }
  if (found) {
    first = false;
    return;
  }
  ui::kerdez(ctx.con, "", {first ? HU("Nem található...") : HU("Nincs több...")});
  first = true;
  a.go_to(was_eof ? 0 : start);  // the cursor stays where the search started
}

}  // namespace entry
