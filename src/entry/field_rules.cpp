#include "entry/field_rules.h"

#include <cmath>

#include "entry/form.h"
#include "entry/form_page.h"
#include "entry/id_checks_ui.h"
#include "entry/name_address.h"
#include "entry/value_checks.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {

int64_t RuleValues::amount(std::string_view buffer_name) const {
  const xbase::Value v = value(buffer_name);
  return v.is_num() ? static_cast<int64_t>(std::llround(v.as_num())) : 0;
}

std::string RuleValues::text(std::string_view buffer_name) const {
  const xbase::Value v = value(buffer_name);
  return v.is_str() ? v.as_str() : std::string();
}

int64_t RuleValues::constant_amount(std::string_view name, int64_t fallback) const {
  const xbase::Value v = constant(name);
  const int64_t n = v.is_num() ? static_cast<int64_t>(std::llround(v.as_num())) : 0;
  return n ? n : fallback;
}

xbase::Value BufferValues::value(std::string_view buffer_name) const {
  const xbase::Value* v = ctx_.vars.find(buffer_name);
  return v ? *v : xbase::Value();
}

xbase::Value BufferValues::constant(std::string_view name) const { return value(name); }

bool BufferValues::public_space_listed(std::string_view kind, bool padded) const {
  return KOZTERELL(ctx_, padded ? public_space_key(ctx_, kind) : std::string(kind));
}

bool accepted(console::Console& con, const Verdict& v) {
  if (!v) return true;
  if (v->shown) ui::kerdez(con, v->message, {"OK"});
  return false;
}

bool rule_accepts(Form& form, const FieldSpec& spec) {
  if (!spec.rule) return true;
  BufferValues values(form.ctx);
  return accepted(form.ctx.con, spec.rule(RuleInput{values, spec, form.searching()}));
}

int64_t own_amount(const RuleInput& in) { return in.values.amount(in.spec.name); }
int64_t other_amount(const RuleInput& in) { return in.values.amount(in.spec.other); }
std::string own_text(const RuleInput& in) { return in.values.text(in.spec.name); }

std::string codes_wanted(std::string_view codes) {
  std::string listed;
  const bool blank = codes.find(' ') != std::string_view::npos;
  size_t n = 0, count = 0;
  for (char c : codes) count += c != ' ';
  for (char c : codes) {
    if (c == ' ') continue;
    ++n;
    if (!listed.empty()) listed += (n == count && !blank) ? " vagy " : ", ";
    listed += c;
  }
  if (blank) listed += std::string(HU(" vagy üres"));
  return listed + " lehet";
}

Verdict listed_code(const RuleInput& in) {
  if (checks::code_ok(own_text(in), in.spec.codes)) return {};
  return refused(codes_wanted(in.spec.codes));
}

Verdict tax_id(const RuleInput& in) { return tax_id_verdict(own_text(in)); }

Verdict optional_tax_id(const RuleInput& in) {
  const std::string v = own_text(in);
  if (xbase::rtrim(v).empty()) return {};
  return tax_id_verdict(v);
}

}  // namespace entry
