#include "xbase/value.h"

#include <cmath>

namespace xbase {

Value Value::str(std::string cp852) {
  Value v;
  v.type_ = Type::Character;
  v.s_ = std::move(cp852);
  return v;
}

Value Value::num(double n, int width, int decimals) {
  Value v;
  v.type_ = Type::Numeric;
  v.n_ = n;
  v.decimals_ = decimals < 0 ? 0 : decimals;
  v.width_ = width < 0 ? (v.decimals_ > 0 ? 10 + 1 + v.decimals_ : 10) : width;
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
