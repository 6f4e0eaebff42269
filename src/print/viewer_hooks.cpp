#include "print/viewer_hooks.h"

#include "print/export_txt.h"

namespace print {

ui::ViewerHooks viewer_hooks(console::ReadContext& reads, ui::WindowStack& windows) {
  ui::ViewerHooks hooks;
  hooks.export_file = [&reads, &windows](std::string_view file) { wintxtbe(reads, windows, file); };
  return hooks;
}

}  // namespace print
