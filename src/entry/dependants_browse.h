// The dependants of the person being edited (ELTARBE), run from the person form.
#pragma once

#include "shell/context.h"

namespace entry {

// ELTARBE: the browse of the dependants table filtered to the person of the buffer
// (its company code and tax identifier), titled with the person's name as the form
// holds it. The person form's pending fields, its buffer values shared with the
// dependants table (XVKOD, XSZEMSZAM, XNEV) and SET ESCAPE are kept and put back,
// and the year table is selected again. Returns true.
bool ELTARBE(shell::Context& ctx);

}  // namespace entry
