// What the M30 and the EKHO runs share below their dialogs: the selection, the
// progress hook, and the walk over the year table in company and name order.
#pragma once

#include <functional>
#include <string>

#include "shell/context.h"
#include "xbase/workarea.h"

namespace certs {

// What the print selection dialog (or a batch run) chose.
struct Selection {
  std::string kvkod1 = "   ";  // first company code, inclusive
  std::string kvkod2 = "   ";  // last company code, inclusive; blank selects nothing
  std::string kszemszam = std::string(10, ' ');  // one person's tax identifier; blank: all
  std::string condi = ".T.";  // the certificate types the main menu asked for
  int kezdold = 1;            // the first sequence number printed in each company (M30)
  bool xml = false;           // M30 XML files wanted (KELLM30XML = "I")
};

// A run reports where it is: a company begun or finished, every 100 certificates.
struct Progress {
  enum class Kind { CompanyBegun, CompanyDone, Certificates };
  Kind kind = Kind::Certificates;
  std::string vkod;      // the company
  int certificates = 0;  // printed so far in the run
};
using ProgressHook = std::function<void(const Progress&)>;

// The year table's area ("VIRDA"); the walk and the reports read it.
xbase::WorkArea& year_area(shell::Context& ctx);
// The company table's area ("VALLAL"), positioned on `vkod` by an exact seek: at
// its end (every field blank) when the company has no record.
xbase::WorkArea& company_area(shell::Context& ctx, const xbase::Value& vkod);

// Walks the year table in its first order (company code, then the name's collation
// key), deleted records hidden, from the first record whose code is not less than
// `kvkod1` while the code is not greater than `kvkod2` (texts compared as the
// runtime does with SET EXACT off). Records for which `passes` holds are numbered
// within their company; `print(db)` is called for those numbered `kezdold` or more,
// with the year table selected and on the record. Returns the number printed.
int walk_persons(shell::Context& ctx, const Selection& sel, const xbase::RecordCondition& passes,
                 const ProgressHook& progress, const std::function<void(int db)>& print);

}  // namespace certs
