#include "entry/company_form.h"

#include "console/colour.h"
#include "console/get_read.h"
#include "entry/id_checks_ui.h"
#include "entry/key_check.h"
#include "entry/name_address.h"
#include "store/tables.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

constexpr std::string_view kGetszin = "gr/n,w+/g,n,n,gr+/n";

struct Label {
  int row, col;
  std::string_view text;
};

const Label kLabels[] = {
    {3, 2, HU("Szám:")},
    {3, 40, HU("Név:")},
    {5, 2, HU("Képviselő:")},
    {7, 2, HU("Cim: -ir.:          -helység:")},
    {8, 7, HU("-közterület (utca,tér stb.) neve :")},
    {9, 7, HU("-közterület jellege (út,utca stb):")},
    {10, 7, HU("-házszám:       -épület:    -lépcsőház:    -emelet:       -ajtó:")},
    {12, 2, HU("Lev. -ir.:          -helység:")},
    {13, 7, HU("-közterület (utca,tér stb.) neve :")},
    {14, 7, HU("-közterület jellege (út,utca stb):")},
    {15, 7, HU("-házszám:       -épület:    -lépcsőház:    -emelet:       -ajtó:")},
    {17, 2, HU("Adószám:")},
    {17, 40, HU("Jogelőd adószáma:")},
    {19, 2, HU("Telefon:")},
    {19, 40, HU("Ügyintéző:")},
};

Verdict code_given(const RuleInput& in) {
  return unless(!xbase::rtrim(own_text(in)).empty(), HU("a cég kódja nem lehet üres"));
}

// In search mode an empty seat kind or tax number is no criterion and passes; a value
// given must be valid.
Verdict seat_kind(const RuleInput& in) {
  return public_space_kind_verdict(in.values, own_text(in), in.searching);
}
Verdict mailing_kind(const RuleInput& in) {
  return public_space_kind_verdict(in.values, own_text(in), true);
}
Verdict tax_number(const RuleInput& in) { return company_tax_id_verdict(own_text(in), in.searching); }
Verdict predecessor(const RuleInput& in) { return company_tax_id_verdict(own_text(in), true); }

// An address: postcode, town, name and kind of public space, house number,
// building, staircase, floor, door; `n` "" for the seat, "2" for the mailing address.
void address(std::vector<FieldSpec>& f, int row, const std::string& n, ValueRule kind) {
  f.push_back(field(row, 13, "Xirszam" + n));
  f.push_back(field(row, 32, "Xhelyseg" + n));
  f.push_back(field(row + 1, 42, "Xutca" + n, "@S37"));
  f.push_back(field(row + 2, 42, "Xkozter" + n).ruled_by(kind));
  const std::pair<int, const char*> parts[] = {
      {17, "Xhazszam"}, {32, "Xepulet"}, {47, "Xlepcso"}, {59, "Xemelet"}, {72, "Xajto"}};
  for (const auto& [col, name] : parts) f.push_back(field(row + 3, col, name + n));
}

std::vector<FieldSpec> build_company_fields() {
  std::vector<FieldSpec> f = {
      field(3, 8, "Xvkod", "@K 999").ruled_by(code_given),
      field(3, 46, "Xvnev", "@S33"),
      field(5, 13, "Xvkepv"),
  };
  address(f, 7, "", seat_kind);
  address(f, 12, "2", mailing_kind);
  f.push_back(field(17, 11, "Xadoszam").ruled_by(tax_number));
  f.push_back(field(17, 58, "Xjogelasz").ruled_by(predecessor));
  f.push_back(field(19, 11, "Xtelefon"));
  f.push_back(field(19, 51, "Xugyint", "@S28"));
  return f;
}

// The code: zero filled; in add mode not empty (whatever the key) and not another
// company's.
bool code_ok(Form& form, const FieldSpec& spec) {
  shell::Context& ctx = form.ctx;
  std::string code = var_text(ctx, "XVKOD");
  JOBBZERO(code);
  set_var(ctx, "XVKOD", xbase::Value::str(code));
  if (form.searching()) return true;
  if (!rule_accepts(form, spec)) return false;
  return IDXJO(form);
}

}  // namespace

const std::vector<FieldSpec>& company_fields() {
  static const std::vector<FieldSpec> fields = build_company_fields();
  return fields;
}

Verdict public_space_kind_verdict(const RuleValues& values, std::string_view kind,
                                  bool may_be_empty) {
  const std::string k = xbase::rtrim(kind);
  if (k.empty()) return unless(may_be_empty, HU("a közterület jellege nem lehet üres"));
  return unless(k != store::post_box_kind() && values.public_space_listed(kind, false),
                HU("a közterület jellege a közterület-tábla egy jellege, nem postafiók"));
}

Verdict company_tax_id_verdict(std::string_view value, bool may_be_empty) {
  if (xbase::rtrim(value).empty() && may_be_empty) return {};
  return company_id_verdict(value);
}

bool public_space_kind_ok(shell::Context& ctx, std::string_view kind, bool may_be_empty) {
  return !public_space_kind_verdict(BufferValues(ctx), kind, may_be_empty);
}

bool company_tax_id_ok(shell::Context& ctx, std::string_view value, bool may_be_empty) {
  return accepted(ctx.con, company_tax_id_verdict(value, may_be_empty));
}

void company_form(Form& form) {
  shell::Context& ctx = form.ctx;
  console::Console& con = ctx.con;
  std::string getszin = var_text(ctx, "GETSZIN");
  con.set_colour(getszin.empty() ? kGetszin : getszin);
  ui::doboz(con, 1, 0, 22, 79);
  con.set_cursor(console::CursorShape::Normal);
  for (const Label& l : kLabels) con.say(l.row, l.col, l.text);

  console::GetList& g = ctx.reads.getlist();
  for (const FieldSpec& spec : company_fields()) {
    const FieldSpec* s = &spec;
    Form* fm = &form;
    if (spec.name == "Xvkod") {
      // In modify mode the code is shown, not edited.
      if (form.mode == FormMode::Modify) {
        console::Attr bright = con.attr();
        console::parse_slot("gr+", bright);
        con.say(3, 8, var_text(ctx, "XVKOD"), bright);
        continue;
      }
      g.add(con, ctx.vars, spec.row, spec.col, spec.name, spec.picture).valid =
          [fm, s](console::ReadSession&) { return code_ok(*fm, *s); };
      continue;
    }
    console::GetField& f = g.add(con, ctx.vars, spec.row, spec.col, spec.name, spec.picture);
    if (spec.rule) f.valid = [fm, s](console::ReadSession&) { return rule_accepts(*fm, *s); };
  }
}

}  // namespace entry
