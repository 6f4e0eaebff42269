#include "shell/context.h"

#include <cstdlib>

namespace shell {

void Context::end_program(int code) {
  if (errors) {
    errors->end_program(code);
    return;
  }
  std::exit(code);
}

std::string var_text(const Context& ctx, std::string_view name) {
  const xbase::Value* v = ctx.vars.find(name);
  return v && v->is_str() ? v->as_str() : std::string();
}

void set_var(Context& ctx, std::string_view name, xbase::Value v) {
  if (ctx.vars.exists(name))
    ctx.vars.assign(name, std::move(v));
  else
    ctx.vars.make_public(name, std::move(v));
}

}  // namespace shell
