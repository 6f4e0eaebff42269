// What the shell's routines work with: the console, the work areas, the variable
// store with the record buffer, the window stack, the pending entry fields, the error
// handler's routine stack and the program directory. The program makes one at
// start-up; tests make their own over a headless console and a scratch directory.
#pragma once

#include <string>
#include <string_view>

#include "console/console.h"
#include "console/get_read.h"
#include "support/error_handler.h"
#include "ui/windows.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace shell {

struct Context {
  Context(console::Console& c, xbase::WorkAreas& a, xbase::Variables& v, ui::WindowStack& w,
          console::ReadContext& r)
      : con(c), areas(a), vars(v), windows(w), reads(r) {}

  console::Console& con;
  xbase::WorkAreas& areas;
  xbase::Variables& vars;
  ui::WindowStack& windows;
  console::ReadContext& reads;
  // The error handler; without one routines are not recorded and the program ends
  // through std::exit.
  support::ErrorSystem* errors = nullptr;
  // The directory of the tables ("" or "." for the current one).
  std::string program_dir;
  // The two-digit tax year of the year-dependent table names.
  std::string ev = "23";

  // The program directory as a path ("." for the current one).
  std::string dir() const { return program_dir.empty() ? "." : program_dir; }
  // A table or index name in the program directory.
  std::string path(std::string_view name) const {
    if (program_dir.empty() || program_dir == ".") return std::string(name);
    return program_dir + (program_dir.back() == '/' ? "" : "/") + std::string(name);
  }
  support::RoutineStack* routines() { return errors ? &errors->routines() : nullptr; }
  // Ends the program at once with `code` (the terminal given back first). Returns
  // only when the error handler's exit hook does (tests).
  void end_program(int code);
};

// A named variable's text; "" when it is missing or holds no text.
std::string var_text(const Context& ctx, std::string_view name);
// Assigns a named variable, making it public when it does not exist yet.
void set_var(Context& ctx, std::string_view name, xbase::Value v);

}  // namespace shell
