#include "entry/person_form.h"

#include <cstdio>

#include "certs/szamol.h"
#include "console/alert.h"
#include "console/colour.h"
#include "console/keys.h"
#include "entry/bottom_menu.h"
#include "entry/form_page.h"
#include "entry/form_read.h"
#include "entry/person_pages.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

namespace key = console::key;

console::Attr attr_of(const console::Console& con, std::string_view slot) {
  console::Attr a = con.attr();
  console::parse_slot(slot, a);
  return a;
}

// The person's company code, name (cut to 32 columns) and tax identifier over pages
// 2 to 6, not editable.
void draw_header(shell::Context& ctx) {
  console::Console& con = ctx.con;
  con.say(2, 2, HU("Cég:"));
  con.say(2, 15, HU("Név:"));
  con.say(2, 52, HU("Adóazonosító:"));
  const console::Attr bright = attr_of(con, "gr+");
  con.say(2, 7, xbase::transform(xbase::Value::str(var_text(ctx, "XVKOD")), "999"), bright);
  con.say(2, 20, xbase::left(var_text(ctx, "XNEV"), 32), bright);
  con.say(2, 66, xbase::transform(xbase::Value::str(var_text(ctx, "XSZEMSZAM")), "@KR XXXXXXXXXX"),
          bright);
}

// The frame, the page number, the header and the page's labels and fields.
void draw_page(Form& form, HelpBox& box, const PageSpec& spec, int page, console::GetList& fields) {
  console::Console& con = form.ctx.con;
  ui::doboz(con, 1, 0, 23, 79);
  char number[3];
  std::snprintf(number, sizeof number, "%02d", page);
  con.say(1, 78, number, attr_of(con, "i"));
  if (page > 1) draw_header(form.ctx);
  build_page(form, box, spec, fields);
}

// Esc in the bottom menu: true to throw the entries away.
bool leave_without_storing(Form& form) {
  if (!form.adding() && !form.loaded.empty() && same_values(buffer_values(form.ctx), form.loaded))
    return true;
  return console::alert(form.ctx.con, HU("Kilépés tárolás nélkül?"), {HU("Igen"), HU("Nem")}) != 2;
}

}  // namespace

std::vector<std::string> person_menu_items(FormMode mode, int page, int last) {
  std::vector<std::string> items = {std::string(HU("Javít"))};
  if (page < last) items.emplace_back(HU("Következő kép"));
  if (page > 1) items.emplace_back(HU("Előző kép"));
  if (page == last || mode == FormMode::Modify) items.emplace_back(HU("Tárolás"));
  return items;
}

FormOutcome person_form(Form& form) {
  shell::Context& ctx = form.ctx;
  const std::string getszin = var_text(ctx, "GETSZIN");
  ctx.con.set_colour(getszin.empty() ? "gr/n,w+/g,n,n,gr+/n" : getszin);
  return DBEDGET2(form);
}

FormOutcome DBEDGET2(Form& form) {
  shell::Context& ctx = form.ctx;
  if (table_kind(ctx.areas.current().alias()) != TableKind::Person) return FormOutcome::Discard;
  support::Routine r(ctx.routines(), "DBEDGET2", __LINE__);
  console::Console& con = ctx.con;
  con.set_cursor(console::CursorShape::Normal);
  // The dependants button's field.
  xbase::Variables::Scope scope(ctx.vars);
  scope.declare("CHOZZATART", xbase::Value::str("Eltartottak adatai"));
  const std::vector<PageSpec> pages = person_pages(var_text(ctx, "EV4"));

  const int last = form.searching() ? 1 : 6;  // MAXSCRN
  int page = 1;                               // SCRNNUM
  int answer = '?';                           // ANS
  HelpBox box;
  bool draw = true;
  for (;;) {
    if (draw) {
      console::GetList fields;
      draw_page(form, box, pages[static_cast<std::size_t>(page - 1)], page, fields);
      if (form.adding() || form.searching() || answer == 'J') {
        READESC(ctx, fields);
        if (con.last_key() == key::kEsc) return FormOutcome::Discard;
        if (form.searching()) return FormOutcome::Search;
      }
    }
    const int choice = ALSOMENU(ctx, person_menu_items(form.mode, page, last));
    if (choice == key::kEsc) {
      if (leave_without_storing(form)) return FormOutcome::Discard;
      draw = false;  // back to the menu
      continue;
    }
    answer = choice;
    draw = true;
    switch (choice) {
      case 'K':
        ++page;
        break;
      case 'E':
        --page;
        break;
      case 'T':
        r.at(__LINE__);
        certs::SZAMOL(ctx.vars);
        return FormOutcome::Store;
      default:
        break;  // "Javít": the same page, read
    }
  }
}

}  // namespace entry
