// The record buffer: one public variable "X" + field name for every field of the
// company, year and dependants tables. Forms edit these variables, never the fields;
// a record is loaded into the buffer (BEOLV), blanked for a new record (INI) and
// written back in one step (CSERE). A field name shared by several tables has one
// buffer value for all of them.
//
// Every function works on the currently selected table and all of its fields in
// field order.
#pragma once

#include <string>
#include <string_view>

#include "shell/context.h"
#include "xbase/dbf_format.h"
#include "xbase/value.h"

namespace shell {

// "X" + the field's name in upper case.
std::string buffer_name(std::string_view field);
// What INI puts into a buffer variable: blanks of the field's width, 0, the empty
// date, false; nil for a type the buffer does not hold (memo).
xbase::Value blank_value(const xbase::FieldDef& f);

// PUBI: creates the buffer variable of every field unless it exists already (an
// existing one keeps its value); a new one starts blank.
void PUBI(Context& ctx);
// INI: every buffer variable of the current table gets its field's blank value.
void INI(Context& ctx);
// BEOLV: re-reads the current record from the file (changes made by other
// workstations are seen) and copies every field into its buffer variable.
void BEOLV(Context& ctx);
// CSERE: writes every buffer variable back into the current record. A number that
// the field cannot show (buffer >= 10^integer positions of the field) is not written:
// row 24 shows "Túl nagy szám: " with the company code, the name, the field and the
// value until a key is pressed, and the field keeps its value. The caller holds the
// lock the table needs.
void CSERE(Context& ctx);
// The same test before the lock is taken: shows the "Túl nagy szám" line for every
// number of the buffer that its field of the current table cannot hold; false when
// there was one.
bool buffer_fits(Context& ctx);
// The row-24 text of a number too large for its field: "Túl nagy szám: " with the
// company code, the name, the field and the value.
std::string too_big_text(std::string_view vkod, std::string_view nev, std::string_view field,
                         const xbase::Value& v);
// Shows that text on row 24 until a key is pressed (a terminal without a user takes
// it as a warning instead).
void show_too_big(Context& ctx, const std::string& msg);

// READE: reads the pending entry fields of the screen and clears them; true when the
// read ended with Esc.
bool READE(Context& ctx);
// CLOSE2TOL: closes the tables of work areas 2 to 20 and selects again the area that
// was selected. Always true.
bool CLOSE2TOL(Context& ctx);

// The integer positions (sign included) of a numeric field: STR() of a value of the
// field's width and decimals has this many characters before the decimal point.
int integer_positions(const xbase::FieldDef& f);

}  // namespace shell
