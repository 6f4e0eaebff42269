// The compiled form of an expression: a tree of nodes, evaluated recursively.
// Internal to the evaluator (expr_parser.cpp builds it, expr_eval.cpp runs it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/expr.h"
#include "xbase/value.h"
#include "xbase/vars.h"

namespace xbase {

struct FunctionDef;
class ExprHost;

namespace expr_detail {

enum class Op : uint8_t {
  Const,       // value
  Name,        // name: a field of the selected area, else a memory variable
  Memvar,      // M->name
  Field,       // FIELD->name
  AliasField,  // alias->name
  AliasExpr,   // alias->(kids[0])
  Param,       // parameter `index` of the running block
  Call,        // name(kids...), fn resolved at compile time or at the call
  Iif,         // IIF(kids[0], kids[1], kids[2]), only one branch evaluated
  And,         // short-circuit
  Or,
  Not,
  Neg,
  Plus,  // unary +
  Add,
  Sub,
  Mul,
  Div,
  Mod,
  Pow,
  Eq,       // = (SET EXACT rules)
  ExactEq,  // ==
  Ne,       // != <> #
  Lt,
  Le,
  Gt,
  Ge,
  Contains,  // $
  Block,     // {|| ... } literal: block
  List,      // (a, b, c): all evaluated, the last is the value
  Assign,    // kids[0] (a Name, Memvar, Field, AliasField or Param) := kids[1]
};

struct Node {
  Op op = Op::Const;
  Value value;                 // Const
  std::string name;            // upper case: variable, field or function name
  std::string alias;           // AliasField, AliasExpr
  int index = 0;               // Param
  int height = 1;              // longest path to a leaf, bounded at compile time
  std::vector<std::unique_ptr<Node>> kids;
  const FunctionDef* fn = nullptr;           // Call, when known at compile time
  std::shared_ptr<const CodeBlock> block;    // Block

  // Looked-up field and variable positions, kept between evaluations.
  mutable const ExprHost* field_host = nullptr;
  mutable uint64_t field_generation = 0;
  mutable int field_area = 0;
  mutable int field_idx = -1;
  mutable uint64_t var_store = 0;  // Variables::id()
  mutable Variables::Entry* var_entry = nullptr;
};

Value eval(const Node& n, EvalContext& ctx);

}  // namespace expr_detail
}  // namespace xbase
