#include "entry/push_button.h"

#include "console/colour.h"
#include "console/keys.h"

namespace entry {

namespace key = console::key;

void NYOMOGOMB(shell::Context& ctx, console::ReadSession& session, console::GetField& field,
               const std::function<void()>& action) {
  console::Console& con = ctx.con;
  const xbase::Value v = field.value();
  const std::string text = v.is_str() ? v.as_str() : std::string();
  const int hint_col = field.col + static_cast<int>(text.size());
  console::Attr on = con.attr(), off = con.attr();
  console::parse_slot("N/GR", on);
  console::parse_slot("GR/N", off);
  con.say(field.row, field.col, text, on);
  con.say(field.row, hint_col, " Enter", on);
  con.set_pos(field.row, field.col);
  // Esc, PgDn, PgUp and Ctrl+W are the read's own keys: they run its exit question
  // and its walk through the fields while the button waits here.
  const int k = session.wait_key();
  con.say(field.row, field.col, text, off);
  con.say(field.row, hint_col, std::string(6, ' '), off);
  if (session.killed()) return;
  switch (k) {
    case key::kEnter:
      action();
      session.set_exit(console::ReadExit::Down);
      return;
    case key::kUp:
    case key::kShiftTab:
      session.set_exit(console::ReadExit::Up);
      return;
    // In a read without the form's keys they end the read as in any field.
    case key::kEsc:
      session.set_exit(console::ReadExit::Escape);
      return;
    case key::kPgDn:
    case key::kPgUp:
    case key::kCtrlEnd:
      session.set_exit(console::ReadExit::Write);
      return;
    default:
      session.set_exit(console::ReadExit::Down);
      return;
  }
}

}  // namespace entry
