// The selection of a certificate run: which companies (the code range), which
// person (a tax identifier, or anybody), and the record filter that follows from
// them. The dialog that edits the selection is KIKNEK; this is the part below it,
// which a run without a dialog uses as it is.
#pragma once

#include <string>
#include <string_view>

#include "shell/context.h"
#include "xbase/workarea.h"

namespace certs {

// The lowest and the highest company code of "vallal" in code order, read now, so
// that a company another workstation added since the program started is in the
// default range. Both blank when there is no company. The company table is read
// where it is open (alias VALLAL, its record position kept), else opened shared
// for the reading.
struct CompanyRange {
  std::string first, last;
};
CompanyRange default_company_range(shell::Context& ctx);

// The defaults a run sets before its dialog: KMINVKOD and KMAXVKOD read afresh,
// KVKOD1 and KVKOD2 from them, KSZEMSZAM blank and, for "JOV" (the M30
// certificate), KELLM30XML "N".
void set_selection_defaults(shell::Context& ctx, std::string_view kind);

// The filter text of the run: CONDI (".T." and the certificate-type term), or
// "szemszam=kszemszam" when KSZEMSZAM is not blank (that person's records of every
// type).
std::string record_filter_text(const xbase::Variables& vars);

// The filter compiled once for the run, as a record condition of the year table
// (alias VIRDA).
xbase::RecordCondition record_filter(shell::Context& ctx);

}  // namespace certs
