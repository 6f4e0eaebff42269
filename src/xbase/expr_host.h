// What the expression evaluator needs from the tables: the fields of the selected
// work area and of an area named by its alias, DELETED() and RECNO(). The work areas
// implement it; tests and tools use small fakes.
//
// Areas are numbered from 1; 0 means "no area". Field indexes are the host's own
// (usually the field's position in the record); the evaluator asks for the index of
// a name once and keeps it while layout_generation() stays the same.
#pragma once

#include <cstdint>
#include <string_view>

#include "xbase/error.h"
#include "xbase/value.h"

namespace xbase {

class ExprHost {
 public:
  virtual ~ExprHost() = default;

  // The selected work area, 0 when none is selected or nothing is open there.
  virtual int selected_area() const = 0;
  // The area open under `alias` (upper case, as written before "->"); 0 when none.
  virtual int area_of_alias(std::string_view alias) const = 0;
  // The index of field `name` (upper case) in `area`, -1 when the area has no such field.
  virtual int field_index(int area, std::string_view name) const = 0;
  // The value of a field of the area's current record (blanks at end of file).
  virtual Value field_value(int area, int index) const = 0;

  // Optional fast path for character fields: a view of the field's bytes in the
  // current record, valid until the record or the selection changes. Index keys are
  // built from it without copying the field. Return false for other field types, or
  // to always go through field_value().
  virtual bool field_text(int area, int index, std::string_view& out) const;

  // FIELD := value from an expression ("nev := ..."). Default: not supported.
  virtual void set_field(int area, int index, const Value& v);

  virtual bool deleted(int area) const = 0;    // DELETED()
  virtual int64_t recno(int area) const = 0;   // RECNO()

  // alias->(expression): select `area` and return the area selected before.
  // Default: not supported.
  virtual int select_area(int area);

  // Whether field `index` of `area` is still the field `name` (upper case). The
  // evaluator asks it before reusing a remembered index when layout_generation() is 0.
  // The default looks the name up again; a host with cheap access to a field's name
  // should compare that name instead.
  virtual bool field_is(int area, int index, std::string_view name) const {
    return field_index(area, name) == index;
  }

  // A number that changes whenever a field index handed out earlier may have become
  // wrong (a table opened or closed in any area, a structure changed). 0 tells the
  // evaluator not to keep field indexes at all and to ask field_index() every time.
  // Values must not repeat across host objects either: take them from one
  // process-wide counter.
  virtual uint64_t layout_generation() const { return 0; }
};

}  // namespace xbase
