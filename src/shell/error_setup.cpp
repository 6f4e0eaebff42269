#include "shell/error_setup.h"

#include <string_view>
#include <vector>

#include "console/alert.h"
#include "console/terminal.h"

namespace shell {

support::ErrorHooks console_error_hooks(console::Console& con) {
  support::ErrorHooks h;
  h.alert = [&con](std::string_view message, const std::vector<std::string>& choices) {
    std::vector<std::string_view> views(choices.begin(), choices.end());
    return console::alert(con, message, views);
  };
  h.printer_reset = [&con] { con.printer().setprc(0, 0); };
  h.restore_terminal = [&con] {
    if (auto* t = dynamic_cast<console::TerminalBackend*>(&con.backend())) t->shutdown();
  };
  return h;
}

}  // namespace shell
