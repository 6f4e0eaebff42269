// What the text viewer's "T" and "P" keys do: the export into a Windows text file,
// and the printing of the viewed file on the printer route of the settings (no
// paper prompt; a route that is not ready says so and the viewer stays). The shell
// hands these to README_BG.
#pragma once

#include "shell/context.h"
#include "ui/viewer.h"

namespace print {

ui::ViewerHooks viewer_hooks(shell::Context& ctx);

}  // namespace print
