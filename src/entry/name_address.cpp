#include "entry/name_address.h"

#include "console/colour.h"
#include "console/frames.h"
#include "console/get_buffer.h"
#include "console/keys.h"
#include "entry/form_read.h"
#include "store/tables.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace entry {
namespace {

namespace key = console::key;
using xbase::Value;

// The parts of a window as they were when it opened, put back on Esc.
class KeptParts {
 public:
  KeptParts(shell::Context& ctx, std::vector<std::string> names) : ctx_(ctx), names_(std::move(names)) {
    for (const auto& n : names_) {
      const Value* v = ctx.vars.find(n);
      values_.push_back(v ? *v : Value());
    }
  }
  void put_back() {
    for (std::size_t i = 0; i < names_.size(); ++i) ctx_.vars.assign(names_[i], values_[i]);
  }

 private:
  shell::Context& ctx_;
  std::vector<std::string> names_;
  std::vector<Value> values_;
};

int text_width(shell::Context& ctx, std::string_view name) {
  return static_cast<int>(var_text(ctx, name).size());
}

// In add mode, a printable key typed into an empty composed field starts the first
// part: the character goes into its first position and the cursor after it.
void start_first_part(Form& form, int k, std::string_view first, std::string_view second) {
  shell::Context& ctx = form.ctx;
  if (!form.adding() || k < 33 || k > 255) return;
  std::string a = var_text(ctx, first);
  if (!xbase::rtrim(a).empty() || !xbase::rtrim(var_text(ctx, second)).empty() || a.empty()) return;
  a[0] = static_cast<char>(k);
  ctx.vars.assign(first, Value::str(a));
  ctx.con.put_key(key::kRight);
}

bool title_ok(shell::Context& ctx, std::string_view grof_var) {
  std::string value = var_text(ctx, grof_var);
  if (xbase::rtrim(value).empty()) return true;
  const int width = static_cast<int>(value.size());
  for (std::string_view t : store::name_titles())
    if (xbase::padr(t, width) == value) return true;
  ui::kerdez(ctx.con, store::name_titles(), {HU("Csak ezek lehetnek")});
  return false;
}

console::Attr attr_of(const console::Console& con, std::string_view slot) {
  console::Attr a = con.attr();
  console::parse_slot(slot, a);
  return a;
}

}  // namespace

bool passes_composed_field(int k) {
  switch (k) {
    case key::kF1:
    case key::kEnter:
    case key::kTab:
    case key::kPgDn:
    case key::kEsc:
    case key::kUp:
    case key::kDown: return true;
    default: return false;
  }
}

std::string compose_name(std::string_view grof, std::string_view family, std::string_view given,
                         int width) {
  std::string s = xbase::rtrim(grof) + " " + xbase::rtrim(family) + " " + xbase::rtrim(given);
  return xbase::padr(xbase::alltrim(s), width);
}

std::string compose_street(const std::vector<std::string>& parts, int width) {
  std::string s;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) s += ' ';
    s += xbase::alltrim(parts[i]);
  }
  return xbase::padr(s, width);
}

void NEVGET(Form& form, console::ReadSession& session, console::GetField& field) {
  shell::Context& ctx = form.ctx;
  console::Console& con = ctx.con;
  Value value = field.value();
  std::string picture = field.picture;
  if (picture.empty()) picture = std::string(var_text(ctx, field.name).size(), 'X');
  auto show = [&](std::string_view colour) {
    Value v = field.value();
    con.screen().write(field.row, field.col, console::GetBuffer(v, picture).display(v),
                       attr_of(con, colour));
  };
  show("w+/g");
  bool hint = field.name == "XNEV";
  std::string colour;
  if (hint) {
    colour = con.set_colour("g/n");
    ctx.windows.open(con, field.row + 3, field.col - 2, field.row + 7, field.col + 31,
                     console::kSingleFrame, xbase::padc(HU("Vezetéknév, utónév"), 32), "g/n,n/g");
    con.say(field.row + 4, field.col + 1, HU("Ha a mezőbe elkezd adatot"));
    con.say(field.row + 5, field.col + 1, HU("bevinni megnyílik egy ablak"));
    con.say(field.row + 6, field.col + 1, HU("a vezetéknévnek, utónévnek"));
  }
  con.set_pos(field.row, field.col);
  int k = session.wait_key();
  if (hint) {
    ctx.windows.close(con);
    con.set_colour(colour);
  }
  if (session.killed()) return;
  if (k == key::kEsc) {  // a read without the exit question: Esc ends it
    session.set_exit(console::ReadExit::Escape);
    show("gr+/n");
    return;
  }
  if (field.valid) field.valid(session);
  show("gr+/n");
  switch (k) {
    case key::kUp:
    case key::kShiftTab: session.set_exit(console::ReadExit::Up); break;
    case key::kEnter: session.set_exit(console::ReadExit::Enter); break;
    case key::kPgDn:
    case key::kPgUp:
    case key::kCtrlEnd: session.set_exit(console::ReadExit::Write); break;
    default: session.set_exit(console::ReadExit::Down); break;
  }
}

