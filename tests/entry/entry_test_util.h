// What the data-entry tests share: a small installation made from the program's
// table definitions with the records a test puts in, opened as a main-menu item
// opens it, on a headless workstation; and reading the screens it showed.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "console/headless.h"
#include "console/keys.h"
#include "entry/form.h"
#include "shell/record_buffer.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/shell_test_util.h"
#include "store/tables.h"
#include "store/template_dir.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry::testing {

using shell::testing::Other;
using shell::testing::Station;
namespace key = console::key;

// Field name → value (UTF-8 for texts).
using Fields = std::map<std::string, std::string>;

// An installation in the station's directory: the five tables, empty but for the
// kinds of public space and the settings record.
struct Install {
  Station s;
  shell::Context& ctx;

  explicit Install(std::string dir = "") : s(std::move(dir)), ctx(*s.ctx) {
    for (const store::TableDef& t : store::program_tables()) store::create_template_table(s.dir, t);
    s.con->set_colour("w/n");
  }

  // Appends a record to the closed table `file`.
  void add(const std::string& file, const Fields& fields) {
    xbase::AreaSelection keep(s.areas);
    s.areas.select(0);
    ASSERT_TRUE(s.areas.use(s.file(file), "", xbase::OpenMode::Exclusive));
    xbase::WorkArea& a = s.areas.current();
    ASSERT_TRUE(a.append_blank());
    for (const auto& [name, value] : fields) {
      const xbase::FieldDef& f = a.field(a.field_pos(name));
      if (f.type == 'N')
        a.put(name, xbase::Value::num(std::stod(value)));
      else
        a.put(name, xbase::Value::str(xbase::utf8_to_cp852(value)));
    }
    s.areas.close_area();
  }
  void company(const std::string& code, const std::string& name, Fields more = {}) {
    more["vkod"] = code;
    more["vnev"] = name;
    add("vallal", more);
  }
  void person(const std::string& code, const std::string& name, const std::string& id,
              const std::string& kind = "M", Fields more = {}) {
    more["vkod"] = code;
    more["nev"] = name;
    more["szemszam"] = id;
    more["nyilat"] = kind;
    add("virda23", more);
  }
  void dependant(const std::string& code, const std::string& id, const std::string& family,
                 const std::string& given) {
    add("eltar23", {{"vkod", code}, {"szemszam", id}, {"csnev", family}, {"utonev1", given}});
  }

  // The indexes built and the working set opened shared as for a main-menu item, with
  // the record buffer, the settings of the start-up and the year table selected.
  void open() {
    s.areas.close_all();
    s.areas.select(1);
    shell::INDEXELES(ctx);
    s.areas.close_all();
    s.areas.select(1);
    s.areas.set_deleted(true);
    s.con->set_message_row(24, true);
    s.reads->escape = true;
    ASSERT_TRUE(shell::NYITOGAT(ctx, false));
    for (const char* alias : {"VALLAL", "ELTAR", "VIRDA"}) {
      s.areas.select(std::string_view(alias));
      shell::PUBI(ctx);
    }
  }
  // Selects `alias` on its first record in its first order, as the menu items do.
  xbase::WorkArea& select(const char* alias) {
    s.areas.select(std::string_view(alias));
    xbase::WorkArea& a = s.areas.current();
    a.set_order(1);
    a.go_top();
    return a;
  }

  void keys(std::initializer_list<int> k) { s.term->keys(k); }
  void type(std::string_view utf8) {
    for (char c : xbase::utf8_to_cp852(utf8)) s.term->key(static_cast<unsigned char>(c));
  }
  std::string var(const char* name) const {
    const xbase::Value* v = s.vars.find(name);
    return v && v->is_str() ? xbase::cp852_to_utf8(v->as_str()) : std::string();
  }

  // Records of a closed or open table as "field,field" texts (UTF-8, trimmed),
  // with the deleted ones marked "*" in front.
  std::vector<std::string> rows(const std::string& file, std::vector<std::string> fields) {
    std::vector<std::string> out;
    xbase::WorkAreas other;
    EXPECT_TRUE(other.use(s.file(file), "", xbase::OpenMode::Shared, true));
    xbase::WorkArea& a = other.current();
    for (a.go_top(); !a.eof(); a.skip()) {
      std::string row = a.deleted() ? "*" : "";
      for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i ? "," : "") + xbase::cp852_to_utf8(xbase::rtrim(a.get(fields[i]).as_str()));
      out.push_back(row);
    }
    return out;
  }
};

// A UTF-8 text in CP852, as the program holds texts.
inline std::string cp(std::string_view utf8) { return xbase::utf8_to_cp852(utf8); }

// `len` cells of a screen from row, column, as UTF-8.
inline std::string at(const console::Screen& s, int row, int col, int len) {
  std::string bytes;
  for (int c = col; c < col + len && c < console::Screen::kCols; ++c)
    bytes += static_cast<char>(s.at(row, c).ch);
  return xbase::cp852_to_utf8(bytes);
}
inline std::string row(const console::Screen& s, int r) { return s.row_utf8(r); }

// The first screen shown at a wait for a key on which `text` stands at row, column;
// null when there is none.
inline const console::Screen* shown(const console::HeadlessBackend& term, int r, int col,
                                    const std::string& text) {
  for (const console::Screen& s : term.waits())
    if (at(s, r, col, static_cast<int>(xbase::utf8_to_cp852(text).size())) == text) return &s;
  return nullptr;
}
// The first screen shown at a wait with `text` somewhere on row `r`; null when none.
inline const console::Screen* shown_on_row(const console::HeadlessBackend& term, int r,
                                           const std::string& text) {
  for (const console::Screen& s : term.waits())
    if (s.row_utf8(r).find(text) != std::string::npos) return &s;
  return nullptr;
}
// How many of the screens shown at waits have `text` on row `r` (-1: any row).
inline int count_shown(const console::HeadlessBackend& term, int r, const std::string& text) {
  int n = 0;
  for (const console::Screen& s : term.waits()) {
    bool on = false;
    for (int i = 0; i < console::Screen::kRows && !on; ++i)
      if ((r < 0 || r == i) && s.row_utf8(i).find(text) != std::string::npos) on = true;
    n += on;
  }
  return n;
}

}  // namespace entry::testing
