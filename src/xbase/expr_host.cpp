#include "xbase/expr_host.h"

#include "xbase/expr_functions.h"

namespace xbase {

bool ExprHost::field_text(int, int, std::string_view&) const { return false; }

void ExprHost::set_field(int, int, const Value&) {
  throw ErrorException(make_error(gen::kUnsupported, 1005, "Operation not supported", "field :="));
}

int ExprHost::select_area(int) {
  throw ErrorException(make_error(gen::kUnsupported, 1005, "Operation not supported", "->()"));
}

}  // namespace xbase
