// The text viewer README_BG: a text file (a change note, or a certificate printed
// into a file for preview) on the whole screen, one line per row, scrolling both
// ways, with a text search ("K"), an export into a Windows text file ("T") and
// printing ("P"). The export and the printing belong to the printing subsystem;
// the caller hands them in as hooks, so the viewer knows nothing of printers.
//
// The lines are held in memory, each cut into columns of 20 characters as the
// program's line tables are ("c1", "c21", "c41", ...); a 100,000-line file opens
// at once.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/get_read.h"
#include "support/required.h"
#include "ui/windows.h"

namespace xbase {
class Variables;
}

namespace ui {

class TextViewer;

// What the viewer's two keys do; the printing subsystem gives them
// (print/viewer_hooks.h).
struct ViewerHooks {
  // "T": writes the viewed file converted for Windows (WINTXTBE).
  support::Required<void(std::string_view file)> export_file;
  // "P": prints every line (the viewer's current line is restored afterwards).
  support::Required<void(TextViewer& viewer)> print;
};

// The width of one column of the line table.
inline constexpr int kViewerColumn = 20;

// The lines of a text file as the viewer shows them: split at line ends (CR LF or
// LF), ended at a Ctrl+Z, each cut at `total_width`. A missing file has no lines.
std::vector<std::string> load_view_lines(std::string_view path, int total_width);

// The status line's text, 80 characters: "Sor:      /" + the count, the keys and the
// label of the export ("t") or print ("ny") key, centred.
std::string viewer_status_line(long count, std::string_view ny);

class TextViewer {
 public:
  // `width`: the line width, 0 meaning 80. `ny`: "t" labels the export key in the
  // status line, "ny" the print key.
  TextViewer(console::ReadContext& reads, WindowStack& windows, std::vector<std::string> lines,
             int width, std::string_view ny, ViewerHooks hooks, std::string file = {});

  // Opens the full-screen window, runs until Esc and closes it again.
  void run();

  // RMBGFN for one key: writes the line number, then handles Esc (returns 0: the
  // viewer closes), "K" search, "T" export and "P" print; returns 1 to go on.
  int rmbgfn(int key);
  // RMBGFN2: the current line, its columns joined (padded to the columns' width).
  std::string rmbgfn2() const;

  int columns() const { return columns_; }
  long line_count() const { return static_cast<long>(lines_.size()); }
  const std::string& line(long i) const { return lines_[static_cast<size_t>(i)]; }
  // The current line, from 0.
  long current() const { return cur_; }
  void set_current(long i);
  int current_column() const { return col_; }
  int left_column() const { return left_; }
  const std::string& search_text() const { return ker_; }
  console::Console& console() { return reads_.console(); }

  // Moves the position for a browse key; false when the key is not one of them.
  bool move(int key);
  void draw();

 private:
  void search();
  void show_number();

  console::ReadContext& reads_;
  WindowStack& windows_;
  std::vector<std::string> lines_;
  int columns_;
  int width_ = 80;
  std::string ny_;
  std::string file_;
  ViewerHooks hooks_;
  std::string ker_;
  long cur_ = 0;
  long top_ = 0;
  int col_ = 0;
  int left_ = 0;
};

// The printing of "P" between the start and the end of a print job: every line,
// from the first to the last, at the start of a new print line (its columns
// joined); after a line a form feed when the print row is beyond `npage` - 2, and
// after the last line a form feed unless the print row is 0. The current line is
// left as it was. `convert`, when given, turns each line into what is sent.
void print_lines(TextViewer& viewer, console::Printer& printer, int npage,
                 const std::function<std::string(std::string_view)>& convert = {});

// README_BG(FILE_NEV, SORHOSSZ, NY) -> 0. The caller's colour, cursor and screen
// come back; the keyboard buffer is cleared and the last key is a space. With a
// variable store, KER and JAR1 are private to the call.
int readme_bg(console::ReadContext& reads, WindowStack& windows, xbase::Variables* vars,
              std::string_view file, int width, std::string_view ny, const ViewerHooks& hooks);

// SZIR(SZOV, SZ) -> "": writes the text at the cursor in colour `colour`, then
// restores the colour.
std::string szir(console::Console& con, std::string_view text, std::string_view colour);

}  // namespace ui
