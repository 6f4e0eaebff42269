// KIKNEK: the print selection dialog before a certificate run: the company range,
// a tax identifier (blank: everybody), and for the M30 certificate the sequence
// number to start from and whether the M30 XML files are made.
//
// The range starts from the lowest and highest company code as they are now. F1
// lists the companies in the code fields (Enter types the chosen code) and the
// persons in the tax identifier field; elsewhere it shows the editing keys. The
// caller tests the last key: Esc cancels the run.
#pragma once

#include <string_view>

#include "shell/context.h"

namespace certs {

// KIKNEK(kind): kind "JOV" (M30 certificate) or "EKHO". Reads KVKOD1, KVKOD2,
// KSZEMSZAM and, for "JOV", KEZDOLD and KELLM30XML; the window and the colour are
// the caller's again afterwards.
void KIKNEK(shell::Context& ctx, std::string_view kind);

}  // namespace certs
