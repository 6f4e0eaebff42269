#include "support/error_handler.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/platform_paths.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace support {

using xbase::Error;
using xbase::ErrorAnswer;
namespace gen = xbase::gen;

namespace {

constexpr int kOsSharingViolation = 32;
constexpr int kOsFileInUse = 51;  // the network's "file in use by another workstation"

std::string dos_error_suffix(const Error& e) {
  if (e.os_code == 0) return "";
  return " (DOS Error " + std::to_string(e.os_code) + ") ";
}

// The message of an error as a box shows it: its file name, a Linux path, in the
// program's code page.
std::string shown_message(const Error& e) {
  Error shown = e;
  shown.filename = platform::shown_path(e.filename);
  return ERRORMESSAGE(shown);
}

std::string two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::string ERRORMESSAGE(const Error& e) {
  std::string m = static_cast<int>(e.severity) > 1 ? "Error " : "Warning ";
  m += e.subsystem.empty() ? "???" : e.subsystem;
  // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on "literal" + string.
  m += '/';
  m += e.sub_code != 0 ? std::to_string(e.sub_code) : "???";
  if (!e.description.empty()) m.append("  ").append(e.description);
  if (!e.filename.empty())
    m.append(": ").append(e.filename);
  else if (!e.operation.empty())
    m.append(": ").append(e.operation);
  return m;
}

ErrorSystem::ErrorSystem(std::string program_dir, ErrorHooks hooks)
    : program_dir_(std::move(program_dir)), hooks_(std::move(hooks)) {}

xbase::ErrorHandler ErrorSystem::handler() {
  return [this](Error& e) { return DEFERROR(e); };
}

int ErrorSystem::alert(std::string_view message, const std::vector<std::string>& choices) {
  if (!hooks_.alert) return 1;
  return hooks_.alert(message, choices);
}

int ErrorSystem::alert_until_chosen(std::string_view message,
                                    const std::vector<std::string>& choices) {
  for (;;) {
    int k = alert(message, choices);
    if (k != 0) return k;
  }
}

ErrorAnswer ErrorSystem::DEFERROR(Error& e) {
  // A printer that is not ready: try again, or give up the print job.
  if (e.gen_code == gen::kPrint) {
    int k = alert_until_chosen(HU("A nyomtató nem üzemkész !"),
                               {std::string(HU("Újra próbálja")), std::string(HU("Kilépés"))});
    if (k == 1) return ErrorAnswer::retry();
    if (hooks_.printer_reset) hooks_.printer_reset();
    if (hooks_.break_operation) {
      hooks_.break_operation();
    } else {
      end_program(1);
    }
    return ErrorAnswer::fail();
  }

  // A number too large for its field: the value is not stored, work goes on.
  if (e.gen_code == gen::kDataWidth) {
    std::string msg = routines_.name() == "CSERE" && !e.operation.empty()
                          ? e.operation + "  t"
                          : std::string("T");
    msg += std::string(HU("úl nagy szám !"));
    alert(msg, {std::string(HU("Indítsa újra a programot és javítsa a tételt"))});
    return ErrorAnswer::fallback();
  }

  if (e.gen_code == gen::kCreate) {
    // Another workstation holds the file being created.
    if (e.os_code == kOsFileInUse) {
      int k = alert_until_chosen(
          platform::shown_path(e.filename) + std::string(HU(" fájlt másik munkaállomás használja")),
          {std::string(HU("Ujra próbálja")), std::string(HU("Kilépés"))});
      if (k == 1) return ErrorAnswer::retry();
      end_program(1);
      return ErrorAnswer::fail();
    }
    // A printer port that is not there is ignored.
    std::string upper = xbase::upper(ERRORMESSAGE(e));
    for (const char* port : {"LPT1", "LPT2", "LPT3", "LPT4"})
      if (upper.find(port) != std::string::npos) return ErrorAnswer::fallback();
  }

  if (e.gen_code == gen::kZeroDiv) return ErrorAnswer::substitute(xbase::Value::num(0));

  // A table held by another workstation, an append that could not lock its record:
  // the caller sees NETERR() and decides (the waits of the shared access).
  if ((e.gen_code == gen::kOpen && e.os_code == kOsSharingViolation && e.can_default) ||
      (e.gen_code == gen::kAppendLock && e.can_default)) {
    if (hooks_.network_error) hooks_.network_error();
    return ErrorAnswer::fallback();
  }

  // Anything else: the user chooses; "Quit" logs and ends the program.
  std::string msg = shown_message(e);
  std::vector<std::string> choices{"Quit"};
  int retry = 0, fallback = 0;
  if (e.can_retry) {
    choices.push_back("Retry");
    retry = static_cast<int>(choices.size());
  }
  if (e.can_default) {
    choices.push_back("Default");
    fallback = static_cast<int>(choices.size());
  }
  std::string shown = msg;
  if (e.os_code != 0) shown += ";(DOS Error " + std::to_string(e.os_code) + ")";
  int k = alert_until_chosen(shown, choices);
  if (k == retry) return ErrorAnswer::retry();
  if (k == fallback) return ErrorAnswer::fallback();
  return fatal(e);
}

std::string ErrorSystem::log_path() const {
  if (program_dir_.empty()) return "hibauzen.dbh";
  return program_dir_ + (program_dir_.back() == '/' ? "" : "/") + "hibauzen.dbh";
}

std::string ErrorSystem::log_text(const Error& e) const {
  std::time_t t = hooks_.now ? hooks_.now() : std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  std::string out = platform::shown_path(program_dir_) + " " + std::to_string(tm.tm_year + 1900) + "." +
                    two(tm.tm_mon + 1) + "." + two(tm.tm_mday) + " " + two(tm.tm_hour) + ":" +
                    two(tm.tm_min) + ":" + two(tm.tm_sec) + "\r\n";
  if (vars_) {
    const xbase::Value* verz = vars_->find("VERZ");
    if (verz && verz->is_str()) out += std::string(HU("Verzió: ")) + verz->as_str() + " 32bites\r\n";
  }
  out += ERRORMESSAGE(e) + dos_error_suffix(e) + "\r\n";
  for (int level = 0; level < routines_.depth(); ++level)
    out += routines_.name(level) + "(" + std::to_string(routines_.line(level)) + ")  \r\n";
  return out;
}

void ErrorSystem::write_error_stream(std::string_view text) {
  if (hooks_.error_stream) {
    hooks_.error_stream(text);
  } else {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
}

ErrorAnswer ErrorSystem::fatal(const Error& e) {
  std::string stream = "\n";
  stream.append(ERRORMESSAGE(e)).append(dos_error_suffix(e));
  for (int level = 0; level < routines_.depth(); ++level) {
    stream.append("\nCalled from ").append(routines_.name(level)).append("(");
    stream.append(std::to_string(routines_.line(level))).append(")  ");
  }
  stream += "\n";
  {
    // A log that cannot be written is not reported: the program ends all the same.
    std::ofstream log(log_path(), std::ios::binary | std::ios::trunc);
    if (log) log << log_text(e);
  }
  alert(std::string(HU("A hibaüzenet mentve a ")) + platform::shown_path(log_path()) +
            std::string(HU(" fájlba")),
        {"OK"});
  // The error stream is written once the terminal is back, so that it stays readable.
  if (hooks_.restore_terminal) hooks_.restore_terminal();
  write_error_stream(stream);
  if (hooks_.exit) {
    hooks_.exit(1);
    return ErrorAnswer::fail();
  }
  std::exit(1);
}

void ErrorSystem::end_program(int code) {
  if (hooks_.restore_terminal) hooks_.restore_terminal();
  if (hooks_.exit) {
    hooks_.exit(code);
    return;
  }
  std::exit(code);
}

void ERRORSYS(ErrorSystem& sys, xbase::WorkAreas& areas) {
  if (!sys.hooks().network_error) sys.hooks().network_error = [&areas] { areas.set_neterr(true); };
  areas.set_error_handler(sys.handler());
}

}  // namespace support
