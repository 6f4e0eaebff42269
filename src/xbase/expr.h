// The expression evaluator: an expression text (an index key, a filter, a browse
// column, a condition built at run time) is compiled once into a tree and evaluated
// many times against the current record and the variable store.
//
//   Expr key = Expr::compile("vkod+HUNGORD(nev)");
//   EvalContext ctx{.host = &areas, .vars = &vars};
//   Value v = key.eval(ctx);
//
// The language, its operators and functions are described in docs/expressions.md.
// Errors are the runtime's error objects: compile() throws ErrorException (genCode
// kSyntax); evaluation hands each failing operation to ctx.handler, which may give a
// value instead (division by zero answered 0), take the operation's default, retry,
// or fail; without a handler, or on failure, ErrorException is thrown.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/error.h"
#include "xbase/value.h"

namespace xbase {

class ExprHost;
class Variables;
class Functions;
namespace expr_detail {
struct Node;
}

// Everything an evaluation reads besides the expression itself.
struct EvalContext {
  ExprHost* host = nullptr;              // fields, DELETED(), RECNO(); none: no tables
  Variables* vars = nullptr;             // memory variables; none: only fields
  const Functions* functions = nullptr;  // the application's functions (built-ins always)
  ErrorHandler handler;                  // none: every error is thrown
  bool exact = false;                    // SET EXACT for "=" and the comparisons

  // Limits against runaway texts: the longest text PADR(), SPACE(), REPLICATE(),
  // STR() may make, and how deeply evaluation may nest (code blocks calling blocks).
  std::size_t max_string = std::size_t{16} << 20;
  int max_depth = 2000;

  // Evaluation state, managed by the evaluator.
  int depth = 0;
  std::vector<Value>* params = nullptr;  // parameters of the running code block
};

// What evaluation throws: the error of a failed operation after the handler answered
// "fail" (or when there is no handler). Code that hands errors to a handler itself
// should let this one pass instead of showing the same error again.
class EvalFailure : public ErrorException {
 public:
  explicit EvalFailure(Error e) : ErrorException(std::move(e)) {}
};

// A compiled {|params| expr, ...} block; Value::block() carries it. A block made in
// C++ code sets `native` instead of `body`.
struct CodeBlock {
  std::string text;  // the block as written, "{|| ... }"
  std::vector<std::string> params;
  std::shared_ptr<const expr_detail::Node> body;
  std::function<Value(std::span<const Value>, EvalContext&)> native;
};

class Expr {
 public:
  Expr() = default;  // empty: evaluates to nil

  // Compiles `text`. Function names are looked up among the built-ins, then in `app`;
  // a name found in neither is looked up again in ctx.functions when it is called.
  // Throws ErrorException (genCode kSyntax, or kComplexity for a text nested too deeply).
  static Expr compile(std::string_view text, const Functions* app = nullptr);

  Value eval(EvalContext& ctx) const;
  // For filters: true only for a logical .T. result; any other type is an argument
  // error handed to the handler (a Substitute answer's logical value is used).
  bool eval_condition(EvalContext& ctx) const;

  const std::string& text() const { return text_; }
  bool empty() const { return !root_; }
  // True when the text calls a function that is not built in (TYPE() gives "UI").
  bool calls_application_functions() const { return app_calls_; }
  // The compiled tree, for code that reads an expression's shape (index keys made
  // straight from record bytes); null when empty.
  const expr_detail::Node* tree() const { return root_.get(); }

 private:
  friend void assign_name(std::string_view, const Value&, EvalContext&);
  std::shared_ptr<const expr_detail::Node> root_;
  std::string text_;
  bool app_calls_ = false;
};

// EVAL(block, args...). A value that is not a block is an error (genCode kNoMethod).
Value eval_block(const Value& block, std::span<const Value> args, EvalContext& ctx);
Value eval_block(const CodeBlock& block, std::span<const Value> args, EvalContext& ctx);

// Compiles "{||" + text + "}" into a block value, as the search filter is built.
Value compile_block(std::string_view text, const Functions* app = nullptr);

// The macro operator &(text): compile and evaluate once.
Value evaluate(std::string_view text, EvalContext& ctx);

// &(name) := value for a name built at run time ("ELSOHH" + month): the field of
// the selected area when it has one, else the visible variable, else a new private of
// the innermost routine, as `name := value` in a text. "M->name" and "alias->field"
// are taken too. A text that is not such a name is a syntax error; errors go to the
// handler as in an evaluation.
void assign_name(std::string_view name, const Value& v, EvalContext& ctx);

// TYPE(text): the type letter of the text's value ("C", "N", "D", "L", "B"); "U" when
// a name in it does not exist or the value is nil; "UE" for a syntax error or an
// error while evaluating; "UI" when it calls a function that is not built in (such a
// text is not evaluated). The error handler is not called.
std::string type_of(std::string_view text, EvalContext& ctx);

}  // namespace xbase
