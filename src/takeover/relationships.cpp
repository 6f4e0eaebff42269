#include "takeover/relationships.h"

#include <algorithm>

namespace takeover {

void choose_relationships(RunState& st, const std::vector<RelationshipRecord>& records) {
  const xbase::Date jan1 = xbase::Date::from_ymd(st.tax_year, 1, 1);
  st.ttagalk.clear();
  st.eset = Eset::None;
  st.aktrek = 0;
  for (const RelationshipRecord& r : records) {
    if (r.belepes.year() > st.tax_year) continue;
    Relationship e;
    e.recno = r.recno;
    e.fogjel = r.fogjel;
    e.start = r.belepes.empty() || r.belepes < jan1 ? jan1 : r.belepes;
    e.end = r.kilepes.empty() || r.kilepes > st.utnap ? st.utnap : r.kilepes;
    st.ttagalk.push_back(e);
  }
  if (st.ttagalk.empty()) return;

  // The order of the choice: the list's for a relationship in force, latest end
  // first for a leaver.
  std::vector<size_t> order(st.ttagalk.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto in_force = std::find_if(order.begin(), order.end(), [&](size_t i) {
    return st.ttagalk[i].fogjel != '5' && st.ttagalk[i].end == st.utnap;
  });
  size_t chosen;
  if (in_force != order.end()) {
    chosen = *in_force;
    st.eset = Eset::InForce;
  } else {
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return st.ttagalk[a].end > st.ttagalk[b].end; });
    // Every listed relationship started within the tax year or before it.
    chosen = order.front();
    st.eset = Eset::Ended;
  }
  st.aktrek = st.ttagalk[chosen].recno;
  if (st.ttagalk.size() < 2) return;

  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return st.ttagalk[a].start < st.ttagalk[b].start; });
  for (size_t k = 0; k < order.size(); ++k) {
    Relationship& e = st.ttagalk[order[k]];
    if (order[k] == chosen) continue;
    if (e.fogjel != '1' && e.fogjel != '2' && e.fogjel != '3') continue;
    if (!(e.end < st.utnap)) continue;
    bool followed = k + 1 < order.size() &&
                    st.ttagalk[order[k + 1]].start.julian() == e.end.julian() + 1;
    if (!followed) e.counted = false;
  }
}

bool counted(const RunState& st, uint32_t recno) {
  if (st.eset == Eset::None) return false;
  for (const Relationship& e : st.ttagalk)
    if (e.recno == recno) return e.counted;
  return true;
}

}  // namespace takeover
