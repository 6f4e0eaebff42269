// The viewer's keys for tests that do not watch them: "T" and "P" do nothing.
#pragma once

#include "ui/viewer.h"

namespace mvirda_test {

inline ui::ViewerHooks idle_viewer() {
  return ui::ViewerHooks{.export_file = [](std::string_view) {}, .print = [](ui::TextViewer&) {}};
}

}  // namespace mvirda_test
