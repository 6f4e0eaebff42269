#include "entry/browse_actions.h"
#include "entry/browse_screen.h"
#include "shell/shared_access.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

// Marks deleted every person of the company `code`, through the first index (company
// code, then name) when there is one. The caller holds the year table's file lock.
void delete_persons_of(xbase::WorkArea& persons, const xbase::Value& code) {
  const std::string c = code.as_str();
  auto ours = [&] { return persons.get("vkod").as_str() == c; };
  if (persons.order_count() > 0) {
    persons.set_order(1);
    for (persons.seek(code); !persons.eof() && ours(); persons.skip()) persons.delete_record();
  } else {
    for (persons.go_top(); !persons.eof(); persons.skip())
      if (ours()) persons.delete_record();
  }
}

// A company with its persons. The year table's file lock first, then the company's
// record lock (every workstation takes them in this order, so two cannot wait on each
// other); with either given up nothing is deleted.
bool delete_company(shell::Context& ctx) {
  xbase::WorkArea& companies = ctx.areas.current();
  xbase::WorkArea* persons = open_table(ctx, TableKind::Person);
  const xbase::Value code = companies.get("vkod");
  if (persons) {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(persons->number());
    if (!shell::FILELOCK(ctx)) return false;
  }
  if (!shell::RECLOCK(ctx)) {
    if (persons) persons->unlock();
    return false;
  }
  if (persons) {
    KeptPlace kept(ctx.areas, *persons);
    delete_persons_of(*persons, code);
    persons->commit();
  }
  companies.delete_record();
  companies.commit();
  if (persons) persons->unlock();
  companies.unlock();
  companies.skip();
  return true;
}

bool delete_one(shell::Context& ctx) {
  xbase::WorkArea& a = ctx.areas.current();
  if (!shell::RECLOCK(ctx)) return false;
  a.delete_record();
  a.commit();
  a.unlock();
  a.skip();
  return true;
}

}  // namespace

std::string delete_question(shell::Context& ctx, TableKind kind) {
  xbase::WorkArea& a = ctx.areas.current();
  switch (kind) {
    case TableKind::Company:
      return xbase::left(xbase::rtrim(a.get("vkod").as_str() + " " + a.get("vnev").as_str()), 20) +
             std::string(HU(" törlése a dolgozók adataival együtt ?"));
    case TableKind::Person:
      return xbase::left(xbase::rtrim(a.get("nev").as_str()), 20) + std::string(HU(" törlése ?"));
    default:
      return std::string(HU("Tétel törlése ?"));
  }
}

bool delete_current(shell::Context& ctx, TableKind kind) {
  support::Routine r(ctx.routines(), "DBEDFELVFN", __LINE__);
  const std::vector<std::string_view> no_yes = {"Nem", "Igen"};
  if (ui::kerdez(ctx.con, delete_question(ctx, kind), no_yes) != 2) return false;
  if (ui::kerdez(ctx.con, "Biztos ?", no_yes) != 2) return false;
  return kind == TableKind::Company ? delete_company(ctx) : delete_one(ctx);
}

}  // namespace entry
