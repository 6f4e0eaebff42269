// What the text viewer's "T" and "P" keys do: the export into a Windows text file,
// and (until the print routing is in place) no printing, so "P" says that printing
// is not available yet. The shell hands these to README_BG.
#pragma once

#include "console/get_read.h"
#include "ui/viewer.h"
#include "ui/windows.h"

namespace print {

ui::ViewerHooks viewer_hooks(console::ReadContext& reads, ui::WindowStack& windows);

}  // namespace print
