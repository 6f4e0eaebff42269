// The text conversions on the way out of the program: EPSONKONV for printers
// whose character set is CWI instead of code page 852, and K852WIN for text files
// written for Windows.
#pragma once

#include <string>
#include <string_view>

#include "console/console.h"
#include "xbase/value.h"

namespace xbase {
class Variables;
}

namespace print {

// The CWI conversion of a CP852 text: Á Ő ő Ű ű Ú Ó Í become the bytes a CWI
// printer prints for them (or the nearest letter it has); the length is kept.
std::string to_cwi(std::string_view cp852);

// EPSONKONV(value): the value converted to CWI when the output goes to the
// printer, LKAR852 exists and is false, and the value is a text; otherwise the
// value unchanged (so on the screen it changes nothing).
xbase::Value epsonkonv(const console::Console& con, const xbase::Variables& vars,
                       const xbase::Value& value);
// The same for a text.
std::string epsonkonv(const console::Console& con, const xbase::Variables& vars,
                      std::string_view cp852);

// K852WIN(text): "─" becomes "-" and "═" becomes "=", then the text is converted
// from CP852 to Windows-1250; the length does not change.
std::string k852win(std::string_view cp852);

}  // namespace print
