// The memory variable store behind the names of expression texts: public variables
// that live for the whole run, and private variables that hide a variable of the same
// name while the routine that declared them (and everything it calls) runs.
//
// Names are case-insensitive (kept upper case). A private is declared through a
// Variables::Scope, an RAII object a routine creates on entry; when it is destroyed
// every private declared in it vanishes and the hidden variables are visible again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xbase/value.h"

namespace xbase {

class Variables {
 public:
  // One name and the stack of its bindings; the last binding is the visible one.
  // Entries are never removed, so a pointer to one stays valid as long as the store
  // lives (the evaluator keeps such pointers to skip the name lookup).
  struct Binding {
    Value value;
    int level;  // 0 public, n the n-th open scope
  };
  struct Entry {
    std::string name;
    std::vector<Binding> bindings;
    bool exists() const { return !bindings.empty(); }
    Value& value() { return bindings.back().value; }
    const Value& value() const { return bindings.back().value; }
  };

  class Scope;

  Variables();
  Variables(const Variables&) = delete;
  Variables& operator=(const Variables&) = delete;

  // PUBLIC name: creates the public variable with `initial` (the runtime's PUBLIC
  // starts at .F.) unless a public of that name exists already, which keeps its value.
  // A private hiding the name stays visible.
  void make_public(std::string_view name, Value initial = Value::logical(false));

  bool exists(std::string_view name) const;
  // The visible variable, or nullptr.
  const Value* find(std::string_view name) const;
  Value* find(std::string_view name);
  // TYPE() of a variable: its type letter, "U" when it does not exist or is nil.
  std::string type(std::string_view name) const;

  // Assigns the visible variable. A name without any variable becomes a private of the
  // innermost open scope, or a public when no scope is open (as the runtime does).
  // The name may be built at run time ("ELSOHH" + month).
  void assign(std::string_view name, Value v);

  // Removes every binding of every name (a fresh run).
  void clear();

  // The entry of `name`, created empty when `create` and missing; nullptr otherwise.
  // For the evaluator's name cache.
  Entry* entry(std::string_view name, bool create);
  const Entry* entry(std::string_view name) const;

  int scope_depth() const { return depth_; }
  // Distinct for every store ever made in this process (keys the evaluator's cache).
  uint64_t id() const { return id_; }

  static std::string normalize(std::string_view name);  // upper case

 private:
  std::unordered_map<std::string, Entry> map_;
  int depth_ = 0;
  uint64_t id_;
  std::vector<std::vector<Entry*>> scope_entries_;  // names bound in each open scope
};

// The privates of one routine. Create it on entry, declare the routine's privates
// through it; destruction (also by an exception) releases them. Scopes must be
// destroyed in the reverse order of their creation, as stack objects are.
class Variables::Scope {
 public:
  explicit Scope(Variables& vars);
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

  // PRIVATE name [:= initial]: hides any variable of that name until the scope ends.
  // The runtime's PRIVATE starts at nil. Declaring the same name twice in one scope
  // only sets its value.
  void declare(std::string_view name, Value initial = Value());

  int level() const { return level_; }

 private:
  Variables& vars_;
  int level_;
};

}  // namespace xbase
