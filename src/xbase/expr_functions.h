// The functions an expression text may call: the built-in table (the runtime's text,
// number and date functions, IIF, TYPE, EVAL, DELETED, RECNO and the collation key
// HUNGORD that index keys use) and the registry through which the application adds
// its own functions by name.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "xbase/error.h"
#include "xbase/expr.h"
#include "xbase/value.h"

namespace xbase {

// A function gets its evaluated arguments (missing ones are not there: check
// args.size()) and the evaluation context (host, variables, limits).
using NativeFunction = std::function<Value(std::span<const Value> args, EvalContext& ctx)>;

struct FunctionDef {
  std::string name;  // upper case
  NativeFunction fn;
  bool builtin = false;
};

class Functions {
 public:
  Functions() = default;
  Functions(const Functions&) = delete;
  Functions& operator=(const Functions&) = delete;

  // Adds or replaces the function `name` (case-insensitive). Expressions compiled
  // earlier see the replacement.
  void add(std::string_view name, NativeFunction fn);
  const FunctionDef* find(std::string_view name) const;

  // The built-in table, shared and read-only.
  static const Functions& builtins();

 private:
  std::unordered_map<std::string, std::unique_ptr<FunctionDef>> map_;
  bool builtin_ = false;
};

// The function `name`: a built-in first, then one of `app`; nullptr when neither has it.
const FunctionDef* find_function(std::string_view name, const Functions* app);

// Errors for function writers, in the runtime's form (subsystem "BASE").
Error make_error(int gen_code, int sub_code, std::string description, std::string operation);
// "Argument error" (genCode kArg) of `function` with its arguments; the handler may
// substitute a result.
[[noreturn]] void throw_arg_error(std::string_view function, std::span<const Value> args,
                                  int sub_code = 1099);

}  // namespace xbase
