// The unattended terminal and the answer table: questions answered before
// anything is drawn, waits spent from one budget, and a run that ends where nobody
// can answer.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "console/alert.h"
#include "console/frames.h"
#include "console/unattended.h"
#include "batch/answers.h"
#include "ui/dialogs.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace batch {
namespace {

// What the report wrote on stdout and stderr.
struct Streams {
  char* out_buf = nullptr;
  char* err_buf = nullptr;
  size_t out_len = 0, err_len = 0;
  std::FILE* out = open_memstream(&out_buf, &out_len);
  std::FILE* err = open_memstream(&err_buf, &err_len);
  ~Streams() {
    std::fclose(out);
    std::fclose(err);
    std::free(out_buf);
    std::free(err_buf);
  }
  std::string out_text() {
    std::fflush(out);
    return std::string(out_buf, out_len);
  }
  std::string err_text() {
    std::fflush(err);
    return std::string(err_buf, err_len);
  }
};

struct Unattended {
  console::UnattendedBackend* term;
  std::unique_ptr<console::Console> con;
  Streams io;
  BatchReport report;
  BatchChoices choices;

  explicit Unattended(long long wait_ms = 0, bool quiet = false)
      : report("m30", quiet, io.out, io.err) {
    auto b = std::make_unique<console::UnattendedBackend>(wait_ms);
    term = b.get();
    con = std::make_unique<console::Console>(std::move(b));
    term->set_answerer([this](console::UnattendedBackend& t, const auto& lines, const auto& buttons) {
      return batch_answer(t, report, choices, lines, buttons);
    });
    term->set_warner([this](std::string_view text) { report.warning(text); });
  }
  int ask(std::vector<std::string_view> lines, std::vector<std::string_view> buttons) {
    return ui::kerdez(*con, lines, buttons);
  }
};

console::RunEnded ended(const std::function<void()>& f) {
  try {
    f();
  } catch (const console::RunEnded& e) {
    return e;
  }
  ADD_FAILURE() << "the run did not end";
  return {};
}

TEST(BatchAnswers, TheOptionsPickTheButtons) {
  Unattended u;
  EXPECT_EQ(u.ask({HU("Nyomtatás")}, {HU("Képernyőre"), HU("Nyomtatóra")}), 1);
  u.choices.printer = true;
  EXPECT_EQ(u.ask({HU("Nyomtatás")}, {HU("Képernyőre"), HU("Nyomtatóra")}), 2);

  const std::vector<std::string_view> keep = {HU("Nem írhatók felül"), HU("Felülírhatók")};
  EXPECT_EQ(u.ask({HU("Már vannak a 007. cégnek adatai")}, keep), 1);
  EXPECT_NE(u.io.err_text().find("007. cégnek adatai: megtartva"), std::string::npos);
  u.choices.overwrite = true;
  EXPECT_EQ(u.ask({HU("Már vannak a 007. cégnek adatai")}, keep), 2);

  // The printer that is not ready: the job is given up, said as an error.
  EXPECT_EQ(console::alert(*u.con, HU("A nyomtató nem üzemkész !"),
                           {HU("Újra próbálja"), HU("Kilépés")}),
            2);
  EXPECT_NE(u.io.err_text().find("A nyomtató nem üzemkész !"), std::string::npos);
  // Nothing was drawn for any of them.
  EXPECT_EQ(u.con->screen().text_utf8().find_first_not_of(" \n"), std::string::npos);
}

TEST(BatchAnswers, NoticesAndWarningsGoToStderrInUtf8) {
  Unattended u;
  EXPECT_EQ(u.ask({HU("Indexelés kész")}, {HU("Tovább")}), 1);
  EXPECT_EQ(u.ask({HU("Tegyen keskeny papírt az EPSON kompatibilis nyomtatóba (LPT1)!")},
                  {HU("Ha kész, ENTER")}),
            1);
  EXPECT_EQ(console::alert(*u.con, HU("Túl nagy szám !"),
                           {HU("Indítsa újra a programot és javítsa a tételt")}),
            1);
  EXPECT_TRUE(u.term->take_warning(HU("Túl nagy szám: 001 Kis Béla JOVEDELEM 1234567890")));
  std::string err = u.io.err_text();
  EXPECT_NE(err.find("mvirda23 m30: Indexelés kész\n"), std::string::npos) << err;
  EXPECT_NE(err.find("keskeny papírt"), std::string::npos);
  EXPECT_NE(err.find("figyelmeztetés: Túl nagy szám !"), std::string::npos);
  EXPECT_NE(err.find("JOVEDELEM 1234567890"), std::string::npos);
  EXPECT_EQ(u.report.warnings(), 2);
  EXPECT_EQ(u.io.out_text(), "");
}

TEST(BatchAnswers, QuietDropsTheProgressOnlyAndABoxThatTellsAFailureIsAnError) {
  Unattended u(0, true);
  EXPECT_EQ(u.ask({HU("Indexelés kész")}, {HU("Tovább")}), 1);
  EXPECT_EQ(u.ask({HU("Nyomtatás USB portos nyomtatóra")}, {HU("Ha kész, ENTER")}), 1);
  EXPECT_EQ(u.io.err_text(), "");
  // Any other one-button box tells what went wrong: every line of it, as a line.
  EXPECT_EQ(u.ask({HU("Az index nem építhető újra: virda23.ntx"),
                   HU("Az index nem építhető újra: virda232.ntx")},
                  {HU("Tovább")}),
            1);
  EXPECT_EQ(u.io.err_text(),
            "mvirda23 m30: Az index nem építhető újra: virda23.ntx\n"
            "mvirda23 m30: Az index nem építhető újra: virda232.ntx\n");
  EXPECT_EQ(u.report.warnings(), 0);  // the exit code comes from the run's outcome
}

TEST(BatchAnswers, QuestionsNobodyCanAnswerEndTheRun) {
  Unattended u;
  console::RunEnded e = ended([&] { u.ask({HU("Adatállomány mentése?")}, {HU("Igen"), HU("Nem")}); });
  EXPECT_EQ(e.code, console::kExitUnanswered);
  ASSERT_EQ(e.text.size(), 2u);
  EXPECT_EQ(xbase::cp852_to_utf8(e.text[0]), "Adatállomány mentése?");
  EXPECT_EQ(xbase::cp852_to_utf8(e.text[1]), "[Igen] / [Nem]");

  // A wait for a key without a time-out: the screen's text, frames left out.
  u.con->box(10, 20, 14, 60, console::kSingleFrame);
  u.con->say(12, 22, HU("Válasszon!"));
  e = ended([&] { u.con->inkey(0); });
  EXPECT_EQ(e.code, console::kExitUnanswered);
  ASSERT_EQ(e.text.size(), 1u);
  EXPECT_EQ(xbase::cp852_to_utf8(e.text[0]), "Válasszon!");

  e = ended([&] { u.ask({HU("Nem található a bérprogram!")}, {HU("Kilépés")}); });
  EXPECT_EQ(e.code, 4);
  e = ended([&] {
    u.ask({HU("Valaki használja a megadott könyvtárban levő bérprogramot.")}, {HU("Kilépés")});
  });
  EXPECT_EQ(e.code, console::kExitBusy);
}

TEST(BatchAnswers, WaitsSpendOneBudgetThenNameTheFile) {
  Unattended u(1500);
  u.term->waiting_for("virda23.dbf");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(u.con->inkey(1.0), 0);  // slept
  // "Az állomány foglalt": wait, answered "Várakozás" while the budget lasts.
  EXPECT_EQ(u.ask({HU("Az állomány foglalt")}, {HU("Várakozás"), HU("Kilépés")}), 1);
  console::RunEnded e = ended([&] { u.con->inkey(1.0); });
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(1400));
  EXPECT_LT(took, std::chrono::milliseconds(3000));
  EXPECT_EQ(e.code, console::kExitBusy);
  ASSERT_FALSE(e.text.empty());
  EXPECT_NE(xbase::cp852_to_utf8(e.text[0]).find("virda23.dbf"), std::string::npos);
}

TEST(BatchAnswers, AStopSignalEndsAtTheNextWait) {
  Unattended u(10000);
  int sig = 0;
  u.term->set_stop_signal([&] { return sig; });
  EXPECT_EQ(u.con->inkey(0.2), 0);
  sig = SIGTERM;
  auto start = std::chrono::steady_clock::now();
  console::RunEnded e = ended([&] { u.con->inkey(5.0); });
  EXPECT_EQ(e.code, 143);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace batch
