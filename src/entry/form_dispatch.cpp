#include "entry/form_dispatch.h"

#include "console/keys.h"
#include "entry/company_form.h"
#include "shell/startup_main.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

// A form that is not part of the program yet: the notice, and Esc as the last key so
// that the browse neither appends nor writes anything.
void not_yet(Form& form) {
  ui::kerdez(form.ctx.con, shell::not_yet_available_text(), {HU("Tovább")});
  form.ctx.con.set_last_key(console::key::kEsc);
}

}  // namespace

void DBEDGET(Form& form) {
  switch (table_kind(form.ctx.areas.current().alias())) {
    case TableKind::Company: company_form(form); return;
    case TableKind::Person:
    case TableKind::Dependant:
    case TableKind::Other: not_yet(form); return;
  }
}

bool form_runs_own_read(TableKind kind) { return kind == TableKind::Person; }

UniqueKey unique_key(TableKind kind) {
  switch (kind) {
    case TableKind::Company: return {"Xvkod", 1};
    case TableKind::Person: return {"Xvkod+Xszemszam+Xnyilat", 2};
    default: return {};
  }
}

}  // namespace entry
