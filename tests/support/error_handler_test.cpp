// The run-time error handler: the answer per kind of error, the texts it shows, the
// log "hibauzen.dbh" of a fatal error with the routines running, and the exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/error_handler.h"
#include "xbase/expr.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

using support::ErrorSystem;
using xbase::Error;
using xbase::ErrorAnswer;
namespace gen = xbase::gen;

struct ProgramEnd {
  int code;
};

// An error system whose alerts answer from a script and whose exit is recorded.
struct Harness {
  std::string top, dir;
  std::vector<std::string> shown;  // "message|choice|choice"
  std::vector<int> answers;        // alert answers, in order; 1 when the script is over
  std::vector<std::string> events;
  int exit_code = -1;
  int net_errors = 0;
  std::unique_ptr<ErrorSystem> sys;

  // The program directory is `sub` of a scratch directory, or that directory itself.
  explicit Harness(const std::string& sub = "") {
    std::string base = std::filesystem::temp_directory_path().string() + "/errtest-XXXXXX";
    top = dir = ::mkdtemp(base.data());
    if (!sub.empty()) std::filesystem::create_directories(dir += "/" + sub);
    support::ErrorHooks h;
    h.alert = [this](std::string_view msg, const std::vector<std::string>& choices) {
      std::string s(msg);
      for (const auto& c : choices) s += "|" + c;
      shown.push_back(s);
      events.push_back("alert");
      if (answers.empty()) return 1;
      int a = answers.front();
      answers.erase(answers.begin());
      return a;
    };
    h.network_error = [this] { ++net_errors; };
    h.restore_terminal = [this] { events.push_back("terminal"); };
    h.error_stream = [this](std::string_view t) { events.push_back("stream:" + std::string(t)); };
    h.exit = [this](int code) {
      exit_code = code;
      events.push_back("exit");
    };
    h.now = [] {
      std::tm tm{};
      tm.tm_year = 2024 - 1900;
      tm.tm_mon = 0;
      tm.tm_mday = 15;
      tm.tm_hour = 9;
      tm.tm_min = 5;
      tm.tm_sec = 7;
      tm.tm_isdst = -1;
      return std::mktime(&tm);
    };
    sys = std::make_unique<ErrorSystem>(dir, std::move(h));
  }
  ~Harness() { std::filesystem::remove_all(top); }
};

Error make(int gen_code, int os_code = 0, bool can_retry = false, bool can_default = false) {
  Error e;
  e.gen_code = gen_code;
  e.subsystem = "DBFNTX";
  e.sub_code = 1001;
  e.description = "Open error";
  e.filename = "vallal.dbf";
  e.os_code = os_code;
  e.can_retry = can_retry;
  e.can_default = can_default;
  return e;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ErrorMessage, ComposesSeveritySubsystemDescriptionAndFileOrOperation) {
  Error e = make(gen::kOpen);
  EXPECT_EQ(support::ERRORMESSAGE(e), "Error DBFNTX/1001  Open error: vallal.dbf");
  e.severity = xbase::Severity::Warning;
  e.filename.clear();
  e.operation = "USE";
  EXPECT_EQ(support::ERRORMESSAGE(e), "Warning DBFNTX/1001  Open error: USE");
  Error bare;
  EXPECT_EQ(support::ERRORMESSAGE(bare), "Error ???" "/???");
}

TEST(ErrorHandler, QuietAnswersShowNothing) {
  Harness h;
  Error zero = make(gen::kZeroDiv);
  ErrorAnswer a = h.sys->DEFERROR(zero);
  EXPECT_EQ(a.kind, ErrorAnswer::Kind::Substitute);
  EXPECT_EQ(a.value.as_num(), 0);

  Error shared = make(gen::kOpen, 32, true, true);
  EXPECT_EQ(h.sys->DEFERROR(shared).kind, ErrorAnswer::Kind::Default);
  Error append = make(gen::kAppendLock, 0, false, true);
  EXPECT_EQ(h.sys->DEFERROR(append).kind, ErrorAnswer::Kind::Default);
  EXPECT_EQ(h.net_errors, 2);

  Error port = make(gen::kCreate, 2, true, true);
  port.filename = "lpt3";
  EXPECT_EQ(h.sys->DEFERROR(port).kind, ErrorAnswer::Kind::Default);
  EXPECT_TRUE(h.shown.empty());
  EXPECT_EQ(h.exit_code, -1);
}

TEST(ErrorHandler, SharingViolationWithoutDefaultIsNotQuiet) {
  Harness h;
  h.answers = {2};  // Retry
  Error e = make(gen::kOpen, 32, true, false);
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Retry);
  EXPECT_EQ(h.net_errors, 0);
  ASSERT_EQ(h.shown.size(), 1u);
  EXPECT_EQ(h.shown[0], "Error DBFNTX/1001  Open error: vallal.dbf;(DOS Error 32)|Quit|Retry");
}

