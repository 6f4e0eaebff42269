// Prompt menus: @ row, col PROMPT text MESSAGE message … MENU TO choice.
//
// The prompts are shown as they are placed, in the standard colour. MENU TO
// highlights one (enhanced colour) and shows its message on the message row;
// arrows move in both directions (Up/Left back, Down/Right on, round the ends with
// SET WRAP on), Home and End go to the first and last prompt, Enter, PgUp and PgDn
// choose, the first non-blank character of a prompt (either case) chooses that
// prompt (the topmost of those that share it), Esc gives 0. A centred message
// starts where Console::message_column says. Hot keys run while the menu waits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace console {

struct MenuPrompt {
  int row = 0;
  int col = 0;
  std::string text;     // CP852
  std::string message;  // CP852; empty: none
};

struct MenuOptions {
  int message_row = 24;        // SET MESSAGE TO; -1: no messages
  bool message_centre = true;  // … CENTER
  bool wrap = true;            // SET WRAP
};

class MenuPrompts {
 public:
  // @ row, col PROMPT: shows the prompt; the cursor ends after it.
  void add(Console& con, int row, int col, std::string_view text, std::string_view message = "");
  // The same where the last output ended.
  void add_here(Console& con, std::string_view text, std::string_view message = "");

  const std::vector<MenuPrompt>& items() const { return items_; }
  bool empty() const { return items_.empty(); }
  void clear() { items_.clear(); }

 private:
  std::vector<MenuPrompt> items_;
};

// MENU TO: the chosen prompt's number from 1, or 0 (Esc, or no prompts). The
// highlight starts on `initial` (the first prompt when out of range). The prompts
// are used up.
int menu_to(Console& con, MenuPrompts& prompts, int initial, const MenuOptions& options = {});

}  // namespace console
