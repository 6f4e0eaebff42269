// Moving records between tables: COPY STRUCTURE, APPEND FROM another table with the
// fields matched by name, and APPEND FROM a fixed-width text file (SDF).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/workarea.h"

namespace xbase {

// A condition on the source record of APPEND FROM; the source area is positioned on it.
using SourceCondition = std::function<bool(WorkArea& source)>;

// COPY STRUCTURE TO path [FIELDS …]: an empty table with the structure of `from` (or of
// the named fields, in the given order). False when the handler gave the default.
bool copy_structure(WorkArea& from, std::string_view path,
                    const std::vector<std::string>& fields = {});

// APPEND FROM source [FOR cond] into `into`. The source is opened shared and read-only
// in the next free work area (under the alias "APPFROM…") and closed afterwards; the
// selected area is kept. Fields of the same name are copied, converted to the target's
// type; target fields without a source field stay blank. Records hidden as deleted
// (SET DELETED ON) are skipped; otherwise a deleted record is copied deleted. Returns
// the number of records appended.
size_t append_from(WorkArea& into, std::string_view source_path, SourceCondition cond = nullptr);

// APPEND FROM file SDF: one line per record (LF or CR LF), its characters spread over
// the fields in order, each field taking its width; short lines leave the rest blank.
// The text is taken as CP852. Returns the number of records appended.
size_t append_from_text(WorkArea& into, std::string_view text_path);

}  // namespace xbase
