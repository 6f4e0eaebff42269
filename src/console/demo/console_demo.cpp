// console_demo: draws a title block and asks a question in the program's question
// box on the real terminal, then prints the answer ("answer=N") after giving the
// terminal back.
//   console_demo            ask once
//   console_demo --crash    crash (SIGSEGV) after the first key, to show that the
//                           terminal is restored even then
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "console/alert.h"
#include "console/console.h"
#include "console/frames.h"
#include "console/terminal.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

int main(int argc, char** argv) {
  bool crash = argc > 1 && std::strcmp(argv[1], "--crash") == 0;
  std::unique_ptr<console::Backend> backend;
  try {
    backend = console::make_terminal_backend();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "console_demo: %s\n", e.what());
    return 2;
  }
  if (!backend) {
    std::fprintf(stderr, "console_demo: standard input and output must be a terminal\n");
    return 2;
  }
  auto* terminal = static_cast<console::TerminalBackend*>(backend.get());
  console::Console con(std::move(backend));

  con.set_colour(con.is_colour() ? "n/bg,n/bg,bg,bg" : "w/n");
  con.clear_screen();
  con.set_colour("bg/n");
  con.screen().fill(7, 19, 17, 65, static_cast<unsigned char>(HU("▒")[0]), con.attr());
  con.set_colour(con.is_colour() ? "gr+/b" : "w+/n");
  con.clear_rect(6, 17, 16, 63);
  con.box(6, 17, 16, 63, console::kDoubleFrame);
  con.say(8, 36, "VIRDA23");
  con.say(11, 24, HU("Árvíztűrő tükörfúrógép: őűŐŰáé"));
  con.say(14, 30, HU("Verzió: 2023.01 (demó)"));
  con.set_colour(con.is_colour() ? "g/n,g+/gr,n,n" : "w/n,i,n,n,w/n");
  con.say(24, 0, HU("Alt+V: névjegy"));

  con.set_key(console::key::kAltV, [](console::Console& c) {
    console::alert(c, HU("console_demo;őűŐŰáé"), {"Ok"});
  });
  if (crash) {
    con.inkey(0);
    std::raise(SIGSEGV);
  }
  int answer = ui::kerdez(con, std::vector<std::string_view>{HU("Próba: őűŐŰ áé ▒"), HU("Folytatja?")},
                          {HU("Igen"), HU("Nem")});
  terminal->shutdown();
  std::printf("answer=%d\n", answer);
  return 0;
}
