// The keys of every record of a table for INDEX ON.
//
// Where the key has one of the shapes of a key routine (ntx_key_routine.h), the table file
// is read in large sequential blocks by two threads, each making the keys of its half of
// the records (the build then sorts them with two threads as well). Records the routine
// leaves to the evaluator, and every record of any other key, go through the key function
// on the work area, one after the other.
#pragma once

#include <cstdint>
#include <string_view>

#include "xbase/ntx_build_input.h"
#include "xbase/ntx_order.h"

namespace xbase {

// Keys of records 1..count of the area's table (deleted ones too) in `shape`, the key's
// type and size on the first record. `threads`: 0 as the machine allows. Leaves the area
// on the last record.
NtxBuildInput gather_index_keys(WorkArea& area, std::string_view key_text, const NtxKeyFunction& key,
                                const NtxKeyShape& shape, uint32_t count, int threads = 0);

}  // namespace xbase
