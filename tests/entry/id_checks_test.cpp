// The identifier checks: check digits, lengths, letters in the read positions, the
// birth date in a tax identifier, zero filling, and the messages the forms show.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/headless.h"
#include "store/identifiers.h"
#include "entry/id_checks_ui.h"
#include "xbase/hutext.h"

namespace {

using namespace store::ids;
using xbase::Date;

TEST(TaxId, CheckDigitIsTheWeightedSumModulo11) {
  EXPECT_TRUE(tax_id_valid("1000000001"));  // S = 1
  for (char last = '0'; last <= '9'; ++last)  // S = 10 matches no digit
    EXPECT_FALSE(tax_id_valid(std::string("100000001") + last)) << last;
  EXPECT_TRUE(tax_id_valid("8354694178"));
  EXPECT_FALSE(tax_id_valid("8354694179"));
  EXPECT_TRUE(tax_id_valid("1000000001   "));  // only ten characters are read
}

TEST(TaxId, EmptyZerosShortAndNonDigitsAreInvalid) {
  EXPECT_FALSE(tax_id_valid("          "));
  EXPECT_FALSE(tax_id_valid(""));
  EXPECT_FALSE(tax_id_valid("0000000000"));
  EXPECT_FALSE(tax_id_valid("100000001"));
  // A letter or blank would once have counted as 0: "1ABCDEFGH1" gave S = 1.
  EXPECT_FALSE(tax_id_valid("1ABCDEFGH1"));
  EXPECT_FALSE(tax_id_valid("1 00000001"));
  EXPECT_FALSE(tax_id_valid("100000000 "));  // the check digit itself
  EXPECT_FALSE(tax_id_valid(" 100000001"));
}

TEST(TaxNumber, WeightsAndCheckDigitWhateverTheLastThree) {
  for (const char* tail : {"000", "123", "999"})
    EXPECT_TRUE(tax_number_valid(std::string("10000001") + tail)) << tail;  // S = 9
  EXPECT_FALSE(tax_number_valid("10000002000"));
  EXPECT_TRUE(tax_number_valid("12345676202"));  // 9+14+9+4+45+42+21 = 144, 144+6
  EXPECT_TRUE(tax_number_valid("10000001000  "));  // trailing blanks are not counted
  EXPECT_FALSE(tax_number_valid("1000000100"));    // 10 digits
  EXPECT_FALSE(tax_number_valid("100000010000"));  // 12 digits
  EXPECT_FALSE(tax_number_valid("1000000A000"));   // a letter in the weighted digits
  EXPECT_FALSE(tax_number_valid("10000001AB0"));   // letters where digits belong
  EXPECT_FALSE(tax_number_valid(" 1000000100"));
}

TEST(CompanyId, LengthChoosesTheCheck) {
  EXPECT_EQ(company_id_kind("10000001000"), CompanyIdKind::TaxNumber);
  EXPECT_EQ(company_id_kind(" 1000000001 "), CompanyIdKind::TaxId);
  EXPECT_EQ(company_id_kind("123456789"), CompanyIdKind::WrongLength);
  EXPECT_EQ(company_id_kind("           "), CompanyIdKind::WrongLength);
  EXPECT_TRUE(company_id_valid("10000001000"));
  EXPECT_TRUE(company_id_valid("1000000001 "));  // a private payer in the 11-wide field
  EXPECT_FALSE(company_id_valid("1000000011 "));
  // The tax identifier is read from the first ten characters, as the field holds them.
  EXPECT_FALSE(company_id_valid(" 1000000001"));
}

TEST(Taj, EmptyLengthAndCheckDigit) {
  EXPECT_EQ(check_taj("000000000"), TajResult::Valid);  // S = 0
  EXPECT_EQ(check_taj("100000003"), TajResult::Valid);  // weight 3 on position 1
  EXPECT_EQ(check_taj("010000007"), TajResult::Valid);  // weight 7 on position 2
  EXPECT_EQ(check_taj("100000004"), TajResult::Invalid);
  EXPECT_EQ(check_taj("12345"), TajResult::WrongLength);
  EXPECT_EQ(check_taj("1000000030"), TajResult::WrongLength);
  EXPECT_EQ(check_taj("         "), TajResult::Valid);
  EXPECT_EQ(check_taj(""), TajResult::Valid);
  EXPECT_EQ(check_taj("10000000A"), TajResult::Invalid);
  EXPECT_EQ(check_taj("1O0000003"), TajResult::Invalid);  // letter O for a zero
}

TEST(BirthDate, DaysFrom1867) {
  EXPECT_EQ(birth_date_of("8000011234"), Date::from_ymd(1867, 1, 2));
  EXPECT_EQ(birth_date_of("8399991234"), Date::from_ymd(1976, 7, 7));
  EXPECT_TRUE(birth_date_of("          ").empty());
  EXPECT_EQ(days_since_1867(Date::from_ymd(1976, 7, 7)), 39999);
}

TEST(ZeroFill, PadsTrimmedCodesAndLeavesEmptyOnes) {
  EXPECT_EQ(zero_fill("1  "), "001");
  EXPECT_EQ(zero_fill(" 12"), "012");
  EXPECT_EQ(zero_fill("   "), "   ");
  EXPECT_EQ(zero_fill("123"), "123");
  std::string v = "7  ";
  EXPECT_TRUE(entry::JOBBZERO(v));
  EXPECT_EQ(v, "007");
}

TEST(CheckDigits, BuildValidIdentifiers) {
  EXPECT_EQ(tax_id_check_digit("100000001"), -1);
  EXPECT_EQ(tax_id_check_digit("100000000"), 1);
  EXPECT_EQ(tax_number_check_digit("1000000"), 1);
  EXPECT_EQ(taj_check_digit("10000000"), 3);
}

// --- The messages through the question box ---

struct Box {
  console::HeadlessBackend* term;
  std::unique_ptr<console::Console> con;
  Box() {
    auto b = std::make_unique<console::HeadlessBackend>(true);
    term = b.get();
    con = std::make_unique<console::Console>(std::move(b));
    con->clear_screen();
  }
  // The text shown anywhere on the screen while the box waited for its key.
  bool showed(std::string_view text) const {
    for (const console::Screen& s : term->waits())
      for (int r = 0; r < 25; ++r) {
        std::string row;
        for (int c = 0; c < 80; ++c) row += static_cast<char>(s.at(r, c).ch);
        if (row.find(text) != std::string::npos) return true;
      }
    return false;
  }
};

TEST(CheckMessages, PrefixIsTrimmedIntoTheMessage) {
  EXPECT_EQ(entry::tax_id_message(""), HU("Hibás adóazonosító!"));
  EXPECT_EQ(entry::tax_id_message(HU("Házastárs")), HU("Házastárs Hibás adóazonosító!"));
  EXPECT_EQ(entry::tax_number_message("  "), HU("Hibás adószám!"));
  EXPECT_EQ(entry::company_id_message(HU("Jogelőd")), HU("Jogelőd Hibás adószám/adóazonosító"));
}

TEST(CheckMessages, FailuresAskWithOkAndPassesAreSilent) {
  Box b;
  b.term->keys({console::key::kEnter});
  EXPECT_FALSE(entry::SZEMSZAM(*b.con, "1ABCDEFGH1"));
  EXPECT_TRUE(b.showed(HU("Hibás adóazonosító!")));
  EXPECT_TRUE(b.showed("OK"));
  EXPECT_EQ(b.term->keys_left(), 0u);

  Box ok;
  EXPECT_TRUE(entry::SZEMSZAM(*ok.con, "1000000001"));
  EXPECT_TRUE(entry::JOCEG(*ok.con, "10000001000"));
  EXPECT_TRUE(entry::TAJELLEN(*ok.con, "         "));
  EXPECT_FALSE(entry::TAJELLEN(*ok.con, "12345"));  // wrong length: no box
  EXPECT_TRUE(ok.term->waits().empty());

  Box taj;
  taj.term->keys({console::key::kEnter});
  EXPECT_FALSE(entry::TAJELLEN(*taj.con, "100000004"));
  EXPECT_TRUE(taj.showed(HU("Hibás TAJ-szám!")));

  Box len;
  len.term->keys({console::key::kEnter});
  EXPECT_FALSE(entry::JOCEG(*len.con, "123456789", HU("Adószám:")));
  EXPECT_TRUE(len.showed(HU("Adószám: Hibás adószám/adóazonosító")));

  Box num;
  num.term->keys({console::key::kEnter});
  EXPECT_FALSE(entry::JOCEG(*num.con, "10000002000"));
  EXPECT_TRUE(num.showed(HU("Hibás adószám!")));
  EXPECT_FALSE(num.showed(HU("adóazonosító")));
}

}  // namespace
