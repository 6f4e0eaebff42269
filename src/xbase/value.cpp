#include "xbase/value.h"

#include <cmath>

namespace xbase {

Value Value::str(std::string cp852) {
  Value v;
  v.type_ = Type::Character;
  v.s_ = std::move(cp852);
  return v;
}

int default_whole_width(double n) {
  // Ten positions hold -999,999,999 to 9,999,999,999; beyond that the runtime
  // gives a computed number twenty.
  return n >= 1e10 || n <= -1e9 ? 20 : 10;
}

Value Value::num(double n, int width, int decimals) {
  Value v;
  v.type_ = Type::Numeric;
  v.n_ = n;
  v.decimals_ = decimals < 0 ? 0 : decimals;
  if (width < 0) width = default_whole_width(n) + (v.decimals_ > 0 ? 1 + v.decimals_ : 0);
  v.width_ = width;
  return v;
}

Value Value::date(Date d) {
  Value v;
  v.type_ = Type::Date;
  v.d_ = d;
  return v;
}

Value Value::logical(bool b) {
  Value v;
  v.type_ = Type::Logical;
  v.b_ = b;
  return v;
}

Value Value::block(std::shared_ptr<const CodeBlock> b) {
  Value v;
  v.type_ = Type::Block;
  v.block_ = std::move(b);
  return v;
}

}  // namespace xbase
