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

// The code: zero filled; in add mode not empty (whatever the key) and not another
// company's.
bool code_ok(Form& form) {
  shell::Context& ctx = form.ctx;
  std::string code = var_text(ctx, "XVKOD");
  JOBBZERO(code);
  set_var(ctx, "XVKOD", xbase::Value::str(code));
  if (form.searching()) return true;
  if (xbase::rtrim(code).empty()) return false;
  return IDXJO(form);
}

}  // namespace

bool public_space_kind_ok(shell::Context& ctx, std::string_view kind, bool may_be_empty) {
  std::string k = xbase::rtrim(kind);
  if (k.empty()) return may_be_empty;
  return k != store::post_box_kind() && KOZTERELL(ctx, kind);
}

bool company_tax_id_ok(shell::Context& ctx, std::string_view value, bool may_be_empty) {
  if (xbase::rtrim(value).empty() && may_be_empty) return true;
  return JOCEG(ctx.con, value);
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
  xbase::Variables& v = ctx.vars;
  // In search mode an empty seat kind or tax number is no criterion and passes; a
  // value given must be valid.
  const bool blank_passes = form.searching();
  if (form.mode == FormMode::Modify) {
    console::Attr bright = con.attr();
    console::parse_slot("gr+", bright);
    con.say(3, 8, var_text(ctx, "XVKOD"), bright);
  } else {
    g.add(con, v, 3, 8, "Xvkod", "@K 999").valid = [&form](console::ReadSession&) {
      return code_ok(form);
    };
  }
  g.add(con, v, 3, 46, "Xvnev", "@S33");
  g.add(con, v, 5, 13, "Xvkepv");
  g.add(con, v, 7, 13, "Xirszam");
  g.add(con, v, 7, 32, "Xhelyseg");
  g.add(con, v, 8, 42, "Xutca", "@S37");
  g.add(con, v, 9, 42, "Xkozter").valid = [&ctx, blank_passes](console::ReadSession&) {
    return public_space_kind_ok(ctx, var_text(ctx, "XKOZTER"), blank_passes);
  };
  g.add(con, v, 10, 17, "Xhazszam");
  g.add(con, v, 10, 32, "Xepulet");
  g.add(con, v, 10, 47, "Xlepcso");
  g.add(con, v, 10, 59, "Xemelet");
  g.add(con, v, 10, 72, "Xajto");
  g.add(con, v, 12, 13, "Xirszam2");
  g.add(con, v, 12, 32, "Xhelyseg2");
  g.add(con, v, 13, 42, "Xutca2", "@S37");
  g.add(con, v, 14, 42, "Xkozter2").valid = [&ctx](console::ReadSession&) {
    return public_space_kind_ok(ctx, var_text(ctx, "XKOZTER2"), true);
  };
  g.add(con, v, 15, 17, "Xhazszam2");
  g.add(con, v, 15, 32, "Xepulet2");
  g.add(con, v, 15, 47, "Xlepcso2");
  g.add(con, v, 15, 59, "Xemelet2");
  g.add(con, v, 15, 72, "Xajto2");
  g.add(con, v, 17, 11, "Xadoszam").valid = [&ctx, blank_passes](console::ReadSession&) {
    return company_tax_id_ok(ctx, var_text(ctx, "XADOSZAM"), blank_passes);
  };
  g.add(con, v, 17, 58, "Xjogelasz").valid = [&ctx](console::ReadSession&) {
    return company_tax_id_ok(ctx, var_text(ctx, "XJOGELASZ"), true);
  };
  g.add(con, v, 19, 11, "Xtelefon");
  g.add(con, v, 19, 51, "Xugyint", "@S28");
}

}  // namespace entry
