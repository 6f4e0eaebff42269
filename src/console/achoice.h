// The list chooser ACHOICE: items in a rectangle, one highlighted, with scrolling.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "console/console.h"

namespace console {

// Modes in which the user function is called.
enum AchoiceMode { kAcIdle = 0, kAcHitTop = 1, kAcHitBottom = 2, kAcException = 3, kAcNoItem = 4 };
// What the user function answers.
enum AchoiceAction { kAcAbort = 0, kAcSelect = 1, kAcContinue = 2, kAcGoto = 3 };

struct AchoiceOptions {
  std::vector<bool> selectable;  // empty: every item can be chosen
  // (mode, current item from 1, its row in the window from 0) → AchoiceAction.
  std::function<int(Console&, int mode, int current, int row)> user;
  int initial = 1;      // the item highlighted first, from 1
  int initial_row = 0;  // its row in the window
};

// Returns the chosen item's number (from 1), or 0. The current item shows in the
// enhanced colour, other selectable items in the standard colour, the rest in the
// unselected colour. Up, Down, PgUp, PgDn, Home, End and their Ctrl forms move
// (PgDn and PgUp by the window's height less one, the new item on the window's top
// or bottom row); an item reached by its letter from outside the window shows on
// its bottom row. When the chooser ends its item is drawn in the standard colour.
// Without a user function Enter chooses, Esc, Left and Right return 0, and a letter
// moves to the next item beginning with it; with one, every other key goes to it in
// the exception mode.
int achoice(Console& con, int top, int left, int bottom, int right,
            const std::vector<std::string>& items, const AchoiceOptions& options = {});

}  // namespace console
