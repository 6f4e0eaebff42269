// Recursive-descent parser of expression texts, with the runtime's precedence
// (lowest first):
//   :=  (right to left)
//   .OR.
//   .AND.
//   .NOT. !          (so "!a = b" is ".NOT. (a = b)")
//   = == != <> # < <= > >= $   (one level, left to right)
//   + -
//   * / %
//   ** ^
//   unary - + (and ! / .NOT. where an operand is expected, "a = !b")
//   operands: literals, names, alias->name, calls, (list), {|params| list}
#include <algorithm>

#include "xbase/expr_functions.h"
#include "xbase/expr_lexer.h"
#include "xbase/expr_node.h"

namespace xbase {

using expr_detail::Node;
using expr_detail::Op;
using expr_detail::Tok;
using expr_detail::Token;

namespace {

// Deeper texts than these are refused (no real expression comes near); they keep
// the recursion of parsing, evaluating and freeing the tree bounded.
constexpr int kMaxNesting = 200;
constexpr int kMaxHeight = 500;

class Parser {
 public:
  Parser(std::string_view text, const Functions* app)
      : text_(text), app_(app), toks_(expr_detail::tokenize(text)) {}

  std::unique_ptr<Node> parse_all() {
    auto n = parse_expr();
    if (peek().kind != Tok::End) fail();
    return n;
  }

  bool app_calls() const { return app_calls_; }

 private:
  struct Nest {
    explicit Nest(Parser& p) : p_(p) {
      if (++p_.nesting_ > kMaxNesting) p_.too_complex();
    }
    ~Nest() { --p_.nesting_; }
    Parser& p_;
  };

  const Token& peek(std::size_t ahead = 0) const {
    return toks_[std::min(pos_ + ahead, toks_.size() - 1)];
  }
  const Token& take() {
    const Token& t = toks_[pos_];
    if (pos_ + 1 < toks_.size()) ++pos_;
    return t;
  }
  bool accept(Tok k) {
    if (peek().kind != k) return false;
    take();
    return true;
  }
  void expect(Tok k) {
    if (!accept(k)) fail();
  }

  [[noreturn]] void fail() const {
    Error e = make_error(gen::kSyntax, 1449, "Syntax error", "&");
    e.args.push_back(Value::str(std::string(text_)));
    throw ErrorException(std::move(e));
  }
  [[noreturn]] void too_complex() const {
    Error e = make_error(gen::kComplexity, 1449, "Operation too complex", "&");
    e.args.push_back(Value::str(std::string(text_)));
    throw ErrorException(std::move(e));
  }

  std::unique_ptr<Node> make(Op op, std::unique_ptr<Node> a = nullptr,
                             std::unique_ptr<Node> b = nullptr) {
    auto n = std::make_unique<Node>();
    n->op = op;
    if (a) n->kids.push_back(std::move(a));
    if (b) n->kids.push_back(std::move(b));
    seal(*n);
    return n;
  }
  void seal(Node& n) const {
    int h = 0;
    for (const auto& k : n.kids) h = std::max(h, k->height);
    n.height = h + 1;
    if (n.height > kMaxHeight) too_complex();
  }

  std::unique_ptr<Node> parse_expr() {
    Nest guard(*this);
    auto lhs = parse_or();
    if (peek().kind == Tok::Assign) {
      Op t = lhs->op;
      if (t != Op::Name && t != Op::Memvar && t != Op::Field && t != Op::AliasField &&
          t != Op::Param)
        fail();
      take();
      auto rhs = parse_expr();
      return make(Op::Assign, std::move(lhs), std::move(rhs));
    }
    return lhs;
  }

  std::unique_ptr<Node> parse_or() {
    auto lhs = parse_and();
    while (accept(Tok::Or)) lhs = make(Op::Or, std::move(lhs), parse_and());
    return lhs;
  }

  std::unique_ptr<Node> parse_and() {
    auto lhs = parse_not();
    while (accept(Tok::And)) lhs = make(Op::And, std::move(lhs), parse_not());
    return lhs;
  }

  std::unique_ptr<Node> parse_not() {
    Nest guard(*this);
    if (accept(Tok::Not)) return make(Op::Not, parse_not());
    return parse_relation();
  }

