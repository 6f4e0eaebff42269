// The writer of certificate layouts: binds a layout for one run and writes one
// certificate after the other into the printer file.
//
// Binding turns field names into field positions, parses every picture once and
// works out every text that is the same for all certificates of the run (the
// printer's control sequences, the year, the registered user ...). Writing a
// certificate then reads its fields by position.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "certs/layout.h"
#include "certs/szamol.h"
#include "console/printer.h"
#include "xbase/dbf_format.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace certs::layout {

struct RunSettings {
  // The program's variables: picture masks (PV9, PADO ...), control sequences
  // (ELBE, AHBE ...; the preview hides them behind empty private copies), EV4, EV,
  // MAINAP and CEGNEV.
  const xbase::Variables* vars = nullptr;
  const xbase::Structure* person = nullptr;   // the year table's fields
  const xbase::Structure* company = nullptr;  // the company table's fields
  bool paper = false;  // false: the rows printed only on paper are left out
  // EPSONKONV for a CWI printer; none: texts go out as they are. The control
  // sequences are ASCII and pass it unchanged.
  std::function<std::string(std::string_view cp852)> convert;
};

// One certificate: the person's record and the company's (positioned on the
// person's company, or at its end when there is none), with what is worked out per
// certificate.
struct Certificate {
  const xbase::WorkArea* person = nullptr;
  const xbase::WorkArea* company = nullptr;
  DerivedAmounts derived;
  int db = 0;
  std::string person_street;   // UTCAHOSSZ of the person's record
  std::string company_street;  // UTCAHOSSZ of the company's record
};

class Writer {
 public:
  // Throws std::invalid_argument for a field the tables lack or a picture variable
  // that is not set (a fault of the layout, not of the data).
  Writer(const Layout& layout, const RunSettings& settings);
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Writes the rows from the printer's current position.
  void write(console::Printer& printer, const Certificate& c) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The mask with one more digit on the left: "@EZ 99,999,999" becomes
// "@EZ 999,999,999", that one "@EZ 9,999,999,999".
std::string widen_picture(std::string_view picture);
// The mask without separators: "@Z " and as many nines as the mask is wide.
std::string nines_picture(std::string_view picture);

}  // namespace certs::layout
