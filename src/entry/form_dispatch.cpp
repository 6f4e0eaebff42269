#include "entry/form_dispatch.h"

#include "entry/company_form.h"
#include "entry/dependant_form.h"
#include "entry/person_form.h"

namespace entry {

FormOutcome DBEDGET(Form& form) {
  switch (table_kind(form.ctx.areas.current().alias())) {
    case TableKind::Company: company_form(form); return FormOutcome::FieldsPlaced;
    case TableKind::Person: return person_form(form);
    case TableKind::Dependant: return dependant_form(form);
    case TableKind::Other: return FormOutcome::Discard;
  }
  return FormOutcome::Discard;
}

UniqueKey unique_key(TableKind kind) {
  switch (kind) {
    case TableKind::Company: return {"Xvkod", 1};
    case TableKind::Person: return {"Xvkod+Xszemszam+Xnyilat", 2};
    default: return {};
  }
}

}  // namespace entry
