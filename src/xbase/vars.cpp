#include "xbase/vars.h"

#include <atomic>
#include <cassert>

namespace xbase {

Variables::Variables() {
  static std::atomic<uint64_t> next{1};
  id_ = next++;
}

std::string Variables::normalize(std::string_view name) {
  std::string s(name);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

Variables::Entry* Variables::entry(std::string_view name, bool create) {
  std::string key = normalize(name);
  auto it = map_.find(key);
  if (it != map_.end()) return &it->second;
  if (!create) return nullptr;
  Entry& e = map_[key];
  e.name = std::move(key);
  return &e;
}

const Variables::Entry* Variables::entry(std::string_view name) const {
  auto it = map_.find(normalize(name));
  return it == map_.end() ? nullptr : &it->second;
}

void Variables::make_public(std::string_view name, Value initial) {
  Entry* e = entry(name, true);
  if (!e->bindings.empty() && e->bindings.front().level == 0) return;
  e->bindings.insert(e->bindings.begin(), Binding{std::move(initial), 0});
}

bool Variables::exists(std::string_view name) const {
  const Entry* e = entry(name);
  return e && e->exists();
}

const Value* Variables::find(std::string_view name) const {
  const Entry* e = entry(name);
  return e && e->exists() ? &e->value() : nullptr;
}

Value* Variables::find(std::string_view name) {
  Entry* e = entry(name, false);
  return e && e->exists() ? &e->value() : nullptr;
}

std::string Variables::type(std::string_view name) const {
  const Value* v = find(name);
  if (!v || v->is_nil()) return "U";
  return std::string(1, static_cast<char>(v->type()));
}

void Variables::assign(std::string_view name, Value v) {
  Entry* e = entry(name, true);
  if (e->exists()) {
    e->value() = std::move(v);
    return;
  }
  e->bindings.push_back(Binding{std::move(v), depth_});
  if (depth_ > 0) scope_entries_[depth_ - 1].push_back(e);
}

void Variables::clear() {
  for (auto& [key, e] : map_) e.bindings.clear();
  for (auto& list : scope_entries_) list.clear();
}

Variables::Scope::Scope(Variables& vars) : vars_(vars), level_(++vars.depth_) {
  if (static_cast<int>(vars_.scope_entries_.size()) < level_) vars_.scope_entries_.resize(level_);
}

Variables::Scope::~Scope() {
  assert(vars_.depth_ == level_ && "private scopes must end in reverse order");
  auto& list = vars_.scope_entries_[level_ - 1];
  for (Entry* e : list)
    while (!e->bindings.empty() && e->bindings.back().level >= level_) e->bindings.pop_back();
  list.clear();
  --vars_.depth_;
}

void Variables::Scope::declare(std::string_view name, Value initial) {
  Entry* e = vars_.entry(name, true);
  if (!e->bindings.empty() && e->bindings.back().level == level_) {
    e->value() = std::move(initial);
    return;
  }
  e->bindings.push_back(Binding{std::move(initial), level_});
  vars_.scope_entries_[level_ - 1].push_back(e);
}

}  // namespace xbase
