#include "entry/form.h"

#include "shell/record_buffer.h"
#include "xbase/functions.h"
#include "xbase/ops.h"

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

std::vector<xbase::Value> buffer_values(const shell::Context& ctx) {
  std::vector<xbase::Value> out;
  xbase::WorkArea& a = ctx.areas.current();
  for (int i = 0; i < a.field_count(); ++i) {
    const xbase::Value* v = ctx.vars.find(shell::buffer_name(a.field(i).name));
    out.push_back(v ? *v : xbase::Value());
  }
  return out;
}

bool same_values(const std::vector<xbase::Value>& a, const std::vector<xbase::Value>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].type() != b[i].type()) return false;
    if (!a[i].is_nil() && !a[i].is_block() && !xbase::exactly_equal(a[i], b[i])) return false;
  }
  return true;
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
