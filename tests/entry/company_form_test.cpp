// The company form through the browse: adding, modifying and the checks of the code,
// the kinds of public space and the tax numbers, in add and in search mode.
#include "entry/browse_screen.h"
#include "entry/company_form.h"
#include "entry_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

struct Companies {
  Install in;
  Companies() {
    in.company("001", "Alfa Kft.", {{"kozter", "utca"}, {"adoszam", "10000001000"}});
    in.company("003", "Gamma Bt.", {{"kozter", "tér"}, {"adoszam", "10000001001"}});
    in.open();
    in.select("VALLAL");
  }
};

const std::string kLongName = "Negyven Karakteres Nevű Könyvelő Irodák!";  // 40 characters

TEST(CompanyForm, AddingStoresTheZeroFilledCodeAndTheWholeName) {
  Companies c;
  Install& in = c.in;
  in.keys({'F', '7', key::kEnter});
  in.type(kLongName);  // the last position of the 40 filled: on to the next field
  in.keys({key::kPgDn});                 // stops at the seat kind: empty
  in.type("utca");
  in.keys({key::kPgDn, key::kEnter});    // stops at the tax number: its message
  in.type("10000001000");
  in.keys({key::kPgDn, key::kEsc});
  DBEDFELV(in.ctx);

  EXPECT_EQ(in.rows("vallal", {"vkod", "vnev", "kozter", "adoszam"}).at(2),
            "007," + kLongName + ",utca,10000001000");
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, -1, "Hibás adószám/adóazonosító"), 1);
  // In the representative's field the name shows its first 33 characters, inside the frame.
  const Screen* next = nullptr;
  for (const Screen& s : t.waits())
    if (s.cursor_row() == 5 && s.cursor_col() == 13) next = next ? next : &s;
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(at(*next, 3, 46, 33), xbase::cp852_to_utf8(xbase::left(cp(kLongName), 33)));
  EXPECT_EQ(at(*next, 3, 79, 1), "│");
  EXPECT_EQ(at(*next, 3, 8, 3), "007");
  // The browse lands on the new company.
  EXPECT_EQ(at(t.last_wait(), 9, 1, 3), "007");
}

TEST(CompanyForm, ModifyingWritesTheLoadedRecord) {
  Companies c;
  Install& in = c.in;
  in.keys({key::kDown, 'M'});  // 003: the code is not a field, the name is the first
  in.type("Delta Kft.");
  in.keys({key::ctrl('y'), key::kPgDn, key::kEsc});
  DBEDFELV(in.ctx);
  EXPECT_EQ(in.rows("vallal", {"vkod", "vnev"}),
            (std::vector<std::string>{"001,Alfa Kft.", "003,Delta Kft."}));
}

TEST(CompanyForm, ADuplicateOrEmptyCodeKeepsTheCursorInTheCodeField) {
  Companies c;
  Install& in = c.in;
  in.keys({'F', key::kEnter, key::kDown, key::kUp, key::kTab});  // empty: refused silently
  in.type("001");                                                 // duplicate: the message
  in.keys({key::kEnter});
  in.type("009");  // a new code moves on
  in.keys({key::kEsc, 'I', key::kEsc});
  DBEDFELV(in.ctx);
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, -1, "Ez már volt. Nem lehet újra felvinni !"), 1);
  int in_code = 0, in_name = 0;
  for (const Screen& s : t.waits()) {
    if (at(s, 0, 31, 8) != "Felvitel") continue;
    if (s.cursor_row() == 3 && s.cursor_col() >= 8 && s.cursor_col() <= 10) ++in_code;
    if (s.cursor_row() == 3 && s.cursor_col() >= 46) ++in_name;
  }
  EXPECT_GE(in_code, 7);  // every key until "009" waited in the code field
  EXPECT_GE(in_name, 1);  // then the name (Esc there)
  EXPECT_EQ(in.rows("vallal", {"vkod"}).size(), 2u);
}

TEST(CompanyForm, KindsOfPublicSpace) {
  Companies c;
  shell::Context& ctx = c.in.ctx;
  EXPECT_TRUE(public_space_kind_ok(ctx, cp("utca      "), false));
  EXPECT_TRUE(public_space_kind_ok(ctx, cp("lakótelep "), false));
  EXPECT_FALSE(public_space_kind_ok(ctx, cp("u         "), false));  // not a kind of its own
  EXPECT_FALSE(public_space_kind_ok(ctx, cp("Utca      "), false));  // case counts
  EXPECT_FALSE(public_space_kind_ok(ctx, cp("nincs     "), false));
  EXPECT_FALSE(public_space_kind_ok(ctx, cp("postafiók "), false));  // never a company's seat
  EXPECT_FALSE(public_space_kind_ok(ctx, "          ", false));       // the seat needs one
  EXPECT_TRUE(public_space_kind_ok(ctx, "          ", true));        // the mailing address not
  EXPECT_FALSE(public_space_kind_ok(ctx, cp("postafiók "), true));
  EXPECT_EQ(ctx.areas.current().alias(), "VALLAL");  // the selection is kept
}

TEST(CompanyForm, TaxNumbersByLength) {
  Companies c;
  Install& in = c.in;
  shell::Context& ctx = in.ctx;
  EXPECT_TRUE(company_tax_id_ok(ctx, "10000001000", false));  // 11: a tax number
  EXPECT_TRUE(company_tax_id_ok(ctx, "1000000001 ", false));  // 10: a private payer
  EXPECT_TRUE(company_tax_id_ok(ctx, "           ", true));   // empty where allowed
  in.keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter});
  EXPECT_FALSE(company_tax_id_ok(ctx, "10000002000", false));
  EXPECT_FALSE(company_tax_id_ok(ctx, "1000000002 ", false));
  EXPECT_FALSE(company_tax_id_ok(ctx, "123456789  ", false));
  EXPECT_FALSE(company_tax_id_ok(ctx, "           ", false));
  const auto& waits = in.s.term->waits();
  ASSERT_EQ(waits.size(), 4u);
  EXPECT_NE(row(waits[0], 18).find("Hibás adószám!"), std::string::npos);
  EXPECT_NE(row(waits[1], 18).find("Hibás adóazonosító!"), std::string::npos);
  EXPECT_NE(row(waits[2], 18).find("Hibás adószám/adóazonosító"), std::string::npos);
  EXPECT_NE(row(waits[3], 18).find("Hibás adószám/adóazonosító"), std::string::npos);
}

TEST(CompanyForm, SearchCriteriaRefuseAnInvalidKindOrTaxNumberButNotAnEmptyOne) {
  Companies c;
  Install& in = c.in;
  in.keys({'K', key::kDown, key::kDown, key::kDown, key::kDown, key::kDown, key::kDown});
  in.type("xyz");
  in.keys({key::kPgDn});                    // refused at the kind, silently
  in.keys({key::ctrl('y')});
  in.type("tér");
  for (int i = 0; i < 15; ++i) in.keys({key::kDown});  // to the tax number
  in.type("123");
  in.keys({key::kPgDn, key::kEnter});        // refused at the tax number, with its message
  in.keys({key::ctrl('y'), key::kPgDn, key::kEsc});  // empty: the search runs
  DBEDFELV(in.ctx);
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, -1, "Hibás adószám/adóazonosító"), 1);
  // The kind "tér" found Gamma.
  EXPECT_EQ(at(t.last_wait(), 8, 1, 3), "003");
  EXPECT_NE(t.last_wait().at(8, 1).attr, t.last_wait().at(7, 1).attr);
}

}  // namespace
}  // namespace entry
