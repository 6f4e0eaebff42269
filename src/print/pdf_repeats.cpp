#include "print/pdf_repeats.h"

#include <functional>

namespace print::pdf {

namespace {

// Records `h` in `met`, forgetting everything first when it is full; whether it was there.
bool meet(std::unordered_set<size_t>& met, size_t limit, size_t h) {
  if (met.contains(h)) return true;
  if (met.size() >= limit) met.clear();
  met.insert(h);
  return false;
}

}  // namespace

bool Repeats::line_met(std::string_view key) { return meet(lines_, kLines, std::hash<std::string_view>{}(key)); }

Repeats::Block Repeats::block(const std::string& key) {
  if (auto it = forms_.find(key); it != forms_.end()) return {it->second, false};
  if (!meet(blocks_, kBlocks, std::hash<std::string_view>{}(key))) return {};
  if (form_bytes_ + key.size() > kFormBytes) return {};
  form_bytes_ += key.size();
  int form = static_cast<int>(forms_.size()) + 1;
  forms_.emplace(key, form);
  return {form, true};
}

}  // namespace print::pdf
