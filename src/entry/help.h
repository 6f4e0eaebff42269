// The F1 help (HELP): in a company-code field a pick list of the companies, in a
// tax-identifier field of the print selection a pick list of the persons, anywhere
// else the screen of the editing keys. The program binds it to F1 at start-up, so it
// works in every read, menu, browse, question box and list.
#pragma once

#include <string>
#include <string_view>

#include "shell/context.h"

namespace entry {

// HELP: decides by the name of the field being read ("" outside a read).
void HELP(shell::Context& ctx);

// The help subject of a field name: a name beginning with "X" or "K" loses that
// letter and then up to two trailing digits ("Xvkod" VKOD, "KVKOD1" VKOD,
// "Xelsohh01" ELSOHH); other names are only upper-cased.
std::string help_subject(std::string_view variable);

// The key help screen: the editing keys, until any key is pressed.
void key_help(shell::Context& ctx);

// HDBFUNC: the key function of the company pick list. Esc closes it choosing
// nothing; Enter types the chosen company's code into the field being read (nothing
// in an empty list) and closes it; other keys are ignored.
int HDBFUNC(shell::Context& ctx, int mode);

// M30VAL: the person pick list over the year table in a window with the given
// corners. Enter sets KSZEMSZAM to the chosen person's tax identifier; Esc leaves it.
// Returns true.
bool M30VAL(shell::Context& ctx, int top, int left, int bottom, int right);


}  // namespace entry
