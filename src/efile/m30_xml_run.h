// The XML files of an M30 run: what the run's three XML hooks do. begin() opens the
// row table and claims the directory "M30XML" (removing the previous run's files),
// after_certificate() writes the certificate's file (M30XML), end() shows the file
// list for the form filler and gives the directory free.
//
//   efile::M30XmlRun xml(ctx, {.out_dir = dir});
//   certs::run_m30(ctx, req, xml.hooks());   // or certs::JOVEDIG(ctx, xml.hooks())
//   xml.outcome();                           // the alerts and the files written
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "certs/m30_run.h"
#include "efile/m30_xml.h"
#include "efile/xml_dir.h"
#include "shell/context.h"

namespace efile {

struct XmlRunOptions {
  // The run's output directory; "M30XML" goes below it ("": the current directory,
  // which the menus keep at the program directory).
  std::string out_dir;
  // After the run, the file list with the hand-over to the form filler (the menus).
  bool show_list = true;
  // Shows an alert (CP852, lines split at ";"); without it the standard alert box.
  std::function<void(std::string_view)> alert;
  // What the list does with the chosen file; without it ANYKM30NYIT.
  std::function<void(const std::string& path)> open;
};

struct XmlOutcome {
  bool made = false;                  // the run made XML files (begin() said yes)
  std::vector<std::string> warnings;  // the alerts shown, CP852
  std::vector<std::string> files;     // the files written, full paths
};

class M30XmlRun {
 public:
  M30XmlRun(shell::Context& ctx, XmlRunOptions options = {});
  M30XmlRun(const M30XmlRun&) = delete;
  M30XmlRun& operator=(const M30XmlRun&) = delete;

  // The hooks for the run; they refer to this object.
  certs::M30XmlHooks hooks();

  bool begin();
  // M30XML: the file of the certificate numbered `db`: the year table on the person,
  // the company table on the person's company (or at its end), SZAMOL done.
  void after_certificate(int db);
  void end();

  const XmlOutcome& outcome() const { return outcome_; }

 private:
  void alert(std::string text);

  shell::Context& ctx_;
  XmlRunOptions options_;
  XmlDirectory dir_;
  std::optional<M30XmlContent> content_;
  bool keys_reported_ = false;
  XmlOutcome outcome_;
};

// The alerts (CP852).
std::string row_table_unreadable_text(std::string_view ev);
std::string xml_dir_unwritable_text();
std::string xml_file_error_text();
std::string missing_key_text(std::string_view ev, std::string_view key);

}  // namespace efile
