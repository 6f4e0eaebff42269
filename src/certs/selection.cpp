#include "certs/selection.h"

#include "xbase/expr_workareas.h"
#include "xbase/functions.h"
#include "xbase/ntx_order.h"
#include "xbase/vars.h"

namespace certs {

namespace {

using xbase::Value;

CompanyRange first_and_last(xbase::WorkArea& a) {
  CompanyRange r;
  uint32_t keep = a.recno();
  a.go_top();
  if (!a.eof()) r.first = a.get("vkod").as_str();
  a.go_bottom();
  if (!a.eof()) r.last = a.get("vkod").as_str();
  a.go_to(keep);
  return r;
}

}  // namespace

CompanyRange default_company_range(shell::Context& ctx) {
  CompanyRange r;
  if (xbase::WorkArea* open = ctx.areas.find("VALLAL")) {
    open->skip(0);  // see what other workstations wrote
    r = first_and_last(*open);
  } else {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(0);
    if (!ctx.areas.use(ctx.path("vallal"), "VALLAL", xbase::OpenMode::Shared)) return r;
    xbase::WorkArea& a = ctx.areas.current();
    bool indexed = ctx.areas.guarded([&] {
      std::string index = ctx.path("vallal");
      a.add_order(xbase::NtxOrder::open(
          a, index, xbase::ntx_key_function(ctx.areas, xbase::NtxOrder::stored_key(index), &ctx.vars)));
    });
    if (indexed) r = first_and_last(a);
    ctx.areas.close_area();
  }
  std::string blank(3, ' ');
  if (r.first.empty()) r.first = blank;
  if (r.last.empty()) r.last = blank;
  return r;
}

void set_selection_defaults(shell::Context& ctx, std::string_view kind) {
  CompanyRange r = default_company_range(ctx);
  shell::set_var(ctx, "KMINVKOD", Value::str(r.first));
  shell::set_var(ctx, "KMAXVKOD", Value::str(r.last));
  shell::set_var(ctx, "KVKOD1", Value::str(r.first));
  shell::set_var(ctx, "KVKOD2", Value::str(r.last));
  shell::set_var(ctx, "KSZEMSZAM", Value::str(std::string(10, ' ')));
  if (kind == "JOV") shell::set_var(ctx, "KELLM30XML", Value::str("N"));
}

std::string record_filter_text(const xbase::Variables& vars) {
  const Value* id = vars.find("KSZEMSZAM");
  if (id && id->is_str() && !xbase::alltrim(id->as_str()).empty()) return "szemszam=kszemszam";
  const Value* condi = vars.find("CONDI");
  return condi && condi->is_str() && !condi->as_str().empty() ? condi->as_str() : ".T.";
}

xbase::RecordCondition record_filter(shell::Context& ctx) {
  xbase::AreaSelection keep(ctx.areas);
  ctx.areas.select("VIRDA");
  return xbase::text_condition(ctx.areas, record_filter_text(ctx.vars), &ctx.vars);
}

}  // namespace certs
