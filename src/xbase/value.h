// The xBase value: character, numeric, date, logical or nil, with the runtime's
// semantics. Character values are CP852 bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "xbase/date.h"

namespace xbase {

// The runtime's type letters, as TYPE() and VALTYPE() report them.
enum class Type : char {
  Nil = 'U',
  Character = 'C',
  Numeric = 'N',
  Date = 'D',
  Logical = 'L',
  Block = 'B',
};

// The whole-part width of a computed number: 10, or 20 above 9,999,999,999 and
// below -999,999,999.
int default_whole_width(double n);

struct CodeBlock;  // a compiled {|| … } block; defined by the expression evaluator

class Value {
 public:
  Value() = default;  // nil

  static Value str(std::string cp852);
  // A number. `width` and `decimals` are its display size as STR() shows it without
  // arguments; -1 derives them as the runtime does for a computed number: decimals 0,
  // width default_whole_width() (+ point and decimals).
  static Value num(double v, int width = -1, int decimals = -1);
  static Value date(Date d);
  static Value logical(bool b);
  static Value block(std::shared_ptr<const CodeBlock> b);

  Type type() const { return type_; }
  bool is_nil() const { return type_ == Type::Nil; }
  bool is_str() const { return type_ == Type::Character; }
  bool is_num() const { return type_ == Type::Numeric; }
  bool is_date() const { return type_ == Type::Date; }
  bool is_logical() const { return type_ == Type::Logical; }
  bool is_block() const { return type_ == Type::Block; }

  // Accessors: the caller checks the type first (a wrong type gives an empty value).
  const std::string& as_str() const { return s_; }
  double as_num() const { return n_; }
  int width() const { return width_; }        // numeric display width
  int decimals() const { return decimals_; }  // numeric display decimals
  Date as_date() const { return d_; }
  bool as_logical() const { return b_; }
  const std::shared_ptr<const CodeBlock>& as_block() const { return block_; }

 private:
  Type type_ = Type::Nil;
  std::string s_;
  double n_ = 0;
  int width_ = 0;
  int decimals_ = 0;
  Date d_;
  bool b_ = false;
  std::shared_ptr<const CodeBlock> block_;
};

}  // namespace xbase