  static bool relation_op(Tok t, Op& op) {
    switch (t) {
      case Tok::Eq: op = Op::Eq; return true;
      case Tok::EqEq: op = Op::ExactEq; return true;
      case Tok::Ne: op = Op::Ne; return true;
      case Tok::Lt: op = Op::Lt; return true;
      case Tok::Le: op = Op::Le; return true;
      case Tok::Gt: op = Op::Gt; return true;
      case Tok::Ge: op = Op::Ge; return true;
      case Tok::Dollar: op = Op::Contains; return true;
      default: return false;
    }
  }

  std::unique_ptr<Node> parse_relation() {
    auto lhs = parse_additive();
    Op op;
    while (relation_op(peek().kind, op)) {
      take();
      lhs = make(op, std::move(lhs), parse_additive());
    }
    return lhs;
  }

  std::unique_ptr<Node> parse_additive() {
    auto lhs = parse_multiplicative();
    for (;;) {
      if (accept(Tok::Plus))
        lhs = make(Op::Add, std::move(lhs), parse_multiplicative());
      else if (accept(Tok::Minus))
        lhs = make(Op::Sub, std::move(lhs), parse_multiplicative());
      else
        return lhs;
    }
  }

  std::unique_ptr<Node> parse_multiplicative() {
    auto lhs = parse_power();
    for (;;) {
      if (accept(Tok::Star))
        lhs = make(Op::Mul, std::move(lhs), parse_power());
      else if (accept(Tok::Slash))
        lhs = make(Op::Div, std::move(lhs), parse_power());
      else if (accept(Tok::Percent))
        lhs = make(Op::Mod, std::move(lhs), parse_power());
      else
        return lhs;
    }
  }

  std::unique_ptr<Node> parse_power() {
    auto lhs = parse_unary();
    while (accept(Tok::Power)) lhs = make(Op::Pow, std::move(lhs), parse_unary());
    return lhs;
  }

  std::unique_ptr<Node> parse_unary() {
    Nest guard(*this);
    if (accept(Tok::Minus)) {
      auto operand = parse_unary();
      if (operand->op == Op::Const && operand->value.is_num()) {  // a negative literal
        const Value& v = operand->value;
        operand->value = Value::num(-v.as_num(), v.width(), v.decimals());
        return operand;
      }
      return make(Op::Neg, std::move(operand));
    }
    if (accept(Tok::Plus)) return make(Op::Plus, parse_unary());
    if (accept(Tok::Not)) return make(Op::Not, parse_unary());
    return parse_primary();
  }

  // A literal of ten or more whole digits is one wider than its digits; a shorter
  // one has a computed number's width.
  static int literal_width(const Token& num) {
    int whole = static_cast<int>(std::min(num.text.find('.'), num.text.size()));
    if (whole < 10) return -1;
    return whole + 1 + (num.decimals > 0 ? num.decimals + 1 : 0);
  }

  std::unique_ptr<Node> constant(Value v) {
    auto n = std::make_unique<Node>();
    n->op = Op::Const;
    n->value = std::move(v);
    return n;
  }

  std::unique_ptr<Node> parse_primary() {
    const Token& t = peek();
    switch (t.kind) {
      case Tok::Number: {
        const Token& num = take();
        return constant(Value::num(num.number, literal_width(num), num.decimals));
      }
      case Tok::String: return constant(Value::str(take().text));
      case Tok::True: take(); return constant(Value::logical(true));
      case Tok::False: take(); return constant(Value::logical(false));
      case Tok::LParen: {
        take();
        auto list = parse_list(Tok::RParen);
        if (list->kids.empty()) fail();
        if (list->kids.size() == 1) return std::move(list->kids.front());
        return list;
      }
      case Tok::LBrace: return parse_block();
      case Tok::Ident: return parse_name();
      default: fail();
    }
  }

  // expr {, expr} up to `close` (taken).
  std::unique_ptr<Node> parse_list(Tok close) {
    auto list = std::make_unique<Node>();
    list->op = Op::List;
    if (!accept(close)) {
      do list->kids.push_back(parse_expr());
      while (accept(Tok::Comma));
      expect(close);
    }
    seal(*list);
    return list;
  }

