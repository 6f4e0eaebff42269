// The printer control sequences the reports write: condensed, elite, bold,
// underline, line spacing, page eject, double width and the job's initialisation,
// for HP (PCL) laser printers and EPSON (ESC/P) dot-matrix printers.
//
// The report layouts never hold control bytes; they write the public variables EC,
// NYINI, COBE, COKI, ... that NYOMTIPBE fills for the chosen printer language.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xbase {
class Variables;
}

namespace print {

struct ControlCodes {
  std::string ec;       // the escape character
  std::string nyini;    // initialisation at the start of a job
  std::string cobe, coki;      // condensed on / off
  std::string ahbe, ahki;      // underline on / off
  std::string elbe, elki;      // elite (12 cpi) on / off
  std::string elcobe, elcoki;  // elite condensed on / off
  std::string embe, emki;      // bold on / off
  std::string lpi8, lpi6;      // 8 and 6 lines per inch
  std::string ff;              // page eject
  std::string dup10be, dup10ki, dup12be, dup12ki, dup17be, dup17ki;  // double width
  std::string dupbe, dupki;    // double width on / off (from 10 cpi)

  // Every variable's name and bytes, in the order above.
  std::vector<std::pair<std::string_view, const std::string*>> named() const;
};

// The built-in sequences: HP when `knyomtip` is "HP" in any case, EPSON for
// anything else. NYINI is the built-in initialisation.
ControlCodes builtin_codes(std::string_view knyomtip);

// The initialisation override: the first existing of "nyini.hp" (or "nyini.eps")
// in `program_dir` and in the payroll program's directory "\kvad" of the drive,
// read whole; false when neither exists (or cannot be read).
bool read_init_override(bool hp, const std::string& program_dir, std::string& bytes);

// The codes in force for `knyomtip`: the built-in ones with NYINI taken from an
// override file when there is one.
ControlCodes control_codes(std::string_view knyomtip, const std::string& program_dir);

// NYOMTIPBE: makes the control variables public and fills them from KNYOMTIP (the
// store's value, upper-cased; missing or not a text means EPSON).
void nyomtipbe(xbase::Variables& vars, const std::string& program_dir);

}  // namespace print
