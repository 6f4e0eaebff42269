// Menu items 2 and 3 through their dialogs on a headless screen: Esc in the
// selection writes nothing, the screen run ends in the viewer, XML files asked for
// while they cannot be made are said to be unavailable.
#include <gtest/gtest.h>

#include <fstream>

#include "certs/cert_fixture.h"
#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "console/keys.h"

namespace certs {
namespace {

using namespace testing;
namespace key = console::key;

struct Menu : ::testing::Test {
  Station s;
  void SetUp() override {
    golden_installation(s);
    s.vars.assign("CONDI", Value::str(".T..AND.nyilat$'MK'"));
    s.vars.assign("KEZDOLD", Value::num(1));
  }
  bool shown(std::string_view utf8) const {
    for (const auto& w : s.term->waits())
      if (w.text_utf8().find(utf8) != std::string::npos) return true;
    return false;
  }
  const console::Screen* screen_with(std::string_view utf8) const {
    for (const auto& w : s.term->waits())
      if (w.text_utf8().find(utf8) != std::string::npos) return &w;
    return nullptr;
  }
};

TEST_F(Menu, EscInTheSelectionLeavesAnOlderPreviewUntouched) {
  std::ofstream(s.file("jovedig.prn")) << "older";
  s.term->keys({key::kEsc});
  HookLog xml;
  JOVEDIG(*s.ctx, xml.hooks(true));
  EXPECT_EQ(file_bytes(s.file("jovedig.prn")), "older");
  EXPECT_TRUE(xml.calls.empty());
  EXPECT_FALSE(shown("Nyomtatás"));
}

TEST_F(Menu, ScreenRunOfTheDefaultRangeEndsInTheViewer) {
  // Enter through the five fields, "Képernyőre", Esc in the viewer.
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter, key::kEnter, key::kEnter, key::kEsc});
  HookLog xml;
  JOVEDIG(*s.ctx, xml.hooks(true));
  const console::Screen* viewer = screen_with("TXT fájlba-T");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->row_utf8(1).rfind("Sorszám:    1 ", 0), 0u);
  // The default range ends with the highest company: D (no company record) is left out.
  EXPECT_EQ(print_lines(file_bytes(s.file("jovedig.prn"))).size(), 4u * 130 + 1);
  EXPECT_TRUE(xml.calls.empty());  // XML files not asked for
}

TEST_F(Menu, XmlFilesAskedForGoThroughTheRunsHooks) {
  // "I" in the XML question, "Képernyőre", Esc in the viewer.
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter, 'i', key::kEnter, key::kEnter,
                key::kEsc});
  HookLog xml;
  JOVEDIG(*s.ctx, xml.hooks(false));
  EXPECT_EQ(xml.calls, (std::vector<std::string>{"begin I"}));
  EXPECT_FALSE(std::filesystem::exists(s.file("M30XML")));
}

TEST_F(Menu, EkhoScreenRun) {
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter, key::kEsc});
  EKHOIG(*s.ctx);
  const console::Screen* viewer = screen_with("TXT fájlba-T");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->row_utf8(2).find("Igazolás*"), 62u);  // all of it ASCII before
}

}  // namespace
}  // namespace certs
