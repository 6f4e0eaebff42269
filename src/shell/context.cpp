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

}  // namespace shell