TEST(ErrorHandler, FileInUseDialogRetriesOrEnds) {
  Harness h;
  h.answers = {0, 1};  // Esc shows it again; then "Ujra próbálja"
  Error e = make(gen::kCreate, 51, true, true);
  e.filename = "temp.dbf";
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Retry);
  ASSERT_EQ(h.shown.size(), 2u);
  EXPECT_EQ(h.shown[0], std::string("temp.dbf") + std::string(HU(" fájlt másik munkaállomás használja")) +
                            "|" + std::string(HU("Ujra próbálja")) + "|" + std::string(HU("Kilépés")));

  h.answers = {2};
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Fail);
  EXPECT_EQ(h.exit_code, 1);
  EXPECT_FALSE(std::filesystem::exists(h.sys->log_path()));  // no log on this way out
}

TEST(ErrorHandler, DataWidthNamesTheFieldOnlyWhileStoringTheBuffer) {
  Harness h;
  Error e = make(gen::kDataWidth, 0, false, true);
  e.operation = "JOVEDELEM";
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Default);
  {
    support::Routine r(h.sys->routines(), "CSERE", 10);
    EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Default);
  }
  ASSERT_EQ(h.shown.size(), 2u);
  std::string choice = "|" + std::string(HU("Indítsa újra a programot és javítsa a tételt"));
  EXPECT_EQ(h.shown[0], std::string(HU("Túl nagy szám !")) + choice);
  EXPECT_EQ(h.shown[1], std::string(HU("JOVEDELEM  túl nagy szám !")) + choice);
}

TEST(ErrorHandler, PrinterNotReadyRetriesOrGivesUpThePrint) {
  Harness h;
  int resets = 0, breaks = 0;
  h.sys->hooks().printer_reset = [&] { ++resets; };
  h.answers = {0, 1};
  Error e = make(gen::kPrint, 0, true, true);
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Retry);
  EXPECT_EQ(h.shown[0], std::string(HU("A nyomtató nem üzemkész !|Újra próbálja|Kilépés")));
  EXPECT_EQ(h.shown.size(), 2u);

  h.answers = {2};
  h.sys->DEFERROR(e);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(h.exit_code, 1);  // no recovery point: the program ends

  h.exit_code = -1;
  h.sys->hooks().break_operation = [&] { ++breaks; };
  h.answers = {2};
  h.sys->DEFERROR(e);
  EXPECT_EQ(breaks, 1);
  EXPECT_EQ(h.exit_code, -1);
}

TEST(ErrorHandler, GeneralDialogOffersWhatTheErrorAllows) {
  Harness h;
  h.answers = {0, 3};  // Esc repeats; then "Default"
  Error e = make(gen::kRead, 0, true, true);
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Default);
  EXPECT_EQ(h.shown.back(), "Error DBFNTX/1001  Open error: vallal.dbf|Quit|Retry|Default");
  EXPECT_EQ(h.shown.size(), 2u);
  h.answers = {2};
  Error only_default = make(gen::kRead, 0, false, true);
  EXPECT_EQ(h.sys->DEFERROR(only_default).kind, ErrorAnswer::Kind::Default);
  EXPECT_EQ(h.shown.back(), "Error DBFNTX/1001  Open error: vallal.dbf|Quit|Default");
}

void third_level(Harness& h) {
  support::Routine r(h.sys->routines(), "HARMADIK", 300);
  Error e = make(gen::kCorruption, 5);
  e.description = "Corruption detected";
  h.answers = {1};  // Quit
  EXPECT_EQ(h.sys->DEFERROR(e).kind, ErrorAnswer::Kind::Fail);
}
void second_level(Harness& h) {
  support::Routine r(h.sys->routines(), "MASODIK", 200);
  third_level(h);
}

TEST(ErrorHandler, FatalErrorWritesTheLogAndEndsWithExitCodeOne) {
  Harness h;
  xbase::Variables vars;
  vars.make_public("VERZ", xbase::Value::str("2023.01"));
  h.sys->set_variables(&vars);
  {
    support::Routine r(h.sys->routines(), "MAIN", 100);
    second_level(h);
  }
  std::string log = slurp(h.sys->log_path());
  std::string expected = h.dir + " 2024.01.15 09:05:07\r\n" + std::string(HU("Verzió: ")) +
                         "2023.01 32bites\r\n"
                         "Error DBFNTX/1001  Corruption detected: vallal.dbf (DOS Error 5) \r\n"
                         "HARMADIK(300)  \r\nMASODIK(200)  \r\nMAIN(100)  \r\n";
  EXPECT_EQ(log, expected);
  EXPECT_EQ(h.exit_code, 1);
  // The saved-log notice, then the terminal back before the error stream, then the end.
  ASSERT_EQ(h.events.size(), 5u);
  EXPECT_EQ(h.shown[1], std::string(HU("A hibaüzenet mentve a ")) + h.sys->log_path() +
                            std::string(HU(" fájlba|OK")));
  EXPECT_EQ(h.events[2], "terminal");
  EXPECT_EQ(h.events[3],
            "stream:\nError DBFNTX/1001  Corruption detected: vallal.dbf (DOS Error 5) "
            "\nCalled from HARMADIK(300)  \nCalled from MASODIK(200)  \nCalled from MAIN(100)  \n");
  EXPECT_EQ(h.events[4], "exit");

  // A second fatal error rewrites the log whole; without VERZ there is no version line.
  h.sys->set_variables(nullptr);
  h.answers = {1};
  Error e = make(gen::kRead);
  h.sys->DEFERROR(e);
  EXPECT_EQ(slurp(h.sys->log_path()),
            h.dir + " 2024.01.15 09:05:07\r\nError DBFNTX/1001  Open error: vallal.dbf\r\n");
}

