// Evaluation of the compiled tree. Every operation that can fail runs inside
// `guarded`: its error object goes to the context's handler, whose answer decides
// (Substitute: that value; Default: the operation's default; Retry: run it again;
// Fail or no handler: thrown). An error the handler has seen once is not shown to it
// again by the enclosing operations.
#include <cmath>
#include <optional>

#include "xbase/expr_functions.h"
#include "xbase/expr_host.h"
#include "xbase/cp852.h"
#include "xbase/expr_node.h"
#include "xbase/ops.h"

namespace xbase {

namespace expr_detail {

namespace {

constexpr int kMaxRetries = 100;

Value no_default(const Error&) { return Value(); }
Value false_default(const Error&) { return Value::logical(false); }
// Division by zero defaults to 0, as the runtime's handler answers it.
Value arithmetic_default(const Error& e) {
  return e.gen_code == gen::kZeroDiv ? Value::num(0) : Value();
}

template <class Operation, class Fallback>
Value guarded(EvalContext& ctx, Operation&& op, Fallback&& fallback) {
  for (int tries = 0;; ++tries) {
    try {
      return op();
    } catch (const EvalFailure&) {
      throw;
    } catch (const ErrorException& ex) {
      if (!ctx.handler) throw EvalFailure(ex.error());
      Error e = ex.error();
      e.tries = tries;
      ErrorAnswer a = ctx.handler(e);
      switch (a.kind) {
        case ErrorAnswer::Kind::Substitute: return a.value;
        case ErrorAnswer::Kind::Default: return fallback(e);
        case ErrorAnswer::Kind::Retry:
          if (tries < kMaxRetries) continue;
          throw EvalFailure(std::move(e));
        case ErrorAnswer::Kind::Fail: throw EvalFailure(std::move(e));
      }
      throw EvalFailure(std::move(e));
    }
  }
}

// Counts nesting against ctx.max_depth: one per node, more for a block call, whose
// stack frames are many (a block calling itself must end in an error, not a crash).
struct DepthGuard {
  explicit DepthGuard(EvalContext& c, int cost = 1) : ctx(c), weight(cost) {
    ctx.depth += weight;
    if (ctx.depth > ctx.max_depth) {
      ctx.depth -= weight;
      throw EvalFailure(make_error(gen::kComplexity, 1449, "Operation too complex", "EVAL"));
    }
  }
  ~DepthGuard() { ctx.depth -= weight; }
  EvalContext& ctx;
  int weight;
};

constexpr int kBlockCallCost = 20;

[[noreturn]] void no_variable(const std::string& name) {
  Error e = make_error(gen::kNoVar, 1003, "Variable does not exist", name);
  e.can_substitute = true;
  throw ErrorException(std::move(e));
}

[[noreturn]] void no_alias(const std::string& alias) {
  Error e = make_error(gen::kNoAlias, 1002, "Alias does not exist", alias);
  e.can_substitute = true;
  throw ErrorException(std::move(e));
}

// The index of the node's field in `area`, from the node's cache while the host's
// layout is unchanged.
int field_of(const Node& n, const ExprHost& host, int area) {
  uint64_t gen = host.layout_generation();
  if (n.field_host == &host && n.field_generation == gen && n.field_area == area) {
    if (gen != 0) return n.field_idx;
    if (n.field_idx >= 0 && host.field_is(area, n.field_idx, n.name)) return n.field_idx;
  }
  int idx = host.field_index(area, n.name);
  n.field_host = &host;
  n.field_generation = gen;
  n.field_area = area;
  n.field_idx = idx;
  return idx;
}

Variables::Entry& var_of(const Node& n, Variables& vars) {
  if (n.var_store != vars.id() || !n.var_entry) {
    n.var_entry = vars.entry(n.name, true);
    n.var_store = vars.id();
  }
  return *n.var_entry;
}

// The area and field index of alias->name.
std::pair<int, int> alias_field(const Node& n, const ExprHost& host) {
  uint64_t gen = host.layout_generation();
  if (gen != 0 && n.field_host == &host && n.field_generation == gen && n.field_idx >= 0)
    return {n.field_area, n.field_idx};
  int area = host.area_of_alias(n.alias);
  if (area <= 0) no_alias(n.alias);
  int idx = host.field_index(area, n.name);
  if (idx < 0) no_variable(n.alias + "->" + n.name);
  n.field_host = &host;
  n.field_generation = gen;
  n.field_area = area;
  n.field_idx = idx;
  return {area, idx};
}

Value name_value(const Node& n, EvalContext& ctx) {
  if (ctx.host) {
    int area = ctx.host->selected_area();
    if (area > 0) {
      int idx = field_of(n, *ctx.host, area);
      if (idx >= 0) return ctx.host->field_value(area, idx);
    }
  }
  if (ctx.vars) {
    Variables::Entry& e = var_of(n, *ctx.vars);
    if (e.exists()) return e.value();
  }
  no_variable(n.name);
}

Value memvar_value(const Node& n, EvalContext& ctx) {
  if (ctx.vars) {
    Variables::Entry& e = var_of(n, *ctx.vars);
    if (e.exists()) return e.value();
  }
  no_variable(n.name);
}

Value field_value(const Node& n, EvalContext& ctx) {
  int area = ctx.host ? ctx.host->selected_area() : 0;
  int idx = area > 0 ? field_of(n, *ctx.host, area) : -1;
  if (idx < 0) no_variable(n.name);
  return ctx.host->field_value(area, idx);
}

// A logical operand of .AND., .OR., .NOT. or IIF; anything else is an argument error
// whose substitute must be logical.
bool logical_operand(const Value& v, EvalContext& ctx, const char* op, int sub_code,
                     std::span<const Value> args) {
  if (v.is_logical()) return v.as_logical();
  Value r = guarded(
      ctx, [&]() -> Value { throw_arg_error(op, args, sub_code); }, false_default);
  if (r.is_logical()) return r.as_logical();
  Error e = make_error(gen::kArg, sub_code, "Argument error", op);
  e.args.assign(args.begin(), args.end());
  throw EvalFailure(std::move(e));
}

void assign(const Node& target, Value v, EvalContext& ctx) {
  switch (target.op) {
    case Op::Param:
      if (ctx.params && target.index < static_cast<int>(ctx.params->size()))
        (*ctx.params)[target.index] = std::move(v);
      return;
    case Op::Name:
      if (ctx.host) {
        int area = ctx.host->selected_area();
        int idx = area > 0 ? field_of(target, *ctx.host, area) : -1;
        if (idx >= 0) {
          ctx.host->set_field(area, idx, v);
          return;
        }
      }
      [[fallthrough]];
    case Op::Memvar:
      if (!ctx.vars) no_variable(target.name);
      ctx.vars->assign(target.name, std::move(v));
      return;
    case Op::Field: {
      int area = ctx.host ? ctx.host->selected_area() : 0;
      int idx = area > 0 ? field_of(target, *ctx.host, area) : -1;
      if (idx < 0) no_variable(target.name);
      ctx.host->set_field(area, idx, v);
      return;
    }
    case Op::AliasField: {
      if (!ctx.host) no_alias(target.alias);
      auto [area, idx] = alias_field(target, *ctx.host);
      ctx.host->set_field(area, idx, v);
      return;
    }
    default: return;
  }
}

Value power(const Value& a, const Value& b) {
  if (!a.is_num() || !b.is_num()) {
    Value args[] = {a, b};
    throw_arg_error("**", args, 1088);
  }
  return Value::num(std::pow(a.as_num(), b.as_num()), -1, 2);
}

// Calls the node's function with evaluated arguments, through the handler.
Value call_with(const Node& n, std::span<const Value> args, EvalContext& ctx) {
  const FunctionDef* fn = n.fn ? n.fn : find_function(n.name, ctx.functions);
  return guarded(
      ctx,
      [&]() -> Value {
        if (!fn) {
          Error e = make_error(gen::kNoFunc, 1001, "Undefined function", n.name);
          e.can_substitute = true;
          throw ErrorException(std::move(e));
        }
        return fn->fn(args, ctx);
      },
      no_default);
}

Value call(const Node& n, EvalContext& ctx) {
  // Up to four arguments live on the stack: index keys call functions per record.
  constexpr std::size_t kInline = 4;
  Value inline_args[kInline];
  std::vector<Value> many;
  std::span<Value> args;
  if (n.kids.size() <= kInline) {
    args = std::span<Value>(inline_args, n.kids.size());
  } else {
    many.resize(n.kids.size());
    args = many;
  }
  for (std::size_t i = 0; i < n.kids.size(); ++i) args[i] = eval(*n.kids[i], ctx);
  return call_with(n, args, ctx);
}

// ---- Texts built in one buffer ----------------------------------------------------
// Index keys and browse columns are chains of "+" over fields and text functions
// ("vkod+HUNGORD(nev)", "PADR(irszam+' '+TRIM(helyseg)+' '+utca,40)"). Evaluated
// value by value they copy every field and every partial result; here the text
// parts are appended to one buffer and the functions work on it in place. Whenever
// a part is not a text the general evaluation takes over with the value already
// computed, so results and errors are those of the general path.

enum class TextFn { None, Upper, Trim, Padr };

TextFn text_fn(const Node& n) {
  if (n.op != Op::Call || !n.fn || !n.fn->builtin) return TextFn::None;
  static const FunctionDef* upper_fn = Functions::builtins().find("UPPER");
  static const FunctionDef* hungord_fn = Functions::builtins().find("HUNGORD");
  static const FunctionDef* trim_fn = Functions::builtins().find("TRIM");
  static const FunctionDef* rtrim_fn = Functions::builtins().find("RTRIM");
  static const FunctionDef* padr_fn = Functions::builtins().find("PADR");
  if ((n.fn == upper_fn || n.fn == hungord_fn) && n.kids.size() == 1) return TextFn::Upper;
  if ((n.fn == trim_fn || n.fn == rtrim_fn) && n.kids.size() == 1) return TextFn::Trim;
  if (n.fn == padr_fn && n.kids.size() == 2) return TextFn::Padr;
  return TextFn::None;
}

bool put(const Value& v, std::string& out, Value& other) {
  if (v.is_str()) {
    out += v.as_str();
    return true;
  }
  other = v;
  return false;
}

// Appends the node's value to `out` when it is a text and returns true; otherwise
// leaves `out` as it was, stores the value in `other` and returns false.
bool append_text(const Node& n, EvalContext& ctx, std::string& out, Value& other) {
  DepthGuard depth(ctx);
  switch (n.op) {
    case Op::Const: return put(n.value, out, other);
    case Op::Name: {
      if (ctx.host) {
        try {
          int area = ctx.host->selected_area();
          int idx = area > 0 ? field_of(n, *ctx.host, area) : -1;
          if (idx >= 0) {
            std::string_view bytes;
            if (ctx.host->field_text(area, idx, bytes)) {
              out += bytes;
              return true;
            }
            return put(ctx.host->field_value(area, idx), out, other);
          }
        } catch (const ErrorException&) {
          // the general path below hands it to the handler
        }
      }
      if (ctx.vars) {
        Variables::Entry& e = var_of(n, *ctx.vars);
        if (e.exists()) return put(e.value(), out, other);
      }
      return put(eval(n, ctx), out, other);
    }
    case Op::Add: {
      std::size_t mark = out.size();
      Value left;
      bool left_text = append_text(*n.kids[0], ctx, out, left);
      Value right;
      if (left_text && append_text(*n.kids[1], ctx, out, right)) return true;
      if (left_text) {
        left = Value::str(out.substr(mark));
        out.resize(mark);
      } else {
        right = eval(*n.kids[1], ctx);
      }
      Value r = guarded(ctx, [&] { return add(left, right); }, arithmetic_default);
      return put(r, out, other);
    }
    case Op::Call: {
      TextFn f = text_fn(n);
      if (f == TextFn::None) break;
      std::size_t mark = out.size();
      Value arg;
      if (!append_text(*n.kids[0], ctx, out, arg)) {
        Value args[2] = {arg, f == TextFn::Padr ? eval(*n.kids[1], ctx) : Value()};
        return put(call_with(n, std::span<const Value>(args, f == TextFn::Padr ? 2 : 1), ctx),
                   out, other);
      }
      switch (f) {
        case TextFn::Upper:
          for (std::size_t i = mark; i < out.size(); ++i)
            out[i] = static_cast<char>(hu852_upper(static_cast<unsigned char>(out[i])));
          return true;
        case TextFn::Trim:
          while (out.size() > mark && out.back() == ' ') out.pop_back();
          return true;
        case TextFn::Padr: {
          Value width = eval(*n.kids[1], ctx);
          double w = width.is_num() ? width.as_num() : -1;
          if (width.is_num() && w >= 0 && w <= static_cast<double>(ctx.max_string)) {
            out.resize(mark + static_cast<std::size_t>(w), ' ');
            return true;
          }
          Value args[2] = {Value::str(out.substr(mark)), width};
          out.resize(mark);
          return put(call_with(n, args, ctx), out, other);
        }
        case TextFn::None: break;
      }
      break;
    }
    default: break;
  }
  return put(eval(n, ctx), out, other);
}

Value build_text(const Node& n, EvalContext& ctx) {
  std::string out;
  out.reserve(64);
  Value other;
  if (!append_text(n, ctx, out, other)) return other;
  if (out.size() > ctx.max_string)
    return guarded(
        ctx,
        []() -> Value {
          throw ErrorException(make_error(gen::kStrOverflow, 1209, "String overflow", "+"));
        },
        no_default);
  return Value::str(std::move(out));
}

template <class F>
Value binary(const Node& n, EvalContext& ctx, F&& f) {
  Value a = eval(*n.kids[0], ctx);
  Value b = eval(*n.kids[1], ctx);
  return guarded(
      ctx,
      [&] {
        Value r = f(a, b);
        if (r.is_str() && r.as_str().size() > ctx.max_string)
          throw ErrorException(make_error(gen::kStrOverflow, 1209, "String overflow", "+"));
        return r;
      },
      arithmetic_default);
}

template <class F>
Value relation(const Node& n, EvalContext& ctx, F&& f) {
  Value a = eval(*n.kids[0], ctx);
  Value b = eval(*n.kids[1], ctx);
  return guarded(ctx, [&] { return Value::logical(f(a, b)); }, false_default);
}

}  // namespace

Value eval(const Node& n, EvalContext& ctx) {
  DepthGuard depth(ctx);
  switch (n.op) {
    case Op::Const: return n.value;
    case Op::Name: return guarded(ctx, [&] { return name_value(n, ctx); }, no_default);
    case Op::Memvar: return guarded(ctx, [&] { return memvar_value(n, ctx); }, no_default);
    case Op::Field: return guarded(ctx, [&] { return field_value(n, ctx); }, no_default);
    case Op::AliasField:
      return guarded(
          ctx,
          [&] {
            if (!ctx.host) no_alias(n.alias);
            auto [area, idx] = alias_field(n, *ctx.host);
            return ctx.host->field_value(area, idx);
          },
          no_default);
    case Op::AliasExpr: {
      int area = guarded(
                     ctx,
                     [&] {
                       int a = ctx.host ? ctx.host->area_of_alias(n.alias) : 0;
                       if (a <= 0) no_alias(n.alias);
                       return Value::num(a);
                     },
                     no_default)
                     .as_num();
      if (area <= 0) return Value();
      int before = ctx.host->select_area(area);
      try {
        Value v = eval(*n.kids[0], ctx);
        ctx.host->select_area(before);
        return v;
      } catch (...) {
        ctx.host->select_area(before);
        throw;
      }
    }
    case Op::Param:
      if (ctx.params && n.index < static_cast<int>(ctx.params->size()))
        return (*ctx.params)[n.index];
      return Value();
    case Op::Call:
      if (text_fn(n) != TextFn::None) return build_text(n, ctx);
      return call(n, ctx);
    case Op::Iif: {
      Value c = eval(*n.kids[0], ctx);
      Value args[] = {c};
      bool cond = logical_operand(c, ctx, "IIF", 1066, args);
      return eval(*n.kids[cond ? 1 : 2], ctx);
    }
    case Op::And: {
      Value a = eval(*n.kids[0], ctx);
      Value args[] = {a};
      if (!logical_operand(a, ctx, ".AND.", 1078, args)) return Value::logical(false);
      Value b = eval(*n.kids[1], ctx);
      Value args2[] = {a, b};
      return Value::logical(logical_operand(b, ctx, ".AND.", 1078, args2));
    }
    case Op::Or: {
      Value a = eval(*n.kids[0], ctx);
      Value args[] = {a};
      if (logical_operand(a, ctx, ".OR.", 1079, args)) return Value::logical(true);
      Value b = eval(*n.kids[1], ctx);
      Value args2[] = {a, b};
      return Value::logical(logical_operand(b, ctx, ".OR.", 1079, args2));
    }
    case Op::Not: {
      Value a = eval(*n.kids[0], ctx);
      Value args[] = {a};
      return Value::logical(!logical_operand(a, ctx, ".NOT.", 1077, args));
    }
    case Op::Neg: {
      Value a = eval(*n.kids[0], ctx);
      return guarded(ctx, [&] { return negate(a); }, arithmetic_default);
    }
    case Op::Plus: {
      Value a = eval(*n.kids[0], ctx);
      return guarded(
          ctx,
          [&] {
            if (!a.is_num()) {
              Value args[] = {a};
              throw_arg_error("+", args, 1081);
            }
            return a;
          },
          arithmetic_default);
    }
    case Op::Add: return build_text(n, ctx);
    case Op::Sub:
      return binary(n, ctx, [](const Value& a, const Value& b) { return subtract(a, b); });
    case Op::Mul:
      return binary(n, ctx, [](const Value& a, const Value& b) { return multiply(a, b); });
    case Op::Div:
      return binary(n, ctx, [](const Value& a, const Value& b) { return divide(a, b); });
    case Op::Mod:
      return binary(n, ctx, [](const Value& a, const Value& b) { return modulo(a, b); });
    case Op::Pow: return binary(n, ctx, power);
    case Op::Eq:
      return relation(n, ctx, [&](const Value& a, const Value& b) { return equal(a, b, ctx.exact); });
    case Op::ExactEq: return relation(n, ctx, exactly_equal);
    case Op::Ne:
      return relation(n, ctx,
                      [&](const Value& a, const Value& b) { return !equal(a, b, ctx.exact); });
    case Op::Lt:
      return relation(n, ctx,
                      [&](const Value& a, const Value& b) { return compare(a, b, ctx.exact) < 0; });
    case Op::Le:
      return relation(n, ctx,
                      [&](const Value& a, const Value& b) { return compare(a, b, ctx.exact) <= 0; });
    case Op::Gt:
      return relation(n, ctx,
                      [&](const Value& a, const Value& b) { return compare(a, b, ctx.exact) > 0; });
    case Op::Ge:
      return relation(n, ctx,
                      [&](const Value& a, const Value& b) { return compare(a, b, ctx.exact) >= 0; });
    case Op::Contains: return relation(n, ctx, contains);
    case Op::Block: return Value::block(n.block);
    case Op::List: {
      Value v;
      for (const auto& k : n.kids) v = eval(*k, ctx);
      return v;
    }
    case Op::Assign: {
      Value v = eval(*n.kids[1], ctx);
      guarded(
          ctx,
          [&] {
            assign(*n.kids[0], v, ctx);
            return Value();
          },
          no_default);
      return v;
    }
  }
  return Value();
}

}  // namespace expr_detail

using expr_detail::eval;

Value Expr::eval(EvalContext& ctx) const {
  if (!root_) return Value();
  return expr_detail::eval(*root_, ctx);
}

bool Expr::eval_condition(EvalContext& ctx) const {
  Value v = eval(ctx);
  if (v.is_logical()) return v.as_logical();
  Value args[] = {v};
  return expr_detail::logical_operand(v, ctx, "FILTER", 1066, args);
}

Value eval_block(const CodeBlock& block, std::span<const Value> args, EvalContext& ctx) {
  if (block.native) return block.native(args, ctx);
  if (!block.body) return Value();
  std::vector<Value> frame(block.params.size());
  for (std::size_t i = 0; i < frame.size() && i < args.size(); ++i) frame[i] = args[i];
  expr_detail::DepthGuard depth(ctx, expr_detail::kBlockCallCost);
  std::vector<Value>* outer = ctx.params;
  ctx.params = &frame;
  try {
    Value v = expr_detail::eval(*block.body, ctx);
    ctx.params = outer;
    return v;
  } catch (...) {
    ctx.params = outer;
    throw;
  }
}

Value eval_block(const Value& block, std::span<const Value> args, EvalContext& ctx) {
  if (!block.is_block() || !block.as_block()) {
    Error e = make_error(gen::kNoMethod, 1004, "No exported method", "EVAL");
    e.args.push_back(block);
    e.args.insert(e.args.end(), args.begin(), args.end());
    throw ErrorException(std::move(e));
  }
  return eval_block(*block.as_block(), args, ctx);
}

Value evaluate(std::string_view text, EvalContext& ctx) {
  std::optional<Expr> compiled;
  Value answer = expr_detail::guarded(
      ctx,
      [&] {
        compiled = Expr::compile(text, ctx.functions);
        return Value();
      },
      expr_detail::no_default);
  if (!compiled) return answer;  // the handler answered the syntax error
  return compiled->eval(ctx);
}

void assign_name(std::string_view name, const Value& v, EvalContext& ctx) {
  Expr target = Expr::compile(name, ctx.functions);
  const expr_detail::Node& n = *target.root_;
  using expr_detail::Op;
  if (n.op != Op::Name && n.op != Op::Memvar && n.op != Op::Field && n.op != Op::AliasField) {
    Error e = make_error(gen::kSyntax, 1449, "Syntax error", "&");
    e.args.push_back(Value::str(std::string(name)));
    throw ErrorException(std::move(e));
  }
  expr_detail::guarded(
      ctx,
      [&] {
        expr_detail::assign(n, v, ctx);
        return Value();
      },
      expr_detail::no_default);
}

std::string type_of(std::string_view text, EvalContext& ctx) {
  Expr e;
  try {
    e = Expr::compile(text, ctx.functions);
  } catch (const ErrorException&) {
    return "UE";
  }
  if (e.calls_application_functions()) return "UI";
  EvalContext quiet = ctx;
  quiet.handler = nullptr;
  quiet.params = nullptr;  // a macro text does not see the parameters of a block
  try {
    Value v = e.eval(quiet);
    if (v.is_nil()) return "U";
    return std::string(1, static_cast<char>(v.type()));
  } catch (const ErrorException& ex) {
    int g = ex.error().gen_code;
    return (g == gen::kNoVar || g == gen::kNoAlias) ? "U" : "UE";
  }
}

}  // namespace xbase
