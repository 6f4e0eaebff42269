// The hook through which an index (an "order") plugs into a work area.
//
// A work area keeps a list of open orders. Every order is told about each change of a
// record so that it stays current; the controlling order (if any) also drives the
// navigation: GO TOP/BOTTOM, SKIP and SEEK follow its key order instead of the
// physical record order. Record numbers are 1-based; 0 means "no record".
//
// When the work area calls an order it is positioned on the record concerned (its
// current record buffer holds that record), so an order evaluates its key expression
// against the work area's current record, through the area's field access.
#pragma once

#include <cstdint>
#include <functional>

#include "xbase/value.h"

namespace xbase {

class WorkArea;

// Tells whether a record is visible under SET DELETED and the area's filter. The
// work area positions itself on the record to answer.
using RecordVisible = std::function<bool(uint32_t recno)>;

struct SeekResult {
  uint32_t recno = 0;  // the record the seek stopped on; 0 when past the last key (EOF)
  bool found = false;  // that record's key begins with the key sought
};

class WorkAreaOrder {
 public:
  virtual ~WorkAreaOrder() = default;

  // --- Navigation in key order (controlling order only) ---
  virtual uint32_t first() = 0;  // record of the lowest key; 0 for an empty order
  virtual uint32_t last() = 0;   // record of the highest key; 0 for an empty order
  // The record after / before `recno` in key order, 0 at the end. The area is
  // positioned on `recno`.
  virtual uint32_t next(uint32_t recno) = 0;
  virtual uint32_t prev(uint32_t recno) = 0;
  // SEEK: the first visible record whose key is >= key. With `last` the last visible
  // record whose key begins with key (SEEK … LAST). A soft seek is the caller's
  // business: it keeps the position when not found, a hard seek goes to EOF.
  virtual SeekResult seek(const Value& key, bool last, const RecordVisible& visible) = 0;
  // Whether the key where the last first/last/next/prev/seek stopped begins with
  // `prefix` (a key range's test). An order that cannot tell answers true.
  virtual bool cursor_key_begins(const Value& /*prefix*/) { return true; }

  // --- Keeping the order current (every open order) ---
  // A blank record was appended and the area is positioned on it.
  virtual void appended(uint32_t /*recno*/) {}
  // The current record is about to be changed for the first time since it was read:
  // the area still holds the old field values (take the old key now).
  virtual void before_change(uint32_t /*recno*/) {}
  // The changed record has been written back; the area holds the new values.
  virtual void after_change(uint32_t /*recno*/) {}
  // The record's deletion flag was set or cleared (keys are unchanged by it).
  virtual void deleted_changed(uint32_t /*recno*/, bool /*deleted*/) {}
  // ZAP or PACK renumbered or removed records: the order must be rebuilt.
  virtual void table_rewritten() {}
  // The area is closing; write out what is pending.
  virtual void flush() {}
};

}  // namespace xbase