TEST(ErrorHandler, FatalErrorEndsTheRealProcessWithExitCodeOne) {
  Harness h;
  pid_t pid = ::fork();
  if (pid == 0) {
    h.sys->hooks().exit = nullptr;  // the real way out
    h.sys->hooks().error_stream = [](std::string_view) {};
    Error e = make(gen::kRead);
    h.sys->DEFERROR(e);
    ::_exit(99);  // not reached
  }
  int st = 0;
  ::waitpid(pid, &st, 0);
  ASSERT_TRUE(WIFEXITED(st));
  EXPECT_EQ(WEXITSTATUS(st), 1);
  EXPECT_TRUE(std::filesystem::exists(h.sys->log_path()));
}

TEST(ErrorHandler, AnswersTheEvaluatorAndTheWorkAreas) {
  Harness h;
  xbase::EvalContext ctx;
  ctx.handler = h.sys->handler();
  EXPECT_EQ(xbase::Expr::compile("7 + 10 / 0").eval(ctx).as_num(), 7);
  EXPECT_EQ(xbase::Expr::compile("5 % 0").eval(ctx).as_num(), 0);
  EXPECT_TRUE(h.shown.empty());

  // A table that is not there: the general dialog; "Default" leaves the area empty.
  xbase::WorkAreas areas;
  support::ERRORSYS(*h.sys, areas);
  h.answers = {3};
  EXPECT_FALSE(areas.use(h.dir + "/nincs"));
  ASSERT_EQ(h.shown.size(), 1u);
  EXPECT_NE(h.shown[0].find("(DOS Error 2)|Quit|Retry|Default"), std::string::npos);
  EXPECT_FALSE(areas.current().used());
}

TEST(RoutineStack, NamesLevelsOutward) {
  support::RoutineStack s;
  {
    support::Routine a(s, "MAIN", 1);
    support::Routine b(s, "JOVEDIG", 20);
    b.at(25);
    EXPECT_EQ(s.name(0), "JOVEDIG");
    EXPECT_EQ(s.line(0), 25);
    EXPECT_EQ(s.name(1), "MAIN");
    EXPECT_EQ(s.name(2), "");
    EXPECT_TRUE(s.active("MAIN"));
  }
  EXPECT_EQ(s.depth(), 0);
  support::Routine none(nullptr, "X", 1);  // nothing recorded, nothing broken
}

// Paths in the boxes are in the program's code page: an installation under "mű"
// and a table file there are named with "ű" (FB), not with its UTF-8 bytes.
TEST(ErrorHandler, PathsInTheBoxesAsTheScreenSpellsThem) {
  Harness h("mű");
  const std::string shown_dir = h.top + "/m\xfb";
  Error e = make(gen::kCreate, 51, true, true);
  e.filename = h.dir + "/temp.dbf";
  h.answers = {1};
  h.sys->DEFERROR(e);
  Error broken = make(gen::kCorruption);
  broken.filename = h.dir + "/vallal.dbf";
  h.answers = {1};  // "Quit"
  h.sys->DEFERROR(broken);
  ASSERT_EQ(h.shown.size(), 3u);
  EXPECT_EQ(h.shown[0], shown_dir + "/temp.dbf" +
                            std::string(HU(" fájlt másik munkaállomás használja")) +
                            "|" + std::string(HU("Ujra próbálja")) + "|" + std::string(HU("Kilépés")));
  EXPECT_EQ(h.shown[1], "Error DBFNTX/1001  Open error: " + shown_dir + "/vallal.dbf|Quit");
  EXPECT_EQ(h.shown[2], std::string(HU("A hibaüzenet mentve a ")) + shown_dir + "/hibauzen.dbh" +
                            std::string(HU(" fájlba|OK")));
  EXPECT_EQ(h.exit_code, 1);
  // The log is the program's text: its first line names the directory in CP852 too.
  std::ifstream log(h.dir + "/hibauzen.dbh", std::ios::binary);
  std::string first;
  std::getline(log, first);
  EXPECT_EQ(first.substr(0, shown_dir.size() + 1), shown_dir + " ");
}

}  // namespace
