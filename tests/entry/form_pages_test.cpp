// The tables of the person form's pages and of the dependant form: every field
// within the frame, no field over another field or over a label's text (a field may
// take a label's blanks, and the colon it stands on), every help box on the screen.
#include <map>
#include <set>

#include "entry/dependant_form.h"
#include "entry/person_pages.h"
#include "person_test_util.h"

namespace entry {
namespace {

using namespace testing;

struct Cells {
  std::vector<std::string> owner = std::vector<std::string>(25 * 80);
  std::string& at(int r, int c) { return owner[static_cast<std::size_t>(r * 80 + c)]; }
};

void expect_sound_page(const shell::Context& ctx, const PageSpec& page, const std::string& what,
                       int first_row, int last_row) {
  Cells labels, fields;
  for (const PageLabel& l : page.labels)
    for (std::size_t i = 0; i < l.text.size(); ++i)
      if (l.text[i] != ' ') labels.at(l.row, l.col + static_cast<int>(i)) = std::string(1, l.text[i]);
  int end_of_previous = 0;
  for (const FieldSpec& f : page.fields) {
    const int col = f.col >= 0 ? f.col : end_of_previous - f.col;
    const int width = field_width(ctx, f);
    end_of_previous = col + width;
    SCOPED_TRACE(what + " " + f.name);
    EXPECT_GT(width, 0);
    EXPECT_GE(f.row, first_row);
    EXPECT_LE(f.row, last_row);
    EXPECT_GE(col, 1);
    EXPECT_LE(col + width, 79);  // the frame is at column 79
    for (int c = col; c < col + width && c < 80; ++c) {
      EXPECT_EQ(fields.at(f.row, c), "") << "column " << c << " is " << fields.at(f.row, c) << "'s";
      fields.at(f.row, c) = f.name;
      const std::string& under = labels.at(f.row, c);
      EXPECT_TRUE(under.empty() || under == ":") << "column " << c << " covers '" << under << "'";
    }
    if (!f.help.lines.empty()) {
      std::size_t longest = 0;
      for (const std::string& l : f.help.lines) longest = std::max(longest, l.size());
      EXPECT_LE(static_cast<int>(longest) + 4, 79);
      EXPECT_LE(f.help.row + static_cast<int>(f.help.lines.size()), 24);
    }
  }
}

TEST(FormPages, FieldsStayInTheFrameAndOffEachOther) {
  Persons p;
  shell::Context& ctx = p.in.ctx;
  p.in.s.vars.make_public("CHOZZATART", xbase::Value::str("Eltartottak adatai"));
  const std::vector<PageSpec> pages = person_pages("2023");
  ASSERT_EQ(pages.size(), 6u);
  for (std::size_t i = 0; i < pages.size(); ++i)
    expect_sound_page(ctx, pages[i], "page " + std::to_string(i + 1), 2, 22);
  p.in.select("ELTAR");
  expect_sound_page(ctx, dependant_page(), "dependant", 3, 23);
}

// The buffer variables of the selected table's fields that no field of `pages` edits.
std::set<std::string> not_on_a_page(shell::Context& ctx, const std::vector<PageSpec>& pages) {
  std::map<std::string, int> edited;
  for (const PageSpec& page : pages)
    for (const FieldSpec& f : page.fields) ++edited[xbase::upper(f.name)];
  for (const auto& [name, n] : edited) EXPECT_EQ(n, 1) << name << " is edited twice";
  std::set<std::string> missing;
  xbase::WorkArea& a = ctx.areas.current();
  for (int i = 0; i < a.field_count(); ++i) {
    std::string name = shell::buffer_name(a.field(i).name);
    if (!edited.count(name)) missing.insert(name);
  }
  return missing;
}

TEST(FormPages, EveryFieldIsEditedOnceButTheComposedTextsParts) {
  Persons p;
  shell::Context& ctx = p.in.ctx;
  // The parts of the names and of the street line are edited in their windows.
  EXPECT_EQ(not_on_a_page(ctx, person_pages("2023")),
            (std::set<std::string>{"XGROF", "XVEZNEV", "XUTONEV", "XLVEZNEV", "XLUTONEV",
                                   "XKOZTNEV", "XKOZTER", "XHAZSZAM", "XEPULET", "XLEPCSO",
                                   "XEMELET", "XAJTO", "XAVEZNEV", "XAUTONEV"}));
  // A dependant's keys are the person's; its name is composed from its parts.
  p.in.select("ELTAR");
  EXPECT_EQ(not_on_a_page(ctx, {dependant_page()}),
            (std::set<std::string>{"XVKOD", "XSZEMSZAM", "XNEV"}));
}

}  // namespace
}  // namespace entry
