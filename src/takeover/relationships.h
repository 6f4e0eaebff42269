// A person's legal relationships in the tax year: the list built from their
// relationship records, the relationship the certificate is made for, and the
// relationships whose amounts are left out because they ended without a
// contiguous successor.
#pragma once

#include <cstdint>
#include <vector>

#include "takeover/run_state.h"
#include "xbase/date.h"

namespace takeover {

// One relationship record as the list needs it.
struct RelationshipRecord {
  uint32_t recno = 0;
  char fogjel = ' ';
  xbase::Date belepes;  // start; empty: from 1 January
  xbase::Date kilepes;  // end; empty while in force
};

// Builds TTAGALK from the person's records in index order (those starting after the
// tax year are left out), chooses the certificate relationship (ESET, AKTREK) and
// clears the counting flag of the excluded ones.
//
// Chosen: the first relationship of a kind other than "5" in force at the year end
// (ESET 1); else the one that ended last, equal ends in list order (ESET 2).
// Excluded, when there is more than one: a relationship of kind "1", "2" or "3",
// not the chosen one, ended before the year end, and not followed the next day by
// another relationship. "Followed" is judged in order of start dates (equal starts
// in the order of the choice), so a job that is continued by a job of another kind,
// or a leaver's earlier contiguous jobs, keep their income.
void choose_relationships(RunState& st, const std::vector<RelationshipRecord>& records);

// Whether the record `recno` is read: ESET not 0, and the record is either not in
// the list (it started after the tax year) or still counted. EGYSZFOGL is the
// caller's test.
bool counted(const RunState& st, uint32_t recno);

}  // namespace takeover
