// The read of the record forms (READESC): Esc asks before the entries are thrown
// away, and PgDn walks through the remaining fields, running the check of each, so
// that the read ends after the last field or stops at the first field whose check
// refuses its value.
//
// The four keys are taken over only while the read itself waits for a key (or a
// reader of its own, such as the name fields', waits through the read): in a
// question box, the help screen, a pick list or a browse they keep their meaning.
// A read inside a form's read (the name window) reads with plain_read, where they
// keep their plain meaning too.
#pragma once

#include <string>
#include <vector>

#include "console/get_field.h"
#include "shell/context.h"

namespace entry {

// READESC: reads `fields`. `twice` names fields (upper case) where PgDn must be
// pressed twice; with `undo` every field gives up its edit when it is left (its check
// still runs), which makes the read a view. The caller looks at the last key: Esc
// when the entries are to be thrown away.
void READESC(shell::Context& ctx, const console::GetList& fields,
             const std::vector<std::string>& twice = {}, bool undo = false);

// A read inside a READESC read: Esc, PgDn, PgUp and Ctrl-W act as in any read.
// Returns the updated flag.
bool plain_read(shell::Context& ctx, const console::GetList& fields);

// The state of one READESC read's PgDn run.
struct PgDnRun {
  std::vector<std::string> twice;  // fields that need a second press
  std::string utget;               // the field the last step of the run left
  std::string utfek;               // the field that had its first of two presses
};

// RESC: Esc in the read. "Kilépés tárolás nélkül?" with "Igen" / "Nem": "Igen" (or
// Esc in the box) ends the read with Esc as the last key; "Nem" goes on.
void RESC(shell::Context& ctx);
// RPGDN: PgDn, PgUp or Ctrl-W in the read (`step` false), or the next step of a run
// (true): the read ends after the last field; otherwise the field is left with Tab
// (running its check) and the run goes on from the next field, unless the Tab did
// not leave the field.
void RPGDN(shell::Context& ctx, PgDnRun& run, bool step);

}  // namespace entry
