// The printer settings: the one record of "konstans" shared by every workstation,
// first filled from the payroll program's global settings (KONS_INI), edited with F2
// (BEALLIT) and turned into the public print variables (KONSBE).
#pragma once

#include <map>
#include <string>

#include "shell/context.h"

namespace print {

// The payroll program's global settings relevant here, by upper-cased name
// ("KNYOMTIP" -> "EPSON"). Empty when "\kvad\global.dbf" is missing or busy.
std::map<std::string, std::string> read_global_settings(shell::Context& ctx);

// KONS_INI: with "konstans" open and selected, fills the printer fields when NYOMTIP
// is 0: from the payroll program's global settings, else HP, A4, 852, LPT1, job
// initialisation on. KWWWELLEN is left alone.
void KONS_INI(shell::Context& ctx);

// KONSBE: reads "konstans" (shared, waiting) into KNYOMTIP, LKAR852, NPAGE, EPRPORT,
// KPRPORT, KHPAUTO and KWWWELLEN, then sets the control sequences (NYOMTIPBE). The
// program ends when the table cannot be opened. The selected work area is kept.
void KONSBE(shell::Context& ctx);

// BEALLIT (F2): the settings dialog; every menu's choice goes straight into its field
// (Esc stores 0), then KONSBE. When "konstans" cannot be opened a question box says
// so and nothing changes.
void BEALLIT(shell::Context& ctx);

// The route of a port number: "LPT1".."LPT5" (0 taken as 1), "USB", "PDF".
std::string route_of(int nprport);

}  // namespace print
