// The EKHO certificate, one page 134 columns wide in condensed pitch, as layout data.
#pragma once

#include "certs/layout.h"

namespace certs {

// The page: the start (condensed pitch, 6 lines per inch, the head's counters from
// 0), the form, on paper the registered-user line on the date line, the end and a
// form feed.
layout::Layout ekho_layout();

}  // namespace certs
