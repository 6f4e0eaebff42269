// The M30 income certificate, two pages 105 columns wide, as layout data.
#pragma once

#include "certs/layout.h"

namespace certs {

// The whole certificate: the start (elite pitch, 6 lines per inch, the head's
// counters from 0), page 1, a form feed, page 2, on paper the registered-user
// line, the end (pitch and spacing back) and a form feed.
layout::Layout m30_layout();

}  // namespace certs