  std::unique_ptr<Node> parse_block() {
    Nest guard(*this);
    expect(Tok::LBrace);
    expect(Tok::Pipe);
    auto cb = std::make_shared<CodeBlock>();
    if (!accept(Tok::Pipe)) {
      do {
        if (peek().kind != Tok::Ident) fail();
        cb->params.push_back(take().text);
      } while (accept(Tok::Comma));
      expect(Tok::Pipe);
    }
    std::size_t begin = peek().pos;
    params_.push_back(&cb->params);
    auto body = parse_list(Tok::RBrace);
    params_.pop_back();
    std::size_t end = toks_[pos_ - 1].pos;  // the closing brace
    std::string params_text;
    for (std::size_t i = 0; i < cb->params.size(); ++i)
      params_text += (i ? "," : "") + cb->params[i];
    cb->text = "{|" + params_text + "| " + std::string(text_.substr(begin, end - begin)) + "}";
    cb->body = std::shared_ptr<const Node>(std::move(body));
    auto n = std::make_unique<Node>();
    n->op = Op::Block;
    n->height = cb->body->height + 1;
    n->block = std::move(cb);
    return n;
  }

  std::unique_ptr<Node> parse_name() {
    std::string name = take().text;
    if (accept(Tok::Arrow)) {
      if (accept(Tok::LParen)) {
        if (name == "M" || name == "MEMVAR" || name == "FIELD" || name == "_FIELD") fail();
        auto inner = parse_list(Tok::RParen);
        if (inner->kids.empty()) fail();
        auto n = make(Op::AliasExpr, inner->kids.size() == 1 ? std::move(inner->kids.front())
                                                             : std::move(inner));
        n->alias = std::move(name);
        return n;
      }
      if (peek().kind != Tok::Ident) fail();
      auto n = std::make_unique<Node>();
      n->name = take().text;
      if (name == "M" || name == "MEMVAR") {
        n->op = Op::Memvar;
      } else if (name == "FIELD" || name == "_FIELD") {
        n->op = Op::Field;
      } else {
        n->op = Op::AliasField;
        n->alias = std::move(name);
      }
      return n;
    }
    if (accept(Tok::LParen)) return parse_call(std::move(name));
    if (name == "NIL") return constant(Value());
    // A parameter of the block being compiled (only the innermost block's own).
    if (!params_.empty()) {
      const auto& ps = *params_.back();
      auto it = std::find(ps.begin(), ps.end(), name);
      if (it != ps.end()) {
        auto n = std::make_unique<Node>();
        n->op = Op::Param;
        n->name = std::move(name);
        n->index = static_cast<int>(it - ps.begin());
        return n;
      }
    }
    auto n = std::make_unique<Node>();
    n->op = Op::Name;
    n->name = std::move(name);
    return n;
  }

  std::unique_ptr<Node> parse_call(std::string name) {
    auto args = parse_list(Tok::RParen);
    if (name == "IIF" || name == "IF") {
      if (args->kids.size() != 3) fail();
      args->op = Op::Iif;
      args->name = std::move(name);
      return args;
    }
    args->op = Op::Call;
    args->fn = find_function(name, app_);
    if (!args->fn || !args->fn->builtin) app_calls_ = true;
    args->name = std::move(name);
    return args;
  }

  std::string_view text_;
  const Functions* app_;
  std::vector<Token> toks_;
  std::size_t pos_ = 0;
  int nesting_ = 0;
  bool app_calls_ = false;
  std::vector<const std::vector<std::string>*> params_;
};

}  // namespace

Expr Expr::compile(std::string_view text, const Functions* app) {
  Parser p(text, app);
  Expr e;
  e.root_ = std::shared_ptr<const Node>(p.parse_all());
  e.text_ = std::string(text);
  e.app_calls_ = p.app_calls();
  return e;
}

Value compile_block(std::string_view text, const Functions* app) {
  Expr e = Expr::compile("{||" + std::string(text) + "}", app);
  EvalContext ctx;  // a block literal needs nothing to become a value
  return e.eval(ctx);
}

}  // namespace xbase
