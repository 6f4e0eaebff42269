// Names and street addresses kept as parts and as one composed text. The person form
// does not let the user type the composed text: its reader (NEVGET) takes the first
// key in the composed field and opens a window (VEZ_UTO for a name, KOZ_TER for the
// street line) in which the parts are entered; the composed text is rebuilt from
// them when the window closes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/get_read.h"
#include "entry/form.h"

namespace entry {

// NEVGET: the reader of a composed field. Shows the value, over the person's name
// field a hint that typing opens a window, and waits for one key: Enter, Tab, Down
// go on, Up goes back, Esc and PgDn act as in the rest of the read (the exit
// question, the run through the fields), F1 helps and the field waits on; any other
// key runs the field's check, which opens the window.
void NEVGET(Form& form, console::ReadSession& session, console::GetField& field);

// The keys that reach a composed field without opening its window.
bool passes_composed_field(int key);

// VEZ_UTO: the check of a composed name field, deciding by the last key. Opens the
// window titled `title` at row, column with the family name, the given name and,
// when `grof_var` is not empty, the title (one of store::name_titles(), else the
// list of them with "Csak ezek lehetnek"); rebuilds `name_var` from them unless the
// window is left with Esc, which puts the parts back as they were. Returns true.
bool VEZ_UTO(Form& form, std::string_view title, int row, int col, std::string_view name_var,
             std::string_view grof_var, std::string_view family_var, std::string_view given_var);

// KOZ_TER: the same for the street line XUTCA of the person form, from XKOZTNEV,
// XKOZTER, XHAZSZAM, XEPULET, XLEPCSO, XEMELET and XAJTO. Returns true.
bool KOZ_TER(Form& form, std::string_view title, int row, int col);

// The composed name: title, family name and given name, trimmed, a blank between
// them, the blanks around the whole removed; padded or cut to `width`.
std::string compose_name(std::string_view grof, std::string_view family, std::string_view given,
                         int width);
// The composed street line: the seven parts trimmed with a blank between each (an
// empty part leaves its blanks), padded or cut to `width`.
std::string compose_street(const std::vector<std::string>& parts, int width);

// KOZTERELL: whether the public-space table has a kind that begins with `kind`
// (trailing blanks included). The selected table stays selected.
bool KOZTERELL(shell::Context& ctx, std::string_view kind);
// A kind trimmed and padded to the width of the public-space table's kinds (as it
// is when that table is not open).
std::string public_space_key(const shell::Context& ctx, std::string_view kind);

// UTCAHOSSZ: the long address line of the current record of the selected table
// (person or company): public-space name, kind and house number, then building,
// staircase, floor and door with their words when given.
std::string UTCAHOSSZ(shell::Context& ctx);

}  // namespace entry
