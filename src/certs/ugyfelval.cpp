#include "certs/ugyfelval.h"

#include <string>

#include "console/browse_dbedit.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "entry/id_checks_ui.h"
#include "support/error_routines.h"
#include "xbase/hutext.h"
#include "xbase/workarea.h"

namespace certs {

namespace {

namespace key = console::key;
using xbase::Value;

constexpr size_t kNameWidth = 30;

const Value& mark() {
  static const Value v = Value::str(std::string(1, kCompanyMark));
  return v;
}
const Value& no_mark() {
  static const Value v = Value::str(" ");
  return v;
}

// Puts `value` into FLAG of every record for which `pick` says so, in record order;
// the record position is left on the first record in the controlling order.
template <typename Pick>
void set_marks(xbase::WorkArea& a, const Value& value, Pick pick) {
  uint32_t n = a.lastrec();
  for (uint32_t r = 1; r <= n; ++r) {
    a.go_to(r);
    if (pick(a)) a.put("flag", value);
  }
  a.go_top();
}

// "T": the codes from and to, each filled with leading zeros when it is left.
void mark_range(shell::Context& ctx, xbase::WorkArea& a) {
  console::Console& con = ctx.con;
  ctx.windows.open(con, 10, 20, 14, 60, console::kSingleFrame);
  con.say(12, 26, HU("Ügyfél: 999-tól  999-ig"));
  std::string from(3, ' '), to(3, ' ');
  console::CursorShape cursor = con.screen().cursor_shape();
  con.set_cursor(console::CursorShape::Normal);
  console::GetList fields;
  auto zero = [](std::string& code) {
    return [&code](console::ReadSession&) { return entry::JOBBZERO(code); };
  };
  fields.add(con, 12, 34, "TOL", console::bind_text(from), "@K").valid = zero(from);
  fields.add(con, 12, 43, "IG", console::bind_text(to), "@K").valid = zero(to);
  console::read(ctx.reads, fields);
  con.set_cursor(cursor);
  mark_between(a, from, to);
  ctx.windows.close(con);
}

}  // namespace

void mark_all(xbase::WorkArea& vallal) {
  set_marks(vallal, mark(), [](xbase::WorkArea&) { return true; });
}

void mark_between(xbase::WorkArea& vallal, std::string from, std::string to) {
  // A code is three characters, filled as the list's fields fill it.
  for (std::string* code : {&from, &to}) {
    if (code->size() < 3) code->resize(3, ' ');
    entry::JOBBZERO(*code);
  }
  set_marks(vallal, mark(), [&](xbase::WorkArea& w) {
    std::string code = w.get("vkod").as_str();
    return code >= from && code <= to;
  });
}

void clear_marks(xbase::WorkArea& vallal) {
  set_marks(vallal, no_mark(), [](xbase::WorkArea&) { return true; });
}

int UGYFELVFN(shell::Context& ctx, int mode, int /*column*/) {
  if (mode <= console::kDeEmpty) return console::kDeContinue;
  xbase::WorkArea& a = ctx.areas.current();
  switch (ctx.con.last_key()) {
    case 'k':
    case 'K':
    case key::kEsc: return console::kDeAbort;
    case ' ':
      a.put("flag", a.get("flag").as_str() == " " || a.get("flag").as_str().empty() ? mark()
                                                                                    : no_mark());
      return console::kDeContinue;
    case 'm':
    case 'M':
      mark_all(a);
      return console::kDeRefresh;
    case 't':
    case 'T':
      mark_range(ctx, a);
      return console::kDeRefresh;
    default: return console::kDeContinue;
  }
}

bool UGYFELVAL(shell::Context& ctx, int top, int left, int bottom, int right) {
  support::Routine r(ctx.routines(), "UGYFELVAL", __LINE__);
  console::Console& con = ctx.con;
  xbase::AreaSelection caller(ctx.areas);
  ctx.areas.select("VALLAL");
  xbase::WorkArea& a = ctx.areas.current();
  std::string colour = con.set_colour("n/w,w/n");

  uint32_t keep = a.recno();
  clear_marks(a);

  ctx.windows.open(con, top, left, bottom, right, console::kSingleFrame, HU("Ügyfél kiválasztás"));
  int m = left + (right - left - 35) / 2;
  con.say(bottom - 2, left + 3, HU("Kiválasztás - szóköz  Mindegyik - M  Kész - K"));
  con.say(bottom - 1, left + 3, HU("Tól - ig    - T"));
  bool more = a.lastrec() > static_cast<uint32_t>(bottom - top - 4);
  console::Attr arrow = con.attr();
  console::parse_slot("n/w", arrow);
  con.say(bottom - 4, m - 2, more ? "\x19" : " ", arrow);

  // The list is 36 columns wide: code, name and mark fit only with the name cut to
  // 30 characters (at its full 40 the mark would lie off the list, out of sight).
  std::vector<console::BrowseColumn> columns;
  columns.push_back({"", "", [&a] { return a.get("vkod"); }});
  columns.push_back({"", "", [&a] { return Value::str(a.get("vnev").as_str().substr(0, kNameWidth)); }});
  columns.push_back({"", "", [&a] { return a.get("flag"); }});
  console::BrowseOptions options;
  options.heading_sep = " ";
  options.column_sep = " ";
  options.user = [&ctx](int mode, int column) { return UGYFELVFN(ctx, mode, column); };
  console::dbedit(con, a, top + 1, m, bottom - 4, m + 35, std::move(columns), options);

  a.go_to(keep);
  ctx.windows.close(con);
  con.set_colour(colour);
  return true;
}

}  // namespace certs
