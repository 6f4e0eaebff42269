// Fuzz target for the expression parser: any text must either compile or give a
// syntax error object; what compiles is evaluated against a small table and variable
// store with tight limits, and must give a value or an error object.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/error.h"
#include "xbase/expr.h"
#include "xbase/expr_host.h"
#include "xbase/vars.h"

namespace {

class OneRecord : public xbase::ExprHost {
 public:
  int selected_area() const override { return 1; }
  int area_of_alias(std::string_view alias) const override { return alias == "VIRDA" ? 1 : 0; }
  int field_index(int, std::string_view name) const override {
    if (name == "NEV") return 0;
    if (name == "VKOD") return 1;
    if (name == "JOVEDELEM") return 2;
    return -1;
  }
  xbase::Value field_value(int, int index) const override {
    switch (index) {
      case 0: return xbase::Value::str("Kovacs Anna                   ");
      case 1: return xbase::Value::str("001");
      default: return xbase::Value::num(1000, 9, 0);
    }
  }
  bool deleted(int) const override { return false; }
  int64_t recno(int) const override { return 1; }
  int select_area(int area) override { return area; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  xbase::Expr e;
  try {
    e = xbase::Expr::compile(text);
  } catch (const xbase::ErrorException& ex) {
    int g = ex.error().gen_code;
    if (g != xbase::gen::kSyntax && g != xbase::gen::kComplexity) __builtin_trap();
    return 0;
  }
  OneRecord host;
  xbase::Variables vars;
  vars.make_public("XNEV", xbase::Value::str("kov"));
  vars.make_public("PR", xbase::Value::logical(true));
  xbase::EvalContext ctx;
  ctx.host = &host;
  ctx.vars = &vars;
  ctx.max_string = 1 << 16;
  ctx.max_depth = 64;
  ctx.handler = [](xbase::Error& err) {
    if (err.gen_code == xbase::gen::kZeroDiv) return xbase::ErrorAnswer::substitute(xbase::Value::num(0));
    return xbase::ErrorAnswer::fail();
  };
  try {
    e.eval(ctx);
  } catch (const xbase::ErrorException&) {
  }
  if (ctx.depth != 0) __builtin_trap();
  xbase::type_of(text, ctx);
  return 0;
}
