// The one place the console calls TRANSFORM.
#include "console/console.h"
#include "xbase/functions.h"

namespace console {

void Console::say_picture(int row, int col, const xbase::Value& value, std::string_view picture) {
  say(row, col, xbase::transform(value, picture));
}

}  // namespace console