bool VEZ_UTO(Form& form, std::string_view title, int row, int col, std::string_view name_var,
             std::string_view grof_var, std::string_view family_var, std::string_view given_var) {
  shell::Context& ctx = form.ctx;
  support::Routine r(ctx.routines(), "VEZ_UTO", __LINE__);
  console::Console& con = ctx.con;
  if (passes_composed_field(con.last_key())) return true;
  const bool with_title = !grof_var.empty();
  std::vector<std::string> parts = {std::string(family_var), std::string(given_var)};
  if (with_title) parts.emplace_back(grof_var);
  KeptParts kept(ctx, parts);

  ctx.windows.open(con, row, col, row + (with_title ? 8 : 6), col + 42, console::kDoubleFrame,
                   xbase::padc(title, 41), "g,n/g");
  start_first_part(form, con.last_key(), family_var, given_var);
  console::GetList g;
  con.say(row + 2, col + 3, HU("Vezetéknév:"));
  g.add(con, ctx.vars, row + 2, col + 15, family_var);
  con.say(row + 4, col + 3, HU("Utónév    :"));
  g.add(con, ctx.vars, row + 4, col + 15, given_var);
  if (with_title) {
    con.say(row + 6, col + 3, HU("Titulus   :"));
    g.add(con, ctx.vars, row + 6, col + 15, grof_var).valid =
        [&ctx, grof_var](console::ReadSession&) { return title_ok(ctx, grof_var); };
  }
  plain_read(ctx, g);
  ctx.windows.close(con);

  if (con.last_key() == key::kEsc) {
    kept.put_back();
    return true;
  }
  ctx.vars.assign(name_var,
                  Value::str(compose_name(with_title ? var_text(ctx, grof_var) : "",
                                          var_text(ctx, family_var), var_text(ctx, given_var),
                                          text_width(ctx, name_var))));
  return true;
}

bool KOZ_TER(Form& form, std::string_view title, int row, int col) {
  shell::Context& ctx = form.ctx;
  support::Routine r(ctx.routines(), "KOZ_TER", __LINE__);
  console::Console& con = ctx.con;
  if (passes_composed_field(con.last_key())) return true;
  const std::vector<std::string> parts = {"XKOZTNEV", "XKOZTER", "XHAZSZAM", "XEPULET",
                                          "XLEPCSO",  "XEMELET", "XAJTO"};
  KeptParts kept(ctx, parts);

  ctx.windows.open(con, row, col, row + 6, col + 72, console::kDoubleFrame,
                   xbase::padc(title, 71), "g,n/g");
  start_first_part(form, con.last_key(), "XKOZTNEV", "XKOZTER");
  const int top = row + 1, left = col + 1;  // the inner corner
  con.say(top + 1, left + 2, HU("-közterület (utca,tér stb.) neve :"));
  con.say(top + 2, left + 2, HU("-közterület jellege (út,utca stb):"));
  con.say(top + 3, left + 2,
          HU("-házszám:       -épület:    -lépcsőház:    -emelet:       -ajtó:"));
  console::GetList g;
  g.add(con, ctx.vars, top + 1, left + 37, "XKOZTNEV");
  g.add(con, ctx.vars, top + 2, left + 37, "XKOZTER").valid = [&ctx](console::ReadSession&) {
    std::string kind = var_text(ctx, "XKOZTER");
    return xbase::rtrim(kind) != store::post_box_kind() && KOZTERELL(ctx, kind);
  };
  g.add(con, ctx.vars, top + 3, left + 12, "XHAZSZAM");
  g.add(con, ctx.vars, top + 3, left + 27, "XEPULET");
  g.add(con, ctx.vars, top + 3, left + 42, "XLEPCSO");
  g.add(con, ctx.vars, top + 3, left + 54, "XEMELET");
  g.add(con, ctx.vars, top + 3, left + 67, "XAJTO");
  plain_read(ctx, g);
  ctx.windows.close(con);

  if (con.last_key() == key::kEsc) {
    kept.put_back();
    return true;
  }
  std::vector<std::string> values;
  for (const std::string& p : parts) values.push_back(var_text(ctx, p));
  ctx.vars.assign("XUTCA", Value::str(compose_street(values, text_width(ctx, "XUTCA"))));
  return true;
}

bool KOZTERELL(shell::Context& ctx, std::string_view kind) {
  xbase::WorkArea* kinds = ctx.areas.find("KOZTER");
  if (!kinds || !kinds->used()) return false;
  xbase::AreaSelection keep(ctx.areas);
  ctx.areas.select(kinds->number());
  const Value wanted = Value::str(std::string(kind));
  for (kinds->go_top(); !kinds->eof(); kinds->skip())
    if (xbase::equal(kinds->get("kozternev"), wanted, ctx.areas.exact())) return true;
  return false;
}

std::string public_space_key(const shell::Context& ctx, std::string_view kind) {
  const xbase::WorkArea* kinds = ctx.areas.find("KOZTER");
  int width = static_cast<int>(kind.size());
  if (kinds && kinds->used() && kinds->field_pos("kozternev") >= 0)
    width = kinds->field(kinds->field_pos("kozternev")).width;
  return xbase::padr(xbase::rtrim(kind), width);
}

std::string UTCAHOSSZ(shell::Context& ctx) {
  xbase::WorkArea& a = ctx.areas.current();
  auto part = [&](std::string_view f) { return xbase::alltrim(a.get(f).as_str()); };
  std::string s = a.field_pos("koztnev") >= 0 ? part("koztnev") : part("utca");
  s += " " + part("kozter") + " " + part("hazszam");
  const std::pair<std::string_view, std::string_view> more[] = {
      {"epulet", HU(" épület")},
      {"lepcso", HU(" lépcsőház")},
      {"emelet", " emelet"},
      {"ajto", HU(" ajtó")},
  };
  for (const auto& [field, word] : more) {
    std::string v = part(field);
    if (!v.empty()) s += " " + v + std::string(word);
  }
  return s;
}

}  // namespace entry
