#include "entry/key_check.h"

#include "console/get_read.h"
#include "console/keys.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/expr.h"
#include "xbase/expr_workareas.h"
#include "xbase/hutext.h"

namespace entry {

std::string duplicate_message() { return std::string(HU("Ez már volt. Nem lehet újra felvinni !")); }

xbase::Value key_value(shell::Context& ctx, std::string_view key_text) {
  xbase::WorkAreasHost host(ctx.areas);
  xbase::EvalContext ec = xbase::areas_context(ctx.areas, &host, &ctx.vars);
  return xbase::evaluate(key_text, ec);
}

bool key_taken(shell::Context& ctx, xbase::WorkArea& area, std::string_view key_text, int order,
               uint32_t except) {
  if (order < 1 || order > static_cast<int>(area.order_count())) return false;
  area.set_order(order);
  xbase::Value key;
  {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(area.number());
    key = key_value(ctx, key_text);
  }
  return area.seek(key) && area.recno() != except;
}

bool IDXJO(Form& form, std::string_view key_text, int order) {
  shell::Context& ctx = form.ctx;
  support::Routine r(ctx.routines(), "IDXJO", __LINE__);
  console::Console& con = ctx.con;
  xbase::WorkArea& area = ctx.areas.current();
  std::string text = key_text.empty() ? ctx.reads.read_var() : std::string(key_text);
  const int old_order = area.order_number();
  const int row = con.row(), col = con.col();
  // The record being entered: in add mode the one about to be appended.
  const uint32_t own = form.adding() ? area.lastrec() + 1 : form.recno ? form.recno : area.recno();

  // Up always lets the user back to the previous field, without the message.
  const bool up = con.last_key() == console::key::kUp;
  bool ok = !key_taken(ctx, area, text, order, own);
  if (form.adding())
    area.go_to(0);  // past the last record, where the new one will be
  else
    area.go_to(own);
  area.set_order(old_order);
  if (!ok && !up) {
    con.clear_keyboard();
    ui::kerdez(con, duplicate_message(), {"OK"});
  }
  con.set_pos(row, col);
  return ok || up;
}

}  // namespace entry
