// The change notes "valt????.txt" of the installation: shown at start-up, renamed to
// "palt????.txt" once read when the user says so, and listed in the submenu.
#pragma once

#include <string>
#include <vector>

#include "shell/context.h"
#include "ui/viewer.h"

namespace shell {

// The change notes shown at start-up, with the question and the renaming.
void show_change_notes(Context& ctx, const ui::ViewerHooks& viewer);
// The list of change notes of the submenu.
void change_note_list(Context& ctx, const ui::ViewerHooks& viewer);
// The entries of that list: unread notes, then read ones not also unread.
std::vector<std::string> change_note_entries(const std::string& program_dir);

}  // namespace shell
