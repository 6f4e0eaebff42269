#include "batch/answers.h"

#include <functional>

#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace batch {

BatchReport::BatchReport(std::string command, bool quiet, std::FILE* out, std::FILE* err)
    : command_(std::move(command)), quiet_(quiet), out_(out), err_(err) {}

void BatchReport::line(std::FILE* f, std::string_view utf8) {
  std::string text = "mvirda23";
  if (!command_.empty()) text += " " + command_;
  text.append(": ").append(utf8) += '\n';
  std::fwrite(text.data(), 1, text.size(), f);
  std::fflush(f);
}

void BatchReport::progress(std::string_view utf8) {
  if (!quiet_) line(err_, utf8);
}

void BatchReport::progress_tick(std::string_view utf8) {
  auto now = std::chrono::steady_clock::now();
  if (now - last_tick_ < std::chrono::seconds(1)) return;
  last_tick_ = now;
  progress(utf8);
}

void BatchReport::told(const Lines& cp852, bool error) {
  for (std::string_view l : cp852) {
    if (l.empty()) continue;
    if (error)
      line(err_, xbase::cp852_to_utf8(l));
    else
      progress(xbase::cp852_to_utf8(l));
  }
}

void BatchReport::warning(const Lines& cp852) {
  ++warnings_;
  std::string_view head = "figyelmeztetés: ";
  for (std::string_view l : cp852) {
    if (l.empty()) continue;
    line(err_, std::string(head) + xbase::cp852_to_utf8(l));
    head = "";
  }
}

void BatchReport::error(std::string_view utf8) { line(err_, utf8); }

void BatchReport::result(std::string_view utf8) {
  std::string text(utf8);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

namespace {

using Lines = std::vector<std::string_view>;

bool starts(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The number of the button with this label, or none.
std::optional<int> button(const Lines& buttons, std::string_view label) {
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == label) return static_cast<int>(i) + 1;
  return std::nullopt;
}

std::vector<std::string> copy(const Lines& lines) { return {lines.begin(), lines.end()}; }

// The notices that say a piece of work is done: progress, which --quiet leaves out.
bool progress_notice(std::string_view first) {
  return first == HU("Indexelés kész") || first == HU("Az átvétel kész") ||
         first == HU("A visszatöltés kész.") || first == HU("A mentés elkészült:");
}

struct Entry {
  std::function<bool(std::string_view first, const Lines& buttons)> matches;
  std::function<std::optional<int>(console::UnattendedBackend&, BatchReport&, const BatchChoices&,
                                   const Lines& lines, const Lines& buttons)>
      answer;
};

const std::vector<Entry>& table() {
  static const std::vector<Entry> entries = {
      // Screen or printer: the viewer is never opened.
      {[](auto first, auto&) { return first == HU("Nyomtatás"); },
       [](auto&, auto&, const BatchChoices& c, auto&, auto&) {
         return std::optional<int>(c.printer ? 2 : 1);
       }},
      // The paper prompt: answered, said once.
      {[](auto first, auto& b) {
         return (starts(first, HU("Tegyen ")) || first == HU("Nyomtatás USB portos nyomtatóra")) &&
                b.size() == 1;
       },
       [](auto&, BatchReport& r, auto&, const Lines& lines, auto&) {
         r.told(lines, false);
         return std::optional<int>(1);
       }},
      // A table the working set needs is busy: wait while the budget lasts.
      {[](auto first, auto&) { return first == HU("Az állomány foglalt"); },
       [](console::UnattendedBackend& t, auto&, auto&, auto&, const Lines& b) {
         t.spend_wait(1000);
         return button(b, HU("Várakozás"));
       }},
      // Another workstation creates the same file: the same.
      {[](auto first, auto&) { return has(first, HU(" fájlt másik munkaállomás használja")); },
       [](console::UnattendedBackend& t, auto&, auto&, auto&, auto&) {
         t.spend_wait(1000);
         return std::optional<int>(1);
       }},
      // A file of the installation is missing: input missing.
      {[](auto first, auto&) { return starts(first, HU("Hiányzó állomány: ")); },
       [](console::UnattendedBackend& t, auto&, auto&, const Lines& lines, auto&) -> std::optional<int> {
         t.end(4, copy(lines));
       }},
      {[](auto first, auto&) { return first == HU("Nem található a bérprogram!"); },
       [](console::UnattendedBackend& t, auto&, auto&, const Lines& lines, auto&) -> std::optional<int> {
         t.end(4, copy(lines));
       }},
      {[](auto first, auto&) {
         return first == HU("Valaki használja a megadott könyvtárban levő bérprogramot.");
       },
       [](console::UnattendedBackend& t, auto&, auto&, const Lines& lines, auto&) -> std::optional<int> {
         t.end(console::kExitBusy, copy(lines));
       }},
      // A company that has data already: kept unless overwriting was asked for.
      {[](auto first, auto&) { return starts(first, HU("Már vannak a ")) && has(first, HU("cégnek adatai")); },
       [](auto&, BatchReport& r, const BatchChoices& c, const Lines& lines, const Lines& b) {
         if (c.overwrite) return button(b, HU("Felülírhatók"));
         r.progress(xbase::cp852_to_utf8(lines[0]) + ": megtartva");
         return button(b, HU("Nem írhatók felül"));
       }},
      // The printer is not ready: the job is given up (its outcome: not written).
      {[](auto first, auto&) { return first == HU("A nyomtató nem üzemkész !"); },
       [](auto&, BatchReport& r, auto&, const Lines& lines, const Lines& b) {
         r.error(xbase::cp852_to_utf8(lines[0]));
         return button(b, HU("Kilépés"));
       }},
      // A number too wide for its field, an XML file that could not be made: warnings.
      {[](auto first, auto&) {
         return has(first, HU("úl nagy szám")) || first == HU("Hiba az XML fájl létrehozásakor!") ||
                starts(first, HU("Hiba a 23M30"));
       },
       [](auto&, BatchReport& r, auto&, const Lines& lines, auto&) {
         r.warning(lines);
         return std::optional<int>(1);
       }},
      // Any other run-time error: "Quit" (the log and the error lines follow).
      {[](auto, const Lines& b) { return !b.empty() && b[0] == "Quit"; },
       [](auto&, auto&, auto&, auto&, auto&) { return std::optional<int>(1); }},
      // One-button notices that tell how the work went: progress, answered.
      {[](auto first, const Lines& b) { return b.size() <= 1 && progress_notice(first); },
       [](auto&, BatchReport& r, auto&, const Lines& lines, auto&) {
         r.told(lines, false);
         return std::optional<int>(1);
       }},
      // Every other one-button box tells what went wrong (a route that cannot print,
      // a backup not made, an index not built): said as errors, answered.
      {[](auto, const Lines& b) { return b.size() <= 1; },
       [](auto&, BatchReport& r, auto&, const Lines& lines, auto&) {
         r.told(lines, true);
         return std::optional<int>(1);
       }},
  };
  return entries;
}

}  // namespace

std::optional<int> batch_answer(console::UnattendedBackend& term, BatchReport& report,
                                const BatchChoices& choices, const Lines& lines,
                                const Lines& buttons) {
  std::string_view first = lines.empty() ? std::string_view() : lines.front();
  for (const Entry& e : table())
    if (e.matches(first, buttons)) return e.answer(term, report, choices, lines, buttons);
  return std::nullopt;
}

}  // namespace batch
